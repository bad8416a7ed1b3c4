#include "hyperlink/link_properties.h"

#include "hyperlink/link_label.h"
#include "platform/ui/parent_wnd.h"

#include <wx/textctrl.h>

namespace {
constexpr int kPageTemplate = 105;
constexpr int kSheetTitle = 105;  // "Properties"
constexpr int kCaptionField = 1005;
constexpr int kAddressField = 1007;

void SetFieldText(wxWindow* field, const std::string& text)
{
    if (auto* edit = dynamic_cast<wxTextCtrl*>(field))
        edit->ChangeValue(ToToolkit(text));
}

}  // namespace

CHLinkPage::CHLinkPage() : CPropertyPage(kPageTemplate) {}

bool CHLinkPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    if (m_link != nullptr) {
        SetFieldText(GetDlgItem(kCaptionField), m_link->GetWindowText());
        SetFieldText(GetDlgItem(kAddressField), m_link->GetLinkAddress());
    }
    return true;
}

CHLinkSheet::CHLinkSheet(int captionId, CWnd* parent, int selectPage)
    : CPropertySheet(captionId, parent, selectPage)
{
    AddPage(&m_page);
}

void CLinkLabel::OnProperties()
{
    CParentWnd parent(*this);
    CHLinkSheet sheet(kSheetTitle, parent.Get(), 0);
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    sheet.m_page.m_link = this;
    sheet.DoModal();
}
