#pragma once
// The application object: one per program, constructed statically; the layer's entry point runs
// its start-up (InitInstance) and ends the program when that returns false. Commands that the
// main window does not handle (0x8000..0xEFFF) come to its command map.
#include "platform/ui/wnd.h"

#include <string>

class CWinApp : public CCmdTarget {
public:
    // appName null: the title is string 57344 of the resources.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual bool InitInstance();
    virtual int ExitInstance() { return 0; }

    // The application title: the caption of the layer's own message boxes.
    std::string GetAppTitle() const;
    HICON LoadIcon(int id) const;

    CWnd* m_pMainWnd = nullptr;

private:
    std::string m_appName;
    CWinApp* m_previous;
};

CWinApp* AfxGetApp();
// A window's last stop for WM_COMMAND: a command in the application's range goes on to the
// application's command map; others end here.
void AfxForwardAppCommand(WPARAM wParam, LPARAM lParam);
// The running application's title, "" without an application object.
std::string AfxGetAppTitle();

// The program's entry: starts the toolkit and runs the application object's start-up; the
// program ends when it returns. Command-line arguments are not read.
int AfxWinMain(int argc, char** argv);
// The toolkit's start and end around the program (AfxWinMain uses them; so do tests of windows).
// Start fails without a display.
bool AfxStartToolkit(int argc, char** argv);
void AfxEndToolkit();

// Platform services switched on at start-up.
struct WSADATA {
    unsigned short wVersion = 0;
    unsigned short wHighVersion = 0;
};
int WSAStartup(unsigned short versionRequested, WSADATA* data);  // 0 on success
int WSACleanup();
// Tests make the next WSAStartup calls fail with error (0: succeed again).
void SetWSAStartupFailureForTest(int error);
bool AfxEnable3dControls();  // nothing to do on this toolkit
long OleInitialize(void* reserved);  // nothing to do here; 0 (S_OK)
