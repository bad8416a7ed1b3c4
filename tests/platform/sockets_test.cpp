// The platform's socket layer: dotted addresses without look-up, host names, error numbers.
#include "platform/sockets.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Sockets, DottedAddressesAreTakenWithoutLookUp)
{
    const struct {
        const char* text;
        const char* address;  // null: not a dotted address
    } cases[] = {
        {"192.0.2.25", "192.0.2.25"},
        {"127.0.0.1", "127.0.0.1"},
        {"localhost", nullptr},
        {"mail.example.org", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const in_addr_t got = wsock::inet_addr(c.text);
        if (c.address == nullptr) {
            EXPECT_EQ(got, INADDR_NONE);
        } else {
            in_addr expected{};
            ASSERT_EQ(::inet_pton(AF_INET, c.address, &expected), 1);
            EXPECT_EQ(got, expected.s_addr);
        }
    }
    EXPECT_EQ(wsock::inet_addr(nullptr), INADDR_NONE);
}

TEST(Sockets, HostNamesResolveOrFail)
{
    in_addr_t address = 0;
    ASSERT_TRUE(wsock::gethostbyname("localhost", address));
    EXPECT_EQ(address & htonl(0xFF000000u), htonl(0x7F000000u));  // somewhere in 127/8
    EXPECT_FALSE(wsock::gethostbyname("no-such-host.invalid", address));
    EXPECT_FALSE(wsock::gethostbyname("", address));
}

TEST(Sockets, LocalHostNameFitsOrFails)
{
    char name[100];
    ASSERT_EQ(wsock::gethostname(name, sizeof name), 0);
    EXPECT_GT(std::strlen(name), 0u);
    char tiny[1];
    EXPECT_EQ(wsock::gethostname(tiny, sizeof tiny), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAEFAULT);
}

TEST(Sockets, CallsOnNoSocketReportNotASocket)
{
    char byte = 0;
    EXPECT_EQ(wsock::send(INVALID_SOCKET, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(wsock::recv(INVALID_SOCKET, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(wsock::select_readable(INVALID_SOCKET, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(wsock::closesocket(INVALID_SOCKET), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

}  // namespace
