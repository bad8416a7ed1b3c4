#pragma once
// Property sheets: a modal window with one tab per page, each page built from a dialog template,
// and the buttons OK, Cancel, Help (when a page has help) and Apply (unless PSH_NOAPPLYNOW).
#include "platform/ui/dialog_template.h"
#include "platform/ui/wnd.h"

#include <vector>

class wxDialog;

inline constexpr unsigned PSH_NOAPPLYNOW = 0x0080;
inline constexpr unsigned PSP_HASHELP = 0x0020;

struct PROPSHEETHEADER {
    unsigned dwFlags = 0;
};
struct PROPSHEETPAGE {
    unsigned dwFlags = 0;
};

class CPropertySheet;
class CDataExchange;

class CPropertyPage : public CWnd {
public:
    // captionId 0: the tab shows the template's caption.
    explicit CPropertyPage(int templateId, int captionId = 0);
    ~CPropertyPage() override;

    // The toolkit control with a template id on this page, or null.
    wxWindow* GetDlgItem(int controlId) const;
    int GetTemplateId() const { return m_templateId; }
    std::string GetTabText() const;

    PROPSHEETPAGE m_psp;

protected:
    friend class CPropertySheet;
    // Runs once the page's controls exist; the base loads the fields into the controls.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}

    // Commands the page does not handle go to the sheet, and from there to the application.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int m_templateId;
    int m_captionId;
    DialogTemplate m_template;
    CPropertySheet* m_sheet = nullptr;
};

class CPropertySheet : public CWnd {
public:
    // captionId: string resource of the title; parent null: the application's main window.
    CPropertySheet(int captionId, CWnd* parent = nullptr, int selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    void RemovePage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    // Shows the sheet until OK (IDOK) or Cancel (IDCANCEL); -1 when it cannot be made.
    virtual int DoModal();
    // The sheet's toolkit window while it is shown (tests).
    static wxDialog* GetShownSheet();

    PROPSHEETHEADER m_psh;

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int m_captionId;
    CWnd* m_parent;
    int m_selectPage;
    std::vector<CPropertyPage*> m_pages;
};
