#include "platform/ui/win_app.h"

#include "platform/ui/resources.h"

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

void LoadDialogStyle();  // dialog_style.cpp

namespace {
CWinApp* g_app = nullptr;
int g_wsaStartupFailure = 0;

// The toolkit's application object; the program's own start-up runs in AfxWinMain.
class ToolkitApp : public wxApp {
public:
    bool OnInit() override { return true; }  // no command-line parsing: the program reads none
};
}  // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : ""), m_previous(g_app)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = m_previous;  // a further object (made by a test) hands back to the program's own
}

bool CWinApp::InitInstance()
{
    return false;
}

std::string CWinApp::GetAppTitle() const
{
    return m_appName.empty() ? LoadStringResource(57344) : m_appName;
}

HICON CWinApp::LoadIcon(int id) const
{
    return LoadIconResource(id);
}

CWinApp* AfxGetApp()
{
    return g_app;
}

void AfxForwardAppCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = static_cast<UINT>(wParam & 0xFFFF);
    if (id >= kFirstAppCommand && id <= kLastAppCommand && g_app != nullptr)
        g_app->OnCmdMsg(WM_COMMAND, id, wParam, lParam);
}

std::string AfxGetAppTitle()
{
    return g_app ? g_app->GetAppTitle() : std::string();
}

bool AfxStartToolkit(int argc, char** argv)
{
    wxApp::SetInstance(new ToolkitApp);
    static int toolkitArgc;
    static char* toolkitArgv[2];
    toolkitArgc = argc > 0 ? 1 : 0;  // the program reads no arguments, and the toolkit gets none
    toolkitArgv[0] = argc > 0 ? argv[0] : nullptr;
    if (!wxEntryStart(toolkitArgc, toolkitArgv))
        return false;
    wxTheApp->SetAppName("quillo");
    wxTheApp->SetAppDisplayName(ToToolkit(AfxGetAppTitle()));
    LoadDialogStyle();
    return true;
}

void AfxEndToolkit()
{
    wxTheApp->OnExit();
    wxEntryCleanup();
}

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    if (!AfxStartToolkit(argc, argv)) {
        std::fprintf(stderr, "%s: cannot open the display\n", app->GetAppTitle().c_str());
        return 1;
    }
    // Start-up runs the program; it returns false so that no message loop of the layer follows.
    if (app->InitInstance())
        wxTheApp->OnRun();
    int code = app->ExitInstance();
    app->m_pMainWnd = nullptr;
    AfxEndToolkit();
    return code;
}

int WSAStartup(unsigned short versionRequested, WSADATA* data)
{
    if (g_wsaStartupFailure != 0)
        return g_wsaStartupFailure;
    // POSIX sockets need no start-up; every version asked for is granted as asked.
    if (data) {
        data->wVersion = versionRequested;
        data->wHighVersion = versionRequested;
    }
    return 0;
}

int WSACleanup()
{
    return 0;
}

void SetWSAStartupFailureForTest(int error)
{
    g_wsaStartupFailure = error;
}

bool AfxEnable3dControls()
{
    return true;
}

long OleInitialize(void*)
{
    return 0;
}
