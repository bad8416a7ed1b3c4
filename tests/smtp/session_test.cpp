// The SMTP session against a scripted peer and against a real server on loopback.
#include "tests/smtp/test_connection.h"
#include "tests/support/smtp_sink.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace quillo::test;
using Peer = ScriptedPeer;

namespace {

const Script kGreeting = {Peer::Send("220 ready\r\n")};

TEST(Session, NewConnectionDefaults)
{
    CSMTPConnection connection;
    EXPECT_EQ(connection.GetHelloName(), "auto");
    EXPECT_EQ(connection.GetLastReply(), "");
    EXPECT_EQ(connection.GetLastReplyCode(), 0);
    EXPECT_EQ(connection.GetReplyTimeout(), 60000u);
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_TRUE(connection.ExtensionHook(1, 2));
}

TEST(Session, GreetsWithHeloUnderTheLocalHostName)
{
    Peer peer(Steps({kGreeting, Peer::Answer("250 hello\r\n"), Peer::Answer("221 bye\r\n")}));
    {
        CSMTPConnection connection;
        ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
        EXPECT_TRUE(connection.IsConnected());
        EXPECT_EQ(connection.GetHelloName(), LocalHostName());
        EXPECT_EQ(connection.GetLastReply(), "250 hello");
        EXPECT_TRUE(connection.CloseSession());
        EXPECT_EQ(connection.GetLastReply(), "221 bye");
        EXPECT_FALSE(connection.IsConnected());
    }
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "HELO " + LocalHostName() + "\r\nQUIT\r\n");
}

TEST(Session, RefusedGreetingSendsQuitAndCloses)
{
    Peer peer(Steps({{Peer::Send("554 no service\r\n")}, Peer::Answer("221 bye\r\n")}));
    TestConnection connection;
    EXPECT_FALSE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);  // QUIT was answered with 221
    EXPECT_EQ(connection.GetLastReply(), "221 bye");
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_EQ(connection.Handle(), INVALID_SOCKET);
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "QUIT\r\n");
}

TEST(Session, RefusedHeloSendsQuitAndReportsBadCommandWhenQuitIsRefusedToo)
{
    Peer peer(Steps({kGreeting, Peer::Answer("501 who are you\r\n"), Peer::Answer("500 no\r\n")}));
    TestConnection connection;
    EXPECT_FALSE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(connection.GetLastReply(), "500 no");
    EXPECT_EQ(connection.Handle(), INVALID_SOCKET);
}

TEST(Session, UnresolvableServerFailsAtOnceAndKeepsTheLastReply)
{
    Peer peer(Steps({kGreeting, Peer::Answer("250 hello\r\n"), Peer::Answer("221 bye\r\n")}));
    TestConnection connection;
    ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    ASSERT_TRUE(connection.CloseSession());
    EXPECT_FALSE(connection.OpenSession("no-such-host.invalid", NoLogin, nullptr, nullptr, 25, nullptr));
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    EXPECT_EQ(connection.GetLastReply(), "221 bye");
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_NE(connection.Handle(), INVALID_SOCKET);  // unconnected: closed by CloseSession
    EXPECT_FALSE(connection.CloseSession());
    EXPECT_EQ(connection.Handle(), INVALID_SOCKET);
}

TEST(Session, RefusedConnectionLeavesNothingSent)
{
    int port;
    {
        Peer gone({});
        port = gone.Port();
    }
    CSMTPConnection connection;
    EXPECT_FALSE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, port, nullptr));
    EXPECT_EQ(GetLastError(), WSAECONNREFUSED);
    EXPECT_EQ(connection.GetLastReply(), "");
}

TEST(Session, UnknownMechanismGreetsWithEhloThenQuits)
{
    Peer peer(Steps({kGreeting, Peer::Answer("250-hello\r\n250 AUTH LOGIN\r\n"), Peer::Answer("221 bye\r\n")}));
    CSMTPConnection connection;
    EXPECT_FALSE(connection.OpenSession("127.0.0.1", static_cast<AuthMechanism>(4), "u", "p", peer.Port(),
                                        nullptr));
    EXPECT_EQ(connection.GetLastReply(), "221 bye");
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "EHLO " + LocalHostName() + "\r\nQUIT\r\n");
}

TEST(Session, SilentServerLeavesTheLastReplyEmpty)
{
    Peer peer({Peer::Pause(5000)});
    CSMTPConnection connection;
    connection.SetReplyTimeout(300);
    EXPECT_FALSE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);  // the QUIT went unanswered too
    EXPECT_EQ(connection.GetLastReply(), "");
}

TEST(Session, CloseWithoutAConnectionSendsNothing)
{
    Peer peer(Steps({kGreeting, Peer::Answer("250 hello\r\n"), Peer::Answer("221 bye\r\n")}));
    CSMTPConnection connection;
    EXPECT_FALSE(connection.CloseSession());
    EXPECT_EQ(connection.GetLastReply(), "");
    ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    ASSERT_TRUE(connection.CloseSession());
    EXPECT_FALSE(connection.CloseSession());
    EXPECT_EQ(connection.GetLastReply(), "221 bye");
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "HELO " + LocalHostName() + "\r\nQUIT\r\n");
}

TEST(Session, DestructionSendsQuitAndWaitsForTheReply)
{
    constexpr int kDelayMs = 300;
    Peer peer(Steps({kGreeting, Peer::Answer("250 hello\r\n"),
                     {Peer::ReadLine(), Peer::Pause(kDelayMs), Peer::Send("221 bye\r\n")}}));
    auto connection = std::make_unique<CSMTPConnection>();
    ASSERT_TRUE(connection->OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    const auto start = std::chrono::steady_clock::now();
    connection.reset();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kDelayMs - 50));
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_TRUE(peer.ScriptCompleted());
    EXPECT_EQ(peer.Lines().back(), "QUIT\r\n");
}

TEST(Session, HelloNameWithALineBreakIsRefusedBeforeSending)
{
    Peer peer(Steps({kGreeting, Peer::Answer("250 hello\r\n"), Peer::Answer("221 bye\r\n")}));
    TestConnection connection;
    ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    EXPECT_FALSE(connection.GreetPlain("me\r\nRCPT TO:<x@y>"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(connection.IsConnected());
    EXPECT_TRUE(connection.CloseSession());
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "HELO " + LocalHostName() + "\r\nQUIT\r\n");
}

// A real server: aiosmtpd writes each line of its EHLO reply separately, so the client
// often receives only the first lines at first.
TEST(SessionWithRealServer, OpensAndClosesWithHelo)
{
    SmtpSink sink;
    CSMTPConnection connection;
    ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, sink.Port(), nullptr))
        << GetLastError() << " " << connection.GetLastReply();
    EXPECT_EQ(connection.GetLastReplyCode(), 250);
    EXPECT_TRUE(connection.CloseSession());
    EXPECT_EQ(connection.GetLastReply().substr(0, 3), "221");
}

TEST(SessionWithRealServer, MultiLineEhloReplyKeepsTheConversationInStep)
{
    SmtpSink sink;
    for (int round = 0; round < 5; ++round) {
        CSMTPConnection connection;
        // An unknown mechanism: EHLO, its whole reply, then QUIT answered with 221.
        EXPECT_FALSE(connection.OpenSession("127.0.0.1", static_cast<AuthMechanism>(4), nullptr, nullptr,
                                            sink.Port(), nullptr));
        EXPECT_EQ(connection.GetLastReply().substr(0, 4), "221 ") << connection.GetLastReply();
    }
}

}  // namespace
