#include "platform/ui/property_sheet.h"

#include "platform/ui/dialog.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>

namespace {

wxDialog* g_shownSheet = nullptr;

int ToolkitId(int id) { return id == IDOK ? wxID_OK : id == IDCANCEL ? wxID_CANCEL : id == -1 ? wxID_ANY : id; }

// The platform marks a page as having help whenever the application or its main window
// handles the help command.
bool ApplicationHasHelp()
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return false;
    if (FindMessageEntry(app->GetMessageMap(), WM_COMMAND, ID_HELP) != nullptr)
        return true;
    return app->m_pMainWnd != nullptr &&
           FindMessageEntry(app->m_pMainWnd->GetMessageMap(), WM_COMMAND, ID_HELP) != nullptr;
}

}  // namespace

CPropertyPage::CPropertyPage(int templateId, int captionId) : m_templateId(templateId), m_captionId(captionId)
{
    if (ApplicationHasHelp())
        m_psp.dwFlags |= PSP_HASHELP;
}

// A page that goes first (a sheet's member page) leaves the sheet's list.
CPropertyPage::~CPropertyPage()
{
    if (m_sheet != nullptr)
        m_sheet->RemovePage(this);
}

wxWindow* CPropertyPage::GetDlgItem(int controlId) const
{
    return m_wnd != nullptr ? m_wnd->FindWindow(ToolkitId(controlId)) : nullptr;
}

std::string CPropertyPage::GetTabText() const
{
    if (m_captionId != 0)
        return LoadStringResource(m_captionId);
    return m_template.caption;
}

bool CPropertyPage::OnInitDialog()
{
    CDataExchange dx(nullptr, false);
    DoDataExchange(&dx);
    return true;
}

LRESULT CPropertyPage::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && m_sheet != nullptr)
        return m_sheet->SendMessage(message, wParam, lParam);
    return CWnd::DefWindowProc(message, wParam, lParam);
}

CPropertySheet::CPropertySheet(int captionId, CWnd* parent, int selectPage)
    : m_captionId(captionId), m_parent(parent), m_selectPage(selectPage)
{
}

CPropertySheet::~CPropertySheet()
{
    for (CPropertyPage* page : m_pages)
        page->m_sheet = nullptr;
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    if (page == nullptr)
        return;
    page->m_sheet = this;
    m_pages.push_back(page);
}

void CPropertySheet::RemovePage(CPropertyPage* page)
{
    std::erase(m_pages, page);
    if (page != nullptr && page->m_sheet == this)
        page->m_sheet = nullptr;
}

wxDialog* CPropertySheet::GetShownSheet() { return g_shownSheet; }

LRESULT CPropertySheet::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        // Commands nobody on the sheet handles go on to the application's command map.
        AfxForwardAppCommand(wParam, lParam);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

int CPropertySheet::DoModal()
{
    if (m_pages.empty())
        return -1;
    CWinApp* app = AfxGetApp();
    CWnd* owner = m_parent ? m_parent : app ? app->m_pMainWnd : nullptr;
    wxWindow* parent = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
    if (parent != nullptr)
        parent = wxGetTopLevelParent(parent);

    wxDialog dialog(parent, wxID_ANY, ToToolkit(LoadStringResource(m_captionId)), wxDefaultPosition,
                    wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    dialog.SetName("property sheet");
    auto* notebook = new wxNotebook(&dialog, wxID_ANY);
    bool hasHelp = false;
    for (CPropertyPage* page : m_pages) {
        if (!LoadDialogTemplate(page->m_templateId, page->m_template))
            return -1;
        auto* panel = new wxPanel(notebook, wxID_ANY);
        CDialog::CreateControls(page->m_template, panel);
        int width = 0;
        int height = 0;
        CDialog::DialogSizeInPixels(page->m_template, panel, width, height);
        panel->SetMinSize(wxSize(width, height));
        notebook->AddPage(panel, ToToolkit(page->GetTabText()));
        page->Attach(panel);
        hasHelp = hasHelp || (page->m_psp.dwFlags & PSP_HASHELP) != 0;
    }
    if (m_selectPage >= 0 && m_selectPage < GetPageCount())
        notebook->SetSelection(static_cast<std::size_t>(m_selectPage));

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    auto* ok = new wxButton(&dialog, wxID_OK, "OK");
    buttons->Add(ok, 0, wxLEFT, 6);
    buttons->Add(new wxButton(&dialog, wxID_CANCEL, "Cancel"), 0, wxLEFT, 6);
    if ((m_psh.dwFlags & PSH_NOAPPLYNOW) == 0) {
        auto* apply = new wxButton(&dialog, wxID_APPLY, "&Apply");
        apply->Disable();  // nothing has changed yet
        buttons->Add(apply, 0, wxLEFT, 6);
    }
    if (hasHelp)
        buttons->Add(new wxButton(&dialog, wxID_HELP, "Help"), 0, wxLEFT, 6);
    ok->SetDefault();

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(notebook, 1, wxEXPAND | wxALL, 7);
    sizer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 7);
    dialog.SetSizerAndFit(sizer);
    dialog.CentreOnParent();

    // Help goes to the page shown, which hands it on.
    dialog.Bind(wxEVT_BUTTON, [this, notebook](wxCommandEvent&) {
        int shown = notebook->GetSelection();
        if (shown >= 0 && shown < GetPageCount())
            m_pages[static_cast<std::size_t>(shown)]->SendMessage(WM_COMMAND, ID_HELP, 0);
    }, wxID_HELP);

    for (CPropertyPage* page : m_pages)
        page->OnInitDialog();
    wxDialog* outer = g_shownSheet;
    g_shownSheet = &dialog;
    int result = dialog.ShowModal();
    g_shownSheet = outer;
    for (CPropertyPage* page : m_pages)
        page->Detach();
    return result == wxID_OK ? IDOK : IDCANCEL;
}
