#pragma once
// A static text control of a dialog that behaves as a hyperlink: underlined, blue until opened,
// purple once opened, red under the pointer; a hand cursor; a left click opens the link address,
// a right click (or the context-menu key) offers the link actions.
//
// A dialog binds it to one of its static controls in its data exchange (DDX_Control) and then
// gives it the address; the caption stays the control's own text.
#include "platform/ui/cursor.h"
#include "platform/ui/gdi.h"
#include "platform/ui/mouse.h"
#include "platform/ui/static_ctrl.h"

#include <memory>
#include <string>

class CLinkLabel : public CStatic {
public:
    enum State { kUnvisited = 0, kVisited = 1, kHover = 2 };

    CLinkLabel();
    ~CLinkLabel() override;

    void SetLinkAddress(const char* address) { m_linkAddress = address ? address : ""; }
    std::string GetLinkAddress() const { return m_linkAddress; }

    // The link actions (link_actions.cpp).
    bool OpenLink();
    bool AddInternetShortcut(int folder);
    bool SaveInternetShortcut(const char* path);

    // What the control shows and holds, for its users and tests.
    int GetState() const { return m_state; }
    bool IsMenuShowing() const { return m_menuShowing; }
    COLORREF GetStateColour() const;

    static const MessageMap* ClassMessageMap();
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }

protected:
    void OnAttached() override;
    void OnDetaching() override;

private:
    // Handlers, in the order of the message map.
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    void OnCopyShortcut();
    void OnProperties();
    LRESULT OnCtlColor(WPARAM wParam, LPARAM lParam);
    void OnOpen();
    void OnAddToFavorites();
    void OnAddToDesktop();
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);

    void EnterHover();
    void LeaveHover();

    std::string m_linkAddress;
    HCURSOR m_linkCursor = nullptr;
    HCURSOR m_unavailableCursor = nullptr;
    COLORREF m_unvisitedColour = RGB(0, 0, 255);
    COLORREF m_visitedColour = RGB(128, 0, 128);
    COLORREF m_hoverColour = RGB(255, 0, 0);
    bool m_hoverTracking = true;
    int m_state = kUnvisited;
    int m_savedState = kUnvisited;
    bool m_menuShowing = false;
    std::unique_ptr<CFont> m_underlineFont;
    bool m_contextMenu = true;
    bool m_linkActive = true;

    std::unique_ptr<MouseRoute> m_mouse;
};
