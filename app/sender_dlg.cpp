#include "app/sender_dlg.h"

#include "app/about_box.h"
#include "app/recipient_file.h"
#include "app/resource_ids.h"
#include "app/send_command.h"
#include "app/settings_dlg.h"
#include "app/settings_file.h"
#include "platform/ui/menu.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"

CSenderDlg::CSenderDlg() : CDialog(IDD_SENDER_DIALOG), m_icon(LoadIconResource(IDR_MAINFRAME)) {}

CSenderDlg::~CSenderDlg() = default;

const MessageMap* CSenderDlg::ClassMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnMessage<&CSenderDlg::OnSysCommand>(WM_SYSCOMMAND),
        OnMessage<&CSenderDlg::OnPaint>(WM_PAINT),
        OnMessage<&CSenderDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
        OnCommand<&CSenderDlg::OnSettings>(ID_CONFIGURE_SETTINGS),
        OnCommand<&CSenderDlg::OnExit>(ID_PROGRAM_EXIT),
        OnCommand<&CSenderDlg::OnEditRecipients>(ID_EDIT_RECIPIENTS),
        OnCommand<&CSenderDlg::OnSend>(IDC_SEND),
        OnCommand<&CSenderDlg::OnAbout>(ID_HELP_ABOUT),
        OnCommand<&CSenderDlg::OnReload>(IDC_RELOAD),
    };
    static const MessageMap map{&CDialog::ClassMessageMap, entries};
    return &map;
}

void CSenderDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RECIPIENTS, m_recipientBox);
    DDX_Text(pDX, IDC_MESSAGE, m_message);
    DDV_MaxChars(pDX, m_message, kMaxMessageChars);
    DDX_Text(pDX, IDC_SUBJECT, m_subject);
}

bool CSenderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (CMenu* systemMenu = GetSystemMenu(false)) {
        std::string about = LoadStringResource(IDS_ABOUTBOX);
        if (!about.empty()) {
            systemMenu->AppendMenu(MF_SEPARATOR);
            systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    SetIcon(m_icon, true);
    SetIcon(m_icon, false);

    LoadRecipients(m_recipientBox, this);
    std::string from, server;
    if (ReadSettingsFile(this, from, server)) {
        g_fromAddress = from;
        g_smtpServer = server;
    }
    return true;  // the focus goes to the first tab stop, the Subject field
}

void CSenderDlg::OnSysCommand(WPARAM id, LPARAM lParam)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        CDialog::DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

void CSenderDlg::OnPaint()
{
    // The desktop draws a minimised window's icon itself (the window's icons are set above) and
    // never asks the program to paint one, so there is nothing of the program's own to draw.
}

LRESULT CSenderDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_icon);
}

void CSenderDlg::OnSettings()
{
    CSettingsDlg settings;
    settings.DoModal();
}

void CSenderDlg::OnExit()
{
    OnOK();
}

void CSenderDlg::OnEditRecipients()
{
    EditRecipients();
}

void CSenderDlg::OnSend()
{
    UpdateData(true);
    RunSendCommand(*this, m_recipientBox, m_subject, m_message);
}

void CSenderDlg::OnAbout()
{
    ShowAboutBox();
}

void CSenderDlg::OnReload()
{
    ReloadRecipients(m_recipientBox, this);
}
