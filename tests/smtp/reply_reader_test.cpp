// The reply reader against a scripted peer: pieces, multi-line replies, codes, limits.
#include "tests/smtp/test_connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

using namespace quillo::test;
using Peer = ScriptedPeer;

namespace {

constexpr DWORD kUnchanged = 4242;  // a last error no reader outcome sets

struct ReplyCase {
    const char* name;
    Script script;
    std::int32_t expected;
    bool result;
    std::string lastReply;
    std::int32_t lastCode;  // with a code of 0 on entry
    DWORD lastError;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

// A multi-line reply of `lines` continuation lines of `width` characters, then a final line.
std::string LongReply(std::size_t lines, std::size_t width)
{
    std::string text;
    for (std::size_t i = 0; i < lines; ++i)
        text += "250-" + Repeat('x', width) + "\r\n";
    return text + "250 end\r\n";
}

void PrintTo(const ReplyCase& c, std::ostream* out) { *out << c.name; }

class ReplyTable : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTable, ReadsAndJudgesOneReply)
{
    const ReplyCase& c = GetParam();
    Peer peer(c.script);
    TestConnection connection;
    connection.SetReplyTimeout(400);
    ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
    SetLastError(kUnchanged);
    EXPECT_EQ(connection.ExpectReply(c.expected), c.result);
    EXPECT_EQ(connection.GetLastReply(), c.lastReply);
    EXPECT_EQ(connection.GetLastReplyCode(), c.lastCode);
    EXPECT_EQ(GetLastError(), c.lastError);
}

const std::string k300 = "250 " + Repeat('y', 296);

INSTANTIATE_TEST_SUITE_P(
    Reader, ReplyTable,
    testing::Values(
        ReplyCase{"OnePiece", {Peer::Send("220 ready\r\n")}, 220, true, "220 ready", 220, kUnchanged},
        ReplyCase{"SplitInsideALine", {Peer::Send("25"), Peer::Pause(50), Peer::Send("0 ok\r\n")},
                  250, true, "250 ok", 250, kUnchanged},
        ReplyCase{"MultiLineOnePiece", {Peer::Send("250-first\r\n250 second\r\n")},
                  250, true, "250-first\r\n250 second", 250, kUnchanged},
        // The reply is complete only when its last line is final, however it arrives.
        ReplyCase{"MultiLineInPieces",
                  {Peer::Send("220-hello\r\n"), Peer::Pause(100), Peer::Send("220-more\r\n"),
                   Peer::Pause(100), Peer::Send("220 ready\r\n")},
                  220, true, "220-hello\r\n220-more\r\n220 ready", 220, kUnchanged},
        ReplyCase{"SplitAfterTheDash",
                  {Peer::Send("250-"), Peer::Pause(50), Peer::Send("a\r\n250"), Peer::Pause(50),
                   Peer::Send(" b\r\n")},
                  250, true, "250-a\r\n250 b", 250, kUnchanged},
        ReplyCase{"WrongCode", {Peer::Send("554 no service\r\n")}, 220, false, "554 no service", 554,
                  WSAEPROTONOSUPPORT},
        ReplyCase{"FirstMatchingLineDecidesLater", {Peer::Send("451-wait\r\n250 ok\r\n")}, 250, true,
                  "250 ok", 250, kUnchanged},
        ReplyCase{"FirstMatchingLineDecidesFirst", {Peer::Send("451-wait\r\n250 ok\r\n")}, 451, true,
                  "451-wait\r\n250 ok", 451, kUnchanged},
        ReplyCase{"ShortFinalLine", {Peer::Send("250-a\r\n25\r\n")}, 250, true, "250-a\r\n25", 250,
                  kUnchanged},
        ReplyCase{"LongLineMovesToTheHeap", {Peer::Send(k300 + "\r\n")}, 250, true, k300, 250,
                  kUnchanged},
        ReplyCase{"LargeReplyUnderTheBound", {Peer::Send(LongReply(60, 990))}, 250, true,
                  LongReply(60, 990).substr(0, LongReply(60, 990).size() - 2), 250, kUnchanged},
        ReplyCase{"Silence", {Peer::Pause(1500)}, 220, false, "", 0, WSAETIMEDOUT},
        ReplyCase{"SilenceAfterAPartialLine", {Peer::Send("220 rea"), Peer::Pause(1500)}, 220, false,
                  "220 rea", 0, WSAETIMEDOUT},
        ReplyCase{"CloseWithoutReply", {Peer::Close()}, 220, false, "", 0, kUnchanged},
        ReplyCase{"CloseInsideAReply", {Peer::Send("220-hello\r\n"), Peer::Close()}, 220, false,
                  "220-hello\r\n", 0, kUnchanged},
        ReplyCase{"ResetByPeer", {Peer::Reset()}, 220, false, "", 0, WSAECONNRESET},
        // A non-numeric line leaves the code as it was and never matches.
        ReplyCase{"NonNumericLine", {Peer::Send("abc\r\n")}, 0, false, "abc", 0, WSAEPROTONOSUPPORT}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.name); });

// A hostile server must not make the client allocate without limit: a reply that grows
// past 64 KiB without completing ends the read with what has come so far.
TEST(Reader, RepliesAreBoundedAt64KiB)
{
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"endless line", Repeat('x', 70000)},
        {"endless multi-line reply", LongReply(80, 996)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Peer peer({Peer::Send(c.bytes)});
        TestConnection connection;
        ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
        EXPECT_FALSE(connection.ExpectReply(250));
        EXPECT_EQ(GetLastError(), WSAEMSGSIZE);
        const std::string stored = connection.GetLastReply();
        EXPECT_GT(stored.size(), std::size_t(CSMTPConnection::kMaxReplyLength));
        EXPECT_LT(stored.size(), std::size_t(CSMTPConnection::kMaxReplyLength) + 8192);
        EXPECT_EQ(stored, c.bytes.substr(0, stored.size()));
    }
}

TEST(Reader, NonNumericLineIsNotJudgedByThePreviousCode)
{
    Peer peer(Steps({{Peer::Send("250 ok\r\n")}, Peer::Answer("abc\r\n")}));
    TestConnection connection;
    ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
    ASSERT_TRUE(connection.ExpectReply(250));
    ASSERT_TRUE(connection.SendCommand("NOOP"));
    EXPECT_FALSE(connection.ExpectReply(250));
    EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);
    EXPECT_EQ(connection.GetLastReply(), "abc");
    EXPECT_EQ(connection.GetLastReplyCode(), 250);  // kept, but not used to judge the line
}

// A multi-line reply that arrives line by line is one reply: the conversation stays in
// step, so a refusal that follows is read as the refusal it is.
TEST(Reader, StaysInStepAfterAMultiLineReplyInPieces)
{
    Peer peer(Steps({{Peer::ReadLine(), Peer::Send("250-first\r\n"), Peer::Pause(100),
                      Peer::Send("250 second\r\n")},
                     Peer::Answer("550 refused\r\n")}));
    TestConnection connection;
    ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
    ASSERT_TRUE(connection.SendCommand("EHLO me"));
    ASSERT_TRUE(connection.ExpectReply(250));
    EXPECT_EQ(connection.GetLastReply(), "250-first\r\n250 second");
    ASSERT_TRUE(connection.SendCommand("MAIL FROM:<a@b>"));
    EXPECT_FALSE(connection.ExpectReply(250));
    EXPECT_EQ(connection.GetLastReply(), "550 refused");
}

// A short reply stays in the caller's buffer; a longer one moves to a heap buffer that
// is handed back to the caller, who frees it.
TEST(Reader, ReplyMovesToTheHeapOnlyWhenItOutgrowsTheCallersBuffer)
{
    const std::string lines[] = {"220 ready", "250 " + Repeat('z', 296)};
    for (const std::string& line : lines) {
        Peer peer({Peer::Send(line + "\r\n")});
        TestConnection connection;
        ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
        char buffer[256];
        char* grown = nullptr;
        ASSERT_TRUE(connection.ReadReply(buffer, sizeof buffer, "\r\n", std::stoi(line.substr(0, 3)), &grown, 4096));
        EXPECT_EQ(grown != nullptr, line.size() >= sizeof buffer);
        EXPECT_EQ(std::string(grown != nullptr ? grown : buffer), line);
        EXPECT_EQ(connection.GetLastReply(), line);
        delete[] grown;
    }
}

TEST(Reader, RefusesArgumentsThatCouldNeverEndAReply)
{
    Peer peer({Peer::Send("220 ready\r\n")});
    TestConnection connection;
    ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
    char buffer[16];
    char* grown = nullptr;
    EXPECT_FALSE(connection.ReadReply(buffer, sizeof buffer, "", 220, &grown, 4096));
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    EXPECT_FALSE(connection.ReadReply(buffer, sizeof buffer, "\r\n", 220, &grown, 0));
    EXPECT_EQ(GetLastError(), WSAEINVAL);
    EXPECT_EQ(connection.GetLastReply(), "");
    EXPECT_TRUE(connection.ReadReply(buffer, sizeof buffer, "\r\n", 220, &grown, 4096));  // still there
    delete[] grown;
}

// The reader waits on the socket rather than sleeping blindly between polls: a reply is
// taken as soon as it arrives. Twenty exchanges would need five seconds or more with a
// sleep of 250 ms whenever the reply is not there yet at the first look.
TEST(Reader, TakesEachReplyAsSoonAsItArrives)
{
    constexpr int kExchanges = 20;
    Script script;
    for (int i = 0; i < kExchanges; ++i) {
        script.push_back(Peer::ReadLine());
        script.push_back(Peer::Pause(5));  // the reply comes after the reader has started waiting
        script.push_back(Peer::Send("250 ok\r\n"));
    }
    Peer peer(script);
    TestConnection connection;
    ASSERT_TRUE(connection.ConnectOnly(peer.Port()));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        ASSERT_TRUE(connection.SendCommand("NOOP"));
        ASSERT_TRUE(connection.ExpectReply(250));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(kExchanges * 250 / 2));
}

}  // namespace
