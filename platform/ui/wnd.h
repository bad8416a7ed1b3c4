#pragma once
// Base of every window class of the layer. A CWnd may exist without a toolkit window behind it
// (not attached); the layer's realisation lives in platform/ui's sources.
#include "platform/ui/message_box.h"

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // A box owned by this window.
    int MessageBox(const char* text, const char* caption = nullptr, unsigned type = MB_OK) const
    {
        return ShowMessageBox(this, text ? text : "", caption ? caption : "", type);
    }
};
