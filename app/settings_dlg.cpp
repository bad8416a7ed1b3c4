#include "app/settings_dlg.h"

#include "app/resource_ids.h"
#include "app/settings_file.h"

CSettingsDlg::CSettingsDlg() : CDialog(IDD_SETTINGS) {}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_FROM_ADDRESS, m_fromAddress);
    DDX_Text(pDX, IDC_SMTP_SERVER, m_smtpServer);
}

bool CSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    std::string from, server;
    if (ReadSettingsFile(this, from, server)) {
        m_fromAddress = from;
        m_smtpServer = server;
        UpdateData(false);
    }
    return true;  // the focus goes to the first tab stop, the SMTP server field
}

void CSettingsDlg::OnOK()
{
    UpdateData(true);
    if (m_fromAddress.empty() || m_smtpServer.empty()) {
        MessageBox("Settings cannot be blank!", "Error", MB_ICONEXCLAMATION);
        return;
    }
    if (!WriteSettingsFile(this, m_fromAddress, m_smtpServer))
        return;
    CDialog::OnOK();
}
