// The socket wrapper on loopback: connect, poll, receive, close, errors in Windows numbering.
#include "smtp/mail_socket.h"
#include "tests/support/scripted_peer.h"

#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <fcntl.h>

#include <chrono>
#include <thread>

using quillo::test::ScriptedPeer;

namespace {

bool IsOpenDescriptor(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// A loopback port that nothing listens on: bound once, then released.
int FreePort()
{
    ScriptedPeer unused({});
    return unused.Port();
}

TEST(MailSocket, ConnectsToADottedAddressWithNoDelay)
{
    ScriptedPeer peer({ScriptedPeer::Send("hi")});
    CMailSocket socket;
    ASSERT_TRUE(socket.CreateStream());
    ASSERT_TRUE(socket.ConnectTo("127.0.0.1", peer.Port(), ""));  // empty local address: no bind
    int noDelay = 0;
    socklen_t size = sizeof noDelay;
    ASSERT_EQ(::getsockopt(socket.Handle(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
    EXPECT_NE(noDelay, 0);
}

TEST(MailSocket, BindsToAGivenLocalAddress)
{
    ScriptedPeer peer({});
    CMailSocket socket;
    ASSERT_TRUE(socket.CreateStream());
    ASSERT_TRUE(socket.ConnectTo("localhost", peer.Port(), "127.0.0.1"));
}

TEST(MailSocket, UnresolvableNamesFailWithInvalidArgument)
{
    CMailSocket socket;
    ASSERT_TRUE(socket.CreateStream());
    SetLastError(0);
    EXPECT_FALSE(socket.ConnectTo("no-such-host.invalid", 25, nullptr));
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    SetLastError(0);
    EXPECT_FALSE(socket.ConnectTo("127.0.0.1", 25, "no-such-host.invalid"));
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    EXPECT_NE(socket.Handle(), INVALID_SOCKET);  // a failed connect leaves the socket to its holder
}

TEST(MailSocket, RefusedConnectionReportsWindowsNumber)
{
    const int port = FreePort();
    CMailSocket socket;
    ASSERT_TRUE(socket.CreateStream());
    EXPECT_FALSE(socket.ConnectTo("127.0.0.1", port, nullptr));
    EXPECT_EQ(GetLastError(), WSAECONNREFUSED);
}

TEST(MailSocket, PollsWithoutWaitingAndSeesThePeersClose)
{
    ScriptedPeer peer({ScriptedPeer::ReadLine(), ScriptedPeer::Close()});
    CMailSocket socket;
    ASSERT_TRUE(socket.CreateStream());
    ASSERT_TRUE(socket.ConnectTo("127.0.0.1", peer.Port(), nullptr));
    bool readable = true;
    ASSERT_TRUE(socket.PollReadable(readable));
    EXPECT_FALSE(readable);
    ASSERT_TRUE(socket.SendBytes("bye\r\n", 5));
    ASSERT_TRUE(socket.PollReadable(readable, 20000));
    EXPECT_TRUE(readable);
    char buffer[16];
    EXPECT_EQ(socket.ReceiveBytes(buffer, sizeof buffer), 0);
}

// A send to a peer that has gone fails with the socket error and never kills the process.
TEST(MailSocket, SendToAClosedPeerFailsWithoutSigpipe)
{
    ScriptedPeer peer({ScriptedPeer::Reset()});
    CMailSocket socket;
    ASSERT_TRUE(socket.CreateStream());
    ASSERT_TRUE(socket.ConnectTo("127.0.0.1", peer.Port(), nullptr));
    ASSERT_TRUE(peer.WaitUntilClientCloses());  // the peer has reset the connection
    bool sent = true;
    for (int i = 0; i < 50 && sent; ++i) {
        sent = socket.SendBytes("data\r\n", 6);
        if (sent)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(sent);
    EXPECT_TRUE(GetLastError() == WSAECONNRESET || GetLastError() == WSAECONNABORTED) << GetLastError();
}

TEST(MailSocket, OperationsWithoutASocketFailAsNotASocket)
{
    CMailSocket socket;
    bool readable = false;
    EXPECT_FALSE(socket.PollReadable(readable));
    EXPECT_EQ(GetLastError(), WSAENOTSOCK);
    EXPECT_FALSE(socket.SendBytes("x", 1));
    EXPECT_EQ(GetLastError(), WSAENOTSOCK);
    char buffer[4];
    EXPECT_EQ(socket.ReceiveBytes(buffer, sizeof buffer), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAENOTSOCK);
    EXPECT_FALSE(socket.ConnectTo("127.0.0.1", 25, nullptr));
    EXPECT_EQ(GetLastError(), WSAENOTSOCK);
}

TEST(MailSocket, CloseIsIdempotentAndDestructionCloses)
{
    SOCKET handle = INVALID_SOCKET;
    {
        CMailSocket socket;
        socket.Close();  // nothing held: nothing happens
        ASSERT_TRUE(socket.CreateStream());
        handle = socket.Handle();
        ASSERT_TRUE(IsOpenDescriptor(handle));
        socket.Close();
        EXPECT_EQ(socket.Handle(), INVALID_SOCKET);
        EXPECT_FALSE(IsOpenDescriptor(handle));
        socket.Close();
        ASSERT_TRUE(socket.CreateStream());
        handle = socket.Handle();
    }
    EXPECT_FALSE(IsOpenDescriptor(handle));
}

}  // namespace
