#pragma once
// Mouse messages for controls that handle the mouse themselves, the mouse capture, and client
// and screen coordinates.
#include "platform/ui/wnd.h"

#include <memory>

struct POINT {
    int x = 0;
    int y = 0;
};
struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

inline bool PtInRect(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

constexpr LPARAM MAKELPARAM(int low, int high)
{
    return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
                               static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16);
}
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<std::int16_t>(l & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }

// A route delivers the toolkit window's mouse to the control's message map: WM_MOUSEMOVE and
// WM_LBUTTONDOWN (client coordinates in lParam), WM_SETCURSOR (a handled message, result true,
// shows the cursor chosen with SetCursor; otherwise the toolkit's own), WM_CONTEXTMENU (screen
// coordinates; (-1, -1) from the keyboard).
// The messages flow while the route lives; the control ends it before it detaches.
class MouseRoute {
public:
    explicit MouseRoute(CWnd& control);
    ~MouseRoute();
    MouseRoute(const MouseRoute&) = delete;
    MouseRoute& operator=(const MouseRoute&) = delete;

private:
    std::shared_ptr<CWnd*> m_target;  // the toolkit's handlers hold it too; null once ended
};

// The capture: the window holding it also gets the moves over the window around it and sees the
// pointer leave either (as moves outside its client area). It is the program's own: no pointer grab keeps other programs (such as the browser a
// link has just opened) from the pointer. A window that loses it to another gets
// WM_CAPTURECHANGED.
CWnd* SetCapture(CWnd& window);   // returns the window that held it before
bool ReleaseCapture();
CWnd* GetCapture();

bool GetClientRect(const CWnd& window, RECT& rect);
void ClientToScreen(const CWnd& window, POINT& point);
void ScreenToClient(const CWnd& window, POINT& point);
