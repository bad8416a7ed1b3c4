#include "app/sender_app.h"

#include "app/help.h"
#include "app/resource_ids.h"
#include "app/sender_dlg.h"
#include "platform/ui/resources.h"

CSenderApp g_senderApp;

CSenderApp::CSenderApp() = default;  // no name: the title is string 57344
CSenderApp::~CSenderApp() = default;

const MessageMap* CSenderApp::ClassMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnCommand<&CSenderApp::OnHelp>(ID_HELP_CONTENTS),
        OnCommand<&CSenderApp::OnHelp>(ID_HELP),
    };
    static const MessageMap map{nullptr, entries};
    return &map;
}

bool CSenderApp::InitInstance()
{
    WSADATA data;
    const bool started = WSAStartup(0x0101, &data) == 0;
    if (!started || data.wVersion != 0x0101) {
        if (started)
            WSACleanup();
        ShowMessageBox(nullptr, LoadStringResource(IDP_SOCKETS_INIT_FAILED), "", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    AfxEnable3dControls();
    OleInitialize(nullptr);

    CSenderDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    // Not entering a message loop of the layer's own ends the program.
    return false;
}

void CSenderApp::OnHelp()
{
    OpenHelpFile();
}
