// The three logins against a scripted peer: the exact lines the client sends, and when it stops.
#include "smtp/smtp_connection.h"
#include "tests/support/scripted_peer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quillo::test::ScriptedPeer;

namespace {

using Steps = std::vector<ScriptedPeer::Step>;

// One reply line to each of the client's next lines.
Steps Replies(std::initializer_list<std::string> lines)
{
    Steps steps;
    for (const auto& line : lines) {
        auto answer = ScriptedPeer::Answer(line + "\r\n");
        steps.insert(steps.end(), answer.begin(), answer.end());
    }
    return steps;
}

struct Outcome {
    bool opened = false;
    DWORD error = 0;
    std::string lastReply;  // as OpenSession left it
    bool connected = false;
    std::string sent;       // every byte the client sent after its EHLO line, QUIT included
};

// Opens a session with a login against a peer that greets, answers EHLO, plays the exchange
// and answers QUIT with "221 bye".
Outcome LogIn(AuthMechanism mechanism, const char* user, const char* password, Steps exchange)
{
    Steps script = {ScriptedPeer::Send("220 ready\r\n")};
    for (const Steps& part : {Replies({"250-peer\r\n250 AUTH LOGIN CRAM-MD5"}), exchange, Replies({"221 bye"})})
        script.insert(script.end(), part.begin(), part.end());
    ScriptedPeer peer(std::move(script));

    Outcome outcome;
    {
        CSMTPConnection connection;
        connection.SetReplyTimeout(10000);
        outcome.opened = connection.OpenSession("127.0.0.1", mechanism, user, password, peer.Port(), nullptr);
        outcome.error = GetLastError();
        outcome.lastReply = connection.GetLastReply();
        outcome.connected = connection.IsConnected();
        if (outcome.opened)
            connection.CloseSession();
    }
    EXPECT_TRUE(peer.WaitUntilClientCloses());
    const std::string received = peer.Received();
    const auto firstLineEnd = received.find("\r\n");
    EXPECT_EQ(received.rfind("EHLO ", 0), 0u) << received;
    if (firstLineEnd != std::string::npos)
        outcome.sent = received.substr(firstLineEnd + 2);
    return outcome;
}

// RFC 2195's example.
const char* const kRfc2195Challenge = "334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+";
const char* const kRfc2195Response = "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw";

}  // namespace

TEST(AuthLogin, SendsExactlyThreeLines)
{
    const Outcome outcome = LogIn(Login, "tim", "tanstaaftanstaaf",
                                  Replies({"334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", "235 2.7.0 Accepted"}));
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.lastReply, "235 2.7.0 Accepted");
    EXPECT_EQ(outcome.sent, "AUTH LOGIN\r\ndGlt\r\ndGFuc3RhYWZ0YW5zdGFhZg==\r\nQUIT\r\n");
}

// A prompt that is not exactly the expected word ends the login before the answer is sent.
TEST(AuthLogin, WrongPromptStopsBeforeTheAnswer)
{
    struct Case {
        const char* name;
        Steps exchange;
        std::string sent;
    };
    const Case cases[] = {
        {"lower-case username:", Replies({"334 dXNlcm5hbWU6"}), "AUTH LOGIN\r\nQUIT\r\n"},
        {"empty first challenge", Replies({"334"}), "AUTH LOGIN\r\nQUIT\r\n"},
        {"plain-text Username:", Replies({"334 Username:"}), "AUTH LOGIN\r\nQUIT\r\n"},
        {"lower-case password:", Replies({"334 VXNlcm5hbWU6", "334 cGFzc3dvcmQ6"}),
         "AUTH LOGIN\r\ndGlt\r\nQUIT\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = LogIn(Login, "tim", "tanstaaftanstaaf", c.exchange);
        EXPECT_FALSE(outcome.opened);
        EXPECT_FALSE(outcome.connected);
        EXPECT_EQ(outcome.sent, c.sent);
    }
}

TEST(AuthLoginPlain, SendsUserNameAndPasswordByteForByte)
{
    const Outcome outcome = LogIn(LoginPlain, "us\xC3\xA9r@example.test", "p\xC3\xA4ss w=rd+/",
                                  Replies({"334 Username:", "334 Password:", "235 ok"}));
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.lastReply, "235 ok");
    EXPECT_EQ(outcome.sent,
              "AUTH LOGIN PLAIN\r\nus\xC3\xA9r@example.test\r\np\xC3\xA4ss w=rd+/\r\nQUIT\r\n");
}

// The server that asked for something other than the password is still waiting for one:
// the login fails (it does not report success), nothing more is sent, and the session quits.
TEST(AuthLoginPlain, SecondPromptOtherThanPasswordFailsWithoutSendingIt)
{
    for (const char* prompt : {"334 password:", "334 Password", "334 UGFzc3dvcmQ6", "334"}) {
        SCOPED_TRACE(prompt);
        const Outcome outcome =
            LogIn(LoginPlain, "tim", "tanstaaftanstaaf", Replies({"334 Username:", prompt}));
        EXPECT_FALSE(outcome.opened);
        EXPECT_FALSE(outcome.connected);
        EXPECT_EQ(outcome.sent, "AUTH LOGIN PLAIN\r\ntim\r\nQUIT\r\n");
        EXPECT_EQ(outcome.lastReply, "221 bye");
    }
}

// A first prompt other than "Username:" is passed over: nothing is sent and the next 334 is awaited.
TEST(AuthLoginPlain, FirstPromptOtherThanUserNameSendsOnlyThePassword)
{
    Steps exchange = {ScriptedPeer::ReadLine(), ScriptedPeer::Send("334 Who are you?\r\n"),
                      ScriptedPeer::Pause(1000),  // two separate replies, not one of two lines
                      ScriptedPeer::Send("334 Password:\r\n")};
    for (const auto& step : Replies({"235 ok"}))
        exchange.push_back(step);
    const Outcome outcome = LogIn(LoginPlain, "tim", "tanstaaftanstaaf", exchange);
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.sent, "AUTH LOGIN PLAIN\r\ntanstaaftanstaaf\r\nQUIT\r\n");
}

// A user name that would end the line and start a command of its own is never sent.
TEST(AuthLoginPlain, UserNameWithLineBreakIsRefused)
{
    const Outcome outcome = LogIn(LoginPlain, "tim\r\nRSET", "tanstaaftanstaaf", Replies({"334 Username:"}));
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(outcome.error, ERROR_INVALID_PARAMETER);
    EXPECT_EQ(outcome.sent, "AUTH LOGIN PLAIN\r\nQUIT\r\n");
}

TEST(AuthCramMd5, Rfc2195ExampleGivesItsResponse)
{
    const Outcome outcome =
        LogIn(CramMd5, "tim", "tanstaaftanstaaf", Replies({kRfc2195Challenge, "235 Authentication successful"}));
    EXPECT_TRUE(outcome.opened);
    EXPECT_EQ(outcome.lastReply, "235 Authentication successful");
    EXPECT_EQ(outcome.sent, std::string("AUTH CRAM-MD5\r\n") + kRfc2195Response + "\r\nQUIT\r\n");
}

// A 334 with nothing after the code is an empty challenge: the digest of no text at all.
TEST(AuthCramMd5, EmptyChallenge)
{
    for (const char* challenge : {"334", "334 "}) {
        SCOPED_TRACE(challenge);
        const Outcome outcome = LogIn(CramMd5, "tim", "tanstaaftanstaaf", Replies({challenge, "235 ok"}));
        EXPECT_TRUE(outcome.opened);
        // "tim " + HMAC-MD5 of "" under the password, ba0016591d612662348b20bcd7f4439a
        EXPECT_EQ(outcome.sent,
                  "AUTH CRAM-MD5\r\ndGltIGJhMDAxNjU5MWQ2MTI2NjIzNDhiMjBiY2Q3ZjQ0Mzlh\r\nQUIT\r\n");
    }
}

// A refused login fails with the reader's code, and OpenSession closes the session with QUIT.
TEST(Authentication, RefusalFailsAndTheSessionQuits)
{
    struct Case {
        AuthMechanism mechanism;
        Steps exchange;
        std::string sent;
    };
    const Case cases[] = {
        {CramMd5, Replies({kRfc2195Challenge, "535 5.7.8 no"}),
         std::string("AUTH CRAM-MD5\r\n") + kRfc2195Response + "\r\nQUIT\r\n"},
        {Login, Replies({"334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", "535 5.7.8 no"}),
         "AUTH LOGIN\r\ndGlt\r\ndGFuc3RhYWZ0YW5zdGFhZg==\r\nQUIT\r\n"},
        {LoginPlain, Replies({"334 Username:", "334 Password:", "535 5.7.8 no"}),
         "AUTH LOGIN PLAIN\r\ntim\r\ntanstaaftanstaaf\r\nQUIT\r\n"},
        {Login, Replies({"504 5.5.4 unrecognised authentication type"}), "AUTH LOGIN\r\nQUIT\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        const Outcome outcome = LogIn(c.mechanism, "tim", "tanstaaftanstaaf", c.exchange);
        EXPECT_FALSE(outcome.opened);
        EXPECT_FALSE(outcome.connected);
        EXPECT_EQ(outcome.error, WSAEPROTONOSUPPORT);
        EXPECT_EQ(outcome.lastReply, "221 bye");
        EXPECT_EQ(outcome.sent, c.sent);
    }
}
