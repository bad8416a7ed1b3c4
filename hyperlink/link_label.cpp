#include "hyperlink/link_label.h"

inline constexpr UINT kCommandOpen = 32776;
inline constexpr UINT kCommandCopyShortcut = 32771;
inline constexpr UINT kCommandAddToFavorites = 32774;
inline constexpr UINT kCommandAddToDesktop = 32775;
inline constexpr UINT kCommandProperties = 32773;

CLinkLabel::CLinkLabel()
{
    // The system's hand where there is one; our own where not.
    m_linkCursor = LoadSystemCursor(IDC_HAND);
    if (m_linkCursor == nullptr)
        m_linkCursor = LoadCursorResource(130);
    m_unavailableCursor = LoadCursorResource(131);
}

CLinkLabel::~CLinkLabel()
{
    Detach();
}

const MessageMap* CLinkLabel::ClassMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnMessage<&CLinkLabel::OnContextMenu>(WM_CONTEXTMENU),
        OnMessage<&CLinkLabel::OnSetCursor>(WM_SETCURSOR),
        OnMessage<&CLinkLabel::OnLButtonDown>(WM_LBUTTONDOWN),
        OnMessage<&CLinkLabel::OnMouseMove>(WM_MOUSEMOVE),
        OnCommand<&CLinkLabel::OnCopyShortcut>(kCommandCopyShortcut),
        OnCommand<&CLinkLabel::OnProperties>(kCommandProperties),
        OnMessage<&CLinkLabel::OnCtlColor>(WM_CTLCOLORSTATIC),
        OnCommand<&CLinkLabel::OnOpen>(kCommandOpen),
        OnCommand<&CLinkLabel::OnAddToFavorites>(kCommandAddToFavorites),
        OnCommand<&CLinkLabel::OnAddToDesktop>(kCommandAddToDesktop),
        // The toolkit can take the capture away (another grab); the hover ends with it.
        OnMessage<&CLinkLabel::OnCaptureChanged>(WM_CAPTURECHANGED),
    };
    static const MessageMap map{nullptr, entries};
    return &map;
}

void CLinkLabel::OnAttached()
{
    m_mouse = std::make_unique<MouseRoute>(*this);
    // The first drawing asks for the colours.
    InvalidateStatic(*this);
}

void CLinkLabel::OnDetaching()
{
    m_mouse.reset();  // also gives up the capture if this control holds it
}

COLORREF CLinkLabel::GetStateColour() const
{
    switch (m_state) {
    case kVisited: return m_visitedColour;
    case kHover: return m_hoverColour;
    default: return m_unvisitedColour;
    }
}

LRESULT CLinkLabel::OnCtlColor(WPARAM wParam, LPARAM)
{
    auto* dc = reinterpret_cast<CDC*>(wParam);
    // Mouse messages reach this control from the start on this platform, so there is no
    // notification style to add before it becomes clickable.
    if (!m_underlineFont) {
        LOGFONT font;
        if (!GetWindowFont(*this, font))
            font.pointSize = 8;  // no font of its own: the dialog font's size
        font.underline = true;
        auto made = std::make_unique<CFont>();
        if (made->CreateFontIndirect(font))
            m_underlineFont = std::move(made);
    }
    if (dc != nullptr) {
        dc->SelectObject(m_underlineFont.get());
        dc->SetTextColor(GetStateColour());
        dc->SetBkMode(TRANSPARENT);
    }
    return NULL_BRUSH;
}

LRESULT CLinkLabel::OnSetCursor(WPARAM, LPARAM)
{
    if (m_menuShowing)
        return 0;  // the default handling: the menu's own cursor
    SetCursor(m_linkActive ? m_linkCursor : m_unavailableCursor);
    return 1;
}

LRESULT CLinkLabel::OnLButtonDown(WPARAM, LPARAM)
{
    // Posted, so Open runs once the click has been handled.
    PostMessage(WM_COMMAND, kCommandOpen, 0);
    return 0;
}

LRESULT CLinkLabel::OnMouseMove(WPARAM, LPARAM lParam)
{
    if (!m_hoverTracking)
        return 0;
    RECT client;
    GetClientRect(*this, client);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    bool inside = PtInRect(client, p);
    if (inside && m_state != kHover) {
        SetCapture(*this);
        EnterHover();
    } else if (!inside && m_state == kHover) {
        LeaveHover();
        ReleaseCapture();
    }
    return DefWindowProc(WM_MOUSEMOVE, 0, lParam);
}

LRESULT CLinkLabel::OnCaptureChanged(WPARAM, LPARAM)
{
    LeaveHover();
    return 0;
}

void CLinkLabel::EnterHover()
{
    if (m_state == kHover)
        return;
    m_savedState = m_state;
    m_state = kHover;
    InvalidateStatic(*this);
}

void CLinkLabel::LeaveHover()
{
    if (m_state != kHover)
        return;
    m_state = m_savedState;
    InvalidateStatic(*this);
}

void CLinkLabel::OnOpen()
{
    if (!OpenLink())
        return;
    // Opened while hovering: the hover ends here, the capture goes with it, and the link shows
    // its visited colour at once (the next movement over it turns it red again).
    if (m_state == kHover) {
        LeaveHover();
        if (GetCapture() == this)
            ReleaseCapture();
    }
    m_state = kVisited;
    InvalidateStatic(*this);
}
