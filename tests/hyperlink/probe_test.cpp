#include "app/connection_probe.h"

#include <gtest/gtest.h>

TEST(ConnectionProbe, InternetLibraryIsMissingHereSoEveryFieldStaysNull)
{
    EXPECT_EQ(g_connectionProbe.m_library, nullptr);
    EXPECT_EQ(g_connectionProbe.m_getConnectedState, nullptr);
    EXPECT_EQ(g_connectionProbe.m_autodialHangup, nullptr);
    EXPECT_EQ(g_connectionProbe.m_attemptConnect, nullptr);

    CConnectionProbe probe;
    EXPECT_EQ(probe.m_library, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(ConnectionProbe, LooksUpEachFunctionRegardlessOfAMissingOneAndReleasesTheLibraryOnce)
{
    CConnectionProbe probe(FAKE_WININET_PATH);
    ASSERT_NE(probe.m_library, nullptr);
    EXPECT_NE(probe.m_getConnectedState, nullptr);
    EXPECT_EQ(probe.m_autodialHangup, nullptr);  // not exported by the stand-in
    EXPECT_NE(probe.m_attemptConnect, nullptr);  // looked up after the missing one

    FARPROC kept = probe.m_attemptConnect;
    probe.Release();
    EXPECT_EQ(probe.m_library, nullptr);
    EXPECT_EQ(probe.m_attemptConnect, kept);  // the function fields stay as they were
    probe.Release();                          // a second release frees nothing more
    EXPECT_EQ(probe.m_library, nullptr);
}

TEST(DynamicLibrary, FailuresLeaveTheWindowsNumbers)
{
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LoadLibraryA("NO-SUCH-LIBRARY.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);

    HMODULE module = LoadLibraryA(FAKE_WININET_PATH);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "InternetAutodialHangup"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(nullptr));
}
