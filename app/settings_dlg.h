#pragma once
// The Settings dialog: edits the From address and the SMTP server in the settings file.
#include "platform/ui/dialog.h"

#include <string>

class CSettingsDlg : public CDialog {
public:
    CSettingsDlg();
    ~CSettingsDlg() override;

    std::string m_fromAddress;
    std::string m_smtpServer;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;
};
