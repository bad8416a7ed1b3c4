#pragma once
// The help viewer: HtmlHelpA shows a compiled HTML help file in a window of its own. A file named
// without a folder is looked for in the current folder, then beside the program's executable.
// Without the file, or without a display, nothing is shown and the result is null.
#include <cstdint>
#include <string>

class CWnd;

inline constexpr unsigned HH_DISPLAY_TOPIC = 0;

using HelpWindowHandle = void*;

// With HH_DISPLAY_TOPIC and data 0 shows the file's default topic (data may name another topic).
// Returns the viewer's window, or null. The viewer has no owner: it stays when the caller's
// window closes, and one viewer serves every call.
HelpWindowHandle HtmlHelpA(const CWnd* owner, const char* file, unsigned command, std::uintptr_t data);

// Where the viewer finds a help file: the path it would open, empty when there is none.
std::string LocateHelpFile(const std::string& file);

// The page the viewer shows ("Quillo.chm:/index.html"), empty while no viewer is open.
std::string HelpViewerPage();
