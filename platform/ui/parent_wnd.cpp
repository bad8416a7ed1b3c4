#include "platform/ui/parent_wnd.h"

#include <wx/window.h>

CParentWnd::CParentWnd(const CWnd& control)
{
    wxWindow* w = control.GetSafeHwnd();
    if (w != nullptr && w->GetParent() != nullptr)
        Attach(wxGetTopLevelParent(w));
}

CParentWnd::~CParentWnd() { Detach(); }
