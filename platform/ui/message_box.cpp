#include "platform/ui/message_box.h"

#include "platform/ui/win_app.h"
#include "platform/ui/wnd.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include <cstdio>

namespace {
MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

// The top-level window that owns a box: the owner's, else the application's main window.
wxWindow* OwnerWindow(const CWnd* owner)
{
    wxWindow* w = owner ? owner->GetSafeHwnd() : nullptr;
    if (!w) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd)
            w = app->m_pMainWnd->GetSafeHwnd();
    }
    return w ? wxGetTopLevelParent(w) : nullptr;
}
}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

int ShowMessageBox(const CWnd* owner, const std::string& text, const std::string& caption, unsigned type)
{
    MessageBoxRecord record{text, caption.empty() ? AfxGetAppTitle() : caption, type, owner};
    if (Hook())
        return Hook()(record);
    if (!wxTheApp) {
        // No toolkit (a tool or test without a display): the box can only be written out.
        std::fprintf(stderr, "%s: %s\n", record.caption.c_str(), record.text.c_str());
        return IDOK;
    }
    long style = wxOK | wxCENTRE;
    if ((type & 0xF0) == MB_ICONEXCLAMATION)
        style |= wxICON_EXCLAMATION;
    else if ((type & 0xF0) == MB_ICONINFORMATION)
        style |= wxICON_INFORMATION;
    wxMessageDialog box(OwnerWindow(owner), ToToolkit(record.text), ToToolkit(record.caption), style);
    box.ShowModal();
    return IDOK;
}
