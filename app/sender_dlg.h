#pragma once
// The main window: recipient list, subject and message, Send; its menu reaches the Settings
// dialog, the recipient file, help and the About box.
#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"

#include <string>

class CSenderDlg : public CDialog {
public:
    CSenderDlg();
    ~CSenderDlg() override;

    static const MessageMap* ClassMessageMap();
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }

    CComboBox m_recipientBox;
    std::string m_message;
    std::string m_subject;
    HICON m_icon = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;

    void OnSysCommand(WPARAM id, LPARAM lParam);
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnSettings();
    void OnExit();
    void OnEditRecipients();
    void OnSend();
    void OnAbout();
    void OnReload();
};
