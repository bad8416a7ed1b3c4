// The link actions: the context menu, Open, Copy Shortcut, Add to Favorites / Desktop. Each works
// silently: a failure leaves things as they were and is reported to no one.
#include "hyperlink/link_label.h"

#include "platform/ui/clipboard.h"
#include "platform/ui/internet_shortcut.h"
#include "platform/ui/menu.h"
#include "platform/ui/parent_wnd.h"
#include "platform/ui/shell_launch.h"
#include "platform/ui/special_folder.h"
#include "platform/ui/wait_cursor.h"

namespace {
constexpr int kLinkMenu = 103;

}  // namespace

LRESULT CLinkLabel::OnContextMenu(WPARAM, LPARAM lParam)
{
    if (!m_contextMenu)
        return 0;
    LeaveHover();
    if (GetCapture() == this)
        ReleaseCapture();

    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: just inside the control's top-left corner.
        at = {5, 5};
    } else {
        ScreenToClient(*this, at);
    }
    CMenu menu;
    if (!menu.LoadMenu(kLinkMenu) || menu.GetSubMenu(0) == nullptr)
        return 0;
    m_menuShowing = true;
    menu.GetSubMenu(0)->TrackPopupMenu(*this, at.x, at.y);
    m_menuShowing = false;
    return 0;
}

bool CLinkLabel::OpenLink()
{
    if (!m_linkActive)
        return false;
    CWaitCursor wait;
    CParentWnd parent(*this);
    CInternetShortcut shortcut;
    if (shortcut.SetURL(m_linkAddress.c_str(), IURL_SETURL_FL_GUESS_PROTOCOL)) {
        URLINVOKECOMMANDINFO info;
        info.dwcbSize = 16;
        info.dwFlags = IURL_INVOKECOMMAND_FL_ALLOW_UI;
        info.hwndParent = parent.Get();
        info.pcszVerb = "open";
        if (shortcut.InvokeCommand(info))
            return true;
    }
    // Only when the shortcut object could not open it: the shell gets the address unchanged.
    return ShellExecuteA(parent.Get(), "open", m_linkAddress.c_str(), nullptr, nullptr, SW_SHOW) > 32;
}

void CLinkLabel::OnCopyShortcut()
{
    SetClipboardText(m_linkAddress);
}

void CLinkLabel::OnAddToFavorites()
{
    AddInternetShortcut(CSIDL_FAVORITES);
}

void CLinkLabel::OnAddToDesktop()
{
    AddInternetShortcut(CSIDL_DESKTOP);
}

bool CLinkLabel::AddInternetShortcut(int folder)
{
    CWaitCursor wait;
    char folderPath[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, folderPath, folder, true))
        return false;
    // The caption goes into the name unchanged; a name the file system refuses fails the save.
    std::string path = folderPath;
    if (path.back() != '\\' && path.back() != '/')
        path += '/';
    path += GetWindowText();
    path += ".URL";
    if (path.size() >= MAX_PATH)
        return false;  // no room for it, as the shell would have none
    return SaveInternetShortcut(path.c_str());
}

bool CLinkLabel::SaveInternetShortcut(const char* path)
{
    CInternetShortcut shortcut;
    if (!shortcut.SetURL(m_linkAddress.c_str(), IURL_SETURL_FL_GUESS_PROTOCOL))
        return false;
    if (path == nullptr || std::string_view(path).size() >= MAX_PATH)
        return false;
    return shortcut.Save(path, true);
}
