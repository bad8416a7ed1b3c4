#include "platform/ui/mouse.h"

#include "platform/ui/cursor.h"
#include "platform/ui/gdi.h"

#include <wx/event.h>
#include <wx/window.h>

namespace {
CWnd* g_capture = nullptr;

LPARAM PointParam(const wxPoint& p) { return MAKELPARAM(p.x, p.y); }
}  // namespace

MouseRoute::MouseRoute(CWnd& control) : m_target(std::make_shared<CWnd*>(&control))
{
    wxWindow* w = control.GetSafeHwnd();
    if (w == nullptr)
        return;
    std::shared_ptr<CWnd*> target = m_target;
    w->Bind(wxEVT_MOTION, [target](wxMouseEvent& e) {
        if (*target)
            (*target)->SendMessage(WM_MOUSEMOVE, 0, PointParam(e.GetPosition()));
        e.Skip();
    });
    w->Bind(wxEVT_LEFT_DOWN, [target](wxMouseEvent& e) {
        if (*target)
            (*target)->SendMessage(WM_LBUTTONDOWN, 1, PointParam(e.GetPosition()));
        else
            e.Skip();
    });
    w->Bind(wxEVT_SET_CURSOR, [target](wxSetCursorEvent& e) {
        HCURSOR before = GetCursor();
        SetCursor(nullptr);
        if (*target && (*target)->SendMessage(WM_SETCURSOR, 0, 0) != 0 && GetCursor() != nullptr)
            e.SetCursor(*GetCursor());
        else
            e.Skip();
        SetCursor(before);
    });
    w->Bind(wxEVT_CONTEXT_MENU, [target](wxContextMenuEvent& e) {
        if (*target)
            (*target)->SendMessage(WM_CONTEXTMENU, 0, PointParam(e.GetPosition()));  // (-1, -1) from the keyboard
    });
    // The holder of the capture sees the pointer leave: moves over the window around it, and the
    // pointer leaving either window, arrive as moves in its own client coordinates.
    auto forward = [target](wxWindow* from, wxMouseEvent& e, bool leaving) {
        e.Skip();
        CWnd* holder = *target;
        if (holder == nullptr || g_capture != holder || holder->GetSafeHwnd() == nullptr)
            return;
        wxWindow* self = holder->GetSafeHwnd();
        wxPoint p = self->ScreenToClient(from->ClientToScreen(e.GetPosition()));
        wxSize size = self->GetClientSize();
        bool inside = p.x >= 0 && p.y >= 0 && p.x < size.x && p.y < size.y;
        if (leaving && from == self && inside)
            p = wxPoint(-1, -1);  // left across its very edge
        else if (inside && from != self)
            return;  // over the control itself: its own moves tell
        holder->SendMessage(WM_MOUSEMOVE, 0, PointParam(p));
    };
    w->Bind(wxEVT_LEAVE_WINDOW, [w, forward](wxMouseEvent& e) { forward(w, e, true); });
    if (wxWindow* around = w->GetParent()) {
        around->Bind(wxEVT_MOTION, [around, forward](wxMouseEvent& e) { forward(around, e, false); });
        around->Bind(wxEVT_LEAVE_WINDOW, [around, forward](wxMouseEvent& e) { forward(around, e, true); });
    }
}

MouseRoute::~MouseRoute()
{
    if (*m_target != nullptr && g_capture == *m_target)
        ReleaseCapture();
    *m_target = nullptr;
}

CWnd* SetCapture(CWnd& window)
{
    CWnd* before = g_capture;
    g_capture = &window;
    if (before != nullptr && before != &window)
        before->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return before;
}

bool ReleaseCapture()
{
    g_capture = nullptr;
    return true;
}

CWnd* GetCapture() { return g_capture; }

bool GetClientRect(const CWnd& window, RECT& rect)
{
    rect = RECT{};
    wxWindow* w = window.GetSafeHwnd();
    if (w == nullptr)
        return false;
    wxSize size = w->GetClientSize();
    rect.right = size.x;
    rect.bottom = size.y;
    return true;
}

void ClientToScreen(const CWnd& window, POINT& point)
{
    if (wxWindow* w = window.GetSafeHwnd()) {
        wxPoint p = w->ClientToScreen(wxPoint(point.x, point.y));
        point = {p.x, p.y};
    }
}

void ScreenToClient(const CWnd& window, POINT& point)
{
    if (wxWindow* w = window.GetSafeHwnd()) {
        wxPoint p = w->ScreenToClient(wxPoint(point.x, point.y));
        point = {p.x, p.y};
    }
}
