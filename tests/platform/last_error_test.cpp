#include "platform/last_error.h"
#include "platform/tick.h"

#include <cerrno>
#include <thread>

#include <gtest/gtest.h>

TEST(LastError, IsPerThread)
{
    SetLastError(WSAETIMEDOUT);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
}

TEST(LastError, MapsSocketErrnosToWindowsSocketsNumbers)
{
    const struct { int err; DWORD wsa; } cases[] = {
        {ECONNREFUSED, 10061}, {ECONNRESET, 10054}, {EPIPE, 10054}, {EHOSTUNREACH, 10065},
        {ENOTSOCK, 10038}, {EBADF, 10038}, {ETIMEDOUT, 10060}, {EINVAL, 10022},
    };
    for (const auto& c : cases) EXPECT_EQ(WsaErrorFromErrno(c.err), c.wsa) << c.err;
}

TEST(Tick, AdvancesAcrossSleep)
{
    const DWORD start = GetTickCount();
    Sleep(20);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - start), 19u);
}
