#pragma once
// Base of every window class of the layer. A CWnd may exist without a toolkit window behind it
// (not attached); while attached it realises its calls on the toolkit window and receives the
// window's messages through its message map.
#include "platform/ui/cmd_target.h"
#include "platform/ui/message_box.h"

#include <memory>
#include <string>

class wxWindow;
class wxIconBundle;
class wxWindowDestroyEvent;
class CMenu;

// An icon of the program's resources: every size of one icon id.
using HICON = const wxIconBundle*;

class CWnd : public CCmdTarget {
public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    // A box owned by this window.
    int MessageBox(const char* text, const char* caption = nullptr, unsigned type = MB_OK) const
    {
        return ShowMessageBox(this, text ? text : "", caption ? caption : "", type);
    }

    // The toolkit window, or null while not attached.
    wxWindow* GetSafeHwnd() const { return m_wnd; }
    // Takes over an existing toolkit window (the layer detaches it again before it is destroyed).
    void Attach(wxWindow* window);
    void Detach();

    // Runs the message through WindowProc at once / after the current event has been handled.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    std::string GetWindowText() const;
    void SetWindowText(const char* text);
    void SetFocus();
    bool IsIconic() const;
    void ShowWindow(int showCommand);
    void SetIcon(HICON icon, bool big);

    // The window's system menu: built by the layer, shown on a right click on the window's
    // background and on Alt+Space. revert true restores the layer's own entries.
    CMenu* GetSystemMenu(bool revert);
    void ShowSystemMenu(int x, int y);

protected:
    // The message map first; what it does not handle goes to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once the toolkit window is attached, for subclasses that hook its events.
    virtual void OnAttached() {}
    virtual void OnDetaching() {}

    wxWindow* m_wnd = nullptr;

private:
    void OnToolkitDestroy(wxWindowDestroyEvent& e);

    std::unique_ptr<CMenu> m_systemMenu;
    std::shared_ptr<bool> m_alive;  // lets posted messages see that the object has gone
};

// Text crossing the toolkit boundary: the program's strings are UTF-8 bytes.
class wxString;
wxString ToToolkit(const std::string& text);
std::string FromToolkit(const wxString& text);
