#pragma once
// Mouse cursors: the system's own and the program's cursor resources (res/cursor-<id>.cur),
// and the choice of cursor answering a WM_SETCURSOR.
class wxCursor;

using HCURSOR = const wxCursor*;

inline constexpr int IDC_HAND = 32649;

// The system cursor id (IDC_HAND), or null where the system has none. Needs the toolkit.
HCURSOR LoadSystemCursor(int id);
// Cursor resource id with its hot spot, or null when there is none. Lives until the program ends.
HCURSOR LoadCursorResource(int id);

// Sets the cursor for the WM_SETCURSOR being handled (the layer shows it over the window that
// asked); returns the cursor set before.
HCURSOR SetCursor(HCURSOR cursor);
// The cursor set by the last SetCursor.
HCURSOR GetCursor();
