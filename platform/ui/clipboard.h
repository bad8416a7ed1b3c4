#pragma once
// The clipboard as text. What Quillo puts there is handed to the desktop's clipboard manager when
// the program ends, so it outlives the program where a manager runs; on bare X11 the text lives
// only while Quillo runs.
#include <string>

// Replaces the clipboard's content with text (bytes in UTF-8). False, leaving the clipboard
// untouched, when it cannot be opened (no display, or another program holds it).
bool SetClipboardText(const std::string& text);
