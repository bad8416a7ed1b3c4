#pragma once
// Holds the system's Internet library with three of its connection-state functions for the
// program's whole run. Nothing calls them: the Send command judges the connection by the SMTP
// conversation itself. Where the library is missing (always so on this platform) every field
// stays null and the program runs exactly the same.
#include "platform/dynamic_library.h"

class CConnectionProbe {
public:
    CConnectionProbe();                              // loads "WININET.DLL"
    explicit CConnectionProbe(const char* library);  // the same for another library (tests)
    ~CConnectionProbe();
    CConnectionProbe(const CConnectionProbe&) = delete;
    CConnectionProbe& operator=(const CConnectionProbe&) = delete;

    // Releases the library once; the function fields keep their values, as the destructor leaves them.
    void Release();

    HMODULE m_library = nullptr;
    FARPROC m_getConnectedState = nullptr;
    FARPROC m_autodialHangup = nullptr;
    FARPROC m_attemptConnect = nullptr;
};

extern CConnectionProbe g_connectionProbe;
