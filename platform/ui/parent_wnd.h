#pragma once
// The window that holds a control (its dialog), as a temporary CWnd for calls that take the
// parent window; not attached when the control has no parent.
#include "platform/ui/wnd.h"

class CParentWnd : public CWnd {
public:
    explicit CParentWnd(const CWnd& control);
    ~CParentWnd() override;

    // This window, or null when the control has no parent.
    CWnd* Get() { return GetSafeHwnd() != nullptr ? this : nullptr; }
};
