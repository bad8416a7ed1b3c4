#include "app/about_box.h"

namespace {
constexpr int kTemplate = 100;
constexpr int kLinkControl = 1007;
}  // namespace

CAboutBox::CAboutBox() : CDialog(kTemplate) {}

void CAboutBox::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kLinkControl, m_link);
}

bool CAboutBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_link.SetLinkAddress(kQuilloWebPage);
    return true;
}

void ShowAboutBox()
{
    CAboutBox about;
    about.DoModal();
}
