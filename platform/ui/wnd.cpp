#include "platform/ui/wnd.h"

#include "platform/ui/menu.h"
#include "platform/ui/resources.h"

#include <wx/app.h>
#include <wx/iconbndl.h>
#include <wx/toplevel.h>
#include <wx/window.h>

wxString ToToolkit(const std::string& text)
{
    return wxString::FromUTF8(text.data(), text.size());
}

std::string FromToolkit(const wxString& text)
{
    wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

CWnd::CWnd() : m_alive(std::make_shared<bool>(true)) {}

CWnd::~CWnd()
{
    *m_alive = false;
    Detach();
}

void CWnd::Attach(wxWindow* window)
{
    Detach();
    m_wnd = window;
    if (m_wnd) {
        // The layer detaches before it destroys a window; this covers a window destroyed by others.
        m_wnd->Bind(wxEVT_DESTROY, &CWnd::OnToolkitDestroy, this);
        OnAttached();
    }
}

void CWnd::Detach()
{
    if (m_wnd) {
        OnDetaching();
        m_wnd->Unbind(wxEVT_DESTROY, &CWnd::OnToolkitDestroy, this);
        m_wnd = nullptr;
    }
}

void CWnd::OnToolkitDestroy(wxWindowDestroyEvent& e)
{
    if (e.GetEventObject() == m_wnd)
        m_wnd = nullptr;
    e.Skip();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return WindowProc(message, wParam, lParam);
}

void CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!wxTheApp) {
        SendMessage(message, wParam, lParam);
        return;
    }
    std::weak_ptr<bool> alive = m_alive;
    wxTheApp->CallAfter([this, alive, message, wParam, lParam] {
        if (auto a = alive.lock(); a && *a)
            SendMessage(message, wParam, lParam);
    });
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    UINT id = message == WM_COMMAND ? static_cast<UINT>(wParam & 0xFFFF) : 0;
    if (OnCmdMsg(message, id, wParam, lParam, &result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_SYSCOMMAND) {
        switch (static_cast<UINT>(wParam) & 0xFFF0) {
        case SC_MINIMIZE:
            ShowWindow(SW_MINIMIZE);
            break;
        case SC_CLOSE:
            SendMessage(WM_CLOSE);
            break;
        }
    }
    return 0;
}

std::string CWnd::GetWindowText() const
{
    return m_wnd ? FromToolkit(m_wnd->GetLabel()) : std::string();
}

void CWnd::SetWindowText(const char* text)
{
    if (m_wnd)
        m_wnd->SetLabel(ToToolkit(text ? text : ""));
}

void CWnd::SetFocus()
{
    if (m_wnd)
        m_wnd->SetFocus();
}

bool CWnd::IsIconic() const
{
    auto* top = m_wnd ? dynamic_cast<wxTopLevelWindow*>(m_wnd) : nullptr;
    return top && top->IsIconized();
}

void CWnd::ShowWindow(int showCommand)
{
    if (!m_wnd)
        return;
    if (showCommand == SW_MINIMIZE) {
        if (auto* top = dynamic_cast<wxTopLevelWindow*>(m_wnd))
            top->Iconize(true);
    } else {
        m_wnd->Show(showCommand != SW_HIDE);
    }
}

void CWnd::SetIcon(HICON icon, bool big)
{
    auto* top = m_wnd ? dynamic_cast<wxTopLevelWindow*>(m_wnd) : nullptr;
    if (!top || !icon)
        return;
    // The toolkit takes every size at once; the big and the small icon are the same bundle here.
    (void)big;
    top->SetIcons(*icon);
}

CMenu* CWnd::GetSystemMenu(bool revert)
{
    if (revert || !m_systemMenu) {
        // The entries the layer can honour on this desktop: the window manager keeps its own
        // window menu to itself.
        m_systemMenu = std::make_unique<CMenu>();
        m_systemMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
        m_systemMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
    }
    return m_systemMenu.get();
}

void CWnd::ShowSystemMenu(int x, int y)
{
    GetSystemMenu(false)->TrackPopupMenu(*this, x, y, true);
}
