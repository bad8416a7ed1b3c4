#pragma once
// The application object: starts the platform services, runs the main dialog, and serves the
// Help commands that the dialog hands on.
#include "platform/ui/win_app.h"

class CSenderApp : public CWinApp {
public:
    CSenderApp();
    ~CSenderApp() override;

    bool InitInstance() override;

    static const MessageMap* ClassMessageMap();
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }

protected:
    void OnHelp();
};

extern CSenderApp g_senderApp;
