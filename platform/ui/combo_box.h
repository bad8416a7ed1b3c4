#pragma once
// The recipient list's combo box: a drop-down list whose entries live in the object itself, kept in
// sorted order, and mirrored into the toolkit control while one is attached. Without a control it
// still works, which lets the shell's logic be tested without a display.
#include "platform/ui/wnd.h"

#include <string>
#include <vector>

class wxComboBox;

inline constexpr int CB_ERR = -1;

class CComboBox : public CWnd {
public:
    int AddString(const char* text);      // inserts in sorted place; returns its index
    void ResetContent();                  // removes every entry and the selection
    int GetCount() const;
    int GetCurSel() const;                // CB_ERR when nothing is selected
    int SetCurSel(int index);             // CB_ERR deselects
    int GetLBTextLen(int index) const;    // CB_ERR for a bad index
    std::string GetLBText(int index) const;  // empty for a bad index

protected:
    void OnAttached() override;
    void OnDetaching() override;

private:
    wxComboBox* Control() const;

    std::vector<std::string> m_entries;
    int m_selection = CB_ERR;
};
