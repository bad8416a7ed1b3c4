// The SMTP session against a scripted peer and against a real server on loopback.
#include "smtp/smtp_connection.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/smtp_sink.h"

#include <gtest/gtest.h>
#include <unistd.h>

using quillo::test::ScriptedPeer;
using quillo::test::SmtpSink;

namespace {

std::string LocalHostName()
{
    char name[100] = {};
    ::gethostname(name, sizeof name);
    return name;
}

std::vector<ScriptedPeer::Step> Join(std::initializer_list<std::vector<ScriptedPeer::Step>> parts)
{
    std::vector<ScriptedPeer::Step> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace

TEST(Session, NewConnectionDefaults)
{
    CSMTPConnection connection;
    EXPECT_EQ(connection.GetHelloName(), "auto");
    EXPECT_EQ(connection.GetLastReply(), "");
    EXPECT_EQ(connection.GetLastReplyCode(), 0);
    EXPECT_EQ(connection.GetReplyTimeout(), 60000u);
    EXPECT_FALSE(connection.IsConnected());
}

TEST(Session, GreetsWithHeloUnderTheLocalHostName)
{
    ScriptedPeer peer(Join({{ScriptedPeer::Send("220 ready\r\n")},
                            ScriptedPeer::Answer("250 hello\r\n"),
                            ScriptedPeer::Answer("221 bye\r\n")}));
    {
        CSMTPConnection connection;
        ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
        EXPECT_TRUE(connection.IsConnected());
        EXPECT_EQ(connection.GetHelloName(), LocalHostName());
        EXPECT_EQ(connection.GetLastReply(), "250 hello");
        EXPECT_TRUE(connection.CloseSession());
        EXPECT_EQ(connection.GetLastReply(), "221 bye");
    }
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "HELO " + LocalHostName() + "\r\nQUIT\r\n");
}

TEST(Session, OpensAndClosesAgainstARealServer)
{
    SmtpSink sink;
    CSMTPConnection connection;
    ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, sink.Port(), nullptr))
        << GetLastError();
    EXPECT_EQ(connection.GetLastReplyCode(), 250);
    EXPECT_TRUE(connection.CloseSession());
    EXPECT_EQ(connection.GetLastReplyCode(), 221);
}
