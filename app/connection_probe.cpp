#include "app/connection_probe.h"

CConnectionProbe g_connectionProbe;

CConnectionProbe::CConnectionProbe() : CConnectionProbe("WININET.DLL") {}

CConnectionProbe::CConnectionProbe(const char* library)
{
    m_library = LoadLibraryA(library);
    if (m_library == nullptr)
        return;
    // Each lookup goes on regardless of the one before.
    m_getConnectedState = GetProcAddress(m_library, "InternetGetConnectedState");
    m_autodialHangup = GetProcAddress(m_library, "InternetAutodialHangup");
    m_attemptConnect = GetProcAddress(m_library, "InternetAttemptConnect");
}

CConnectionProbe::~CConnectionProbe() { Release(); }

void CConnectionProbe::Release()
{
    if (m_library != nullptr) {
        FreeLibrary(m_library);
        m_library = nullptr;
    }
}
