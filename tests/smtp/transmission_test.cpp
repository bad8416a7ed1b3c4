// Sending composed messages: against a real aiosmtpd server (the bytes it stores, decoded by
// Python's email package) and against a scripted peer for refusals and failing parts.
#include "tests/smtp/test_connection.h"
#include "tests/support/smtp_sink.h"

#include "mime/mail_message.h"
#include "mime/quoted_printable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace quillo::test;
using Peer = ScriptedPeer;

namespace {

const char* const kFrom = "me@example.org";
const char* const kTo = "5551234@sms.example.net";

// A folder of its own for files a test writes, removed at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillo-send-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const auto path = m_path / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::string PathOf(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The message of the Send command: one To recipient, the sender as Bcc, fixed Date.
void FillSmsMessage(CMailMessage& message, const std::string& text)
{
    message.sender = CMailAddress(kFrom);
    message.AppendRecipient(CMailAddress(kTo), KindTo);
    message.AppendRecipient(CMailAddress(kFrom), KindBcc);
    message.mailerName = "Quillo Version 1.0";
    message.subject = "Hi";
    message.SetClock([] { return LocalTimeAt(1765000000); });
    message.SetMessageText(text);
}

struct Leaf {
    std::string type;
    std::string body;
};

// The non-multipart parts of a stored message as Python's email package decodes them.
std::vector<Leaf> DecodeLeaves(const std::string& data)
{
    TempFolder folder;
    const std::string path = folder.Write("message.eml", data);
    const std::string command =
        "/usr/bin/python3 " QUILLO_SOURCE_DIR "/tests/smtp/decode_leaves.py '" + path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    if (pipe != nullptr) {
        char chunk[4096];
        while (std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe))
            output.append(chunk, got);
        EXPECT_EQ(::pclose(pipe), 0) << output;
    }
    std::vector<Leaf> leaves;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        Leaf leaf{line.substr(0, tab), {}};
        for (std::size_t i = tab + 1; i + 1 < line.size(); i += 2)
            leaf.body.push_back(static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16)));
        leaves.push_back(leaf);
    }
    return leaves;
}

std::string WithLf(std::string text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A connection with an open session to the sink.
class RealServer : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, m_sink.Port(), nullptr))
            << GetLastError();
    }
    SmtpSink m_sink;
    CSMTPConnection m_connection;
};

TEST_F(RealServer, SmsMessageArrivesExactlyWithBothEnvelopeRecipientsAndNoBccHeader)
{
    CMailMessage message;
    FillSmsMessage(message, "See you at 5 =41 a=\nbye.");
    ASSERT_TRUE(m_connection.SendMail(message)) << GetLastError() << " " << m_connection.GetLastReply();
    EXPECT_EQ(m_connection.GetLastReply().substr(0, 4), "250 ");
    ASSERT_TRUE(m_sink.WaitForMessages(1));
    const SmtpSink::Message received = m_sink.Messages().at(0);
    EXPECT_EQ(received.mailFrom, kFrom);
    EXPECT_EQ(received.rcptTos, (std::vector<std::string>{kTo, kFrom}));

    const std::string header = message.ComposeHeader();
    EXPECT_EQ(header.rfind("From: me@example.org\r\nTo: 5551234@sms.example.net\r\nSubject: Hi\r\nDate: ", 0), 0u)
        << header;
    EXPECT_NE(header.find("\r\nX-Mailer: Quillo Version 1.0\r\n"), std::string::npos);
    EXPECT_NE(header.find("\r\nContent-Transfer-Encoding: quoted-printable\r\n"), std::string::npos);
    EXPECT_EQ(received.data, header + "\r\n" + QpEncode(message.RootPart().Text()) + "\r\n");
    EXPECT_EQ(received.data.find("Bcc"), std::string::npos);

    // The body says quoted-printable and is: "=41" and a line ending in "=" arrive as typed.
    const std::vector<Leaf> leaves = DecodeLeaves(received.data);
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(WithLf(leaves[0].body), "\nSee you at 5 =41 a=\nbye.\n");
}

TEST_F(RealServer, MultipartAttachmentIsDecodedByteForByte)
{
    TempFolder folder;
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary.push_back(static_cast<char>(i));
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i)
        binary.push_back(static_cast<char>(random()));
    binary += "\r\n.\r\nQUIT\r\n";

    CMailMessage message;
    message.SetMimeMode(true);
    FillSmsMessage(message, "Text part\n.\nwith a lone period line");
    CMimePart attachment;
    attachment.SetContentType("application/octet-stream");
    attachment.SetFilePath(folder.Write("data.bin", binary));
    attachment.SetAttachmentName("data.bin");
    message.RootPart().AppendChild(attachment);

    ASSERT_TRUE(m_connection.SendMail(message)) << GetLastError() << " " << m_connection.GetLastReply();
    ASSERT_TRUE(m_sink.WaitForMessages(1));
    const SmtpSink::Message received = m_sink.Messages().at(0);
    EXPECT_EQ(received.rcptTos, (std::vector<std::string>{kTo, kFrom}));
    const std::vector<Leaf> leaves = DecodeLeaves(received.data);
    ASSERT_EQ(leaves.size(), 2u) << received.data;
    EXPECT_EQ(leaves[0].type, "text/plain");
    // An attachment's header opens with two line ends; the first stays with the text.
    EXPECT_EQ(WithLf(leaves[0].body), "Text part\n.\nwith a lone period line\n");
    EXPECT_EQ(leaves[1].type, "application/octet-stream");
    EXPECT_EQ(leaves[1].body, binary);
}

// Whatever the text, the server receives the whole body, and the end of data only where the
// transmitter puts it; every send of the table goes over the same session.
TEST_F(RealServer, DataNeverEndsEarly)
{
    const std::string texts[] = {
        "bare\rCR",
        "bare\nLF",
        "\n.\n",
        "\r\n.\r\n",
        ".",
        "..",
        ".\r\n.",
        "end\r\n.",
        "x\r\n.\r\nQUIT\r\n",
        "\r\n.\r\nMAIL FROM:<evil@example.com>\r\nRCPT TO:<victim@example.com>\r\nDATA\r\n",
        std::string(73, 'x') + ".........." + std::string(60, 'y') + "\n." + std::string(80, '.'),
        "nul\0inside",
    };
    std::size_t sent = 0;
    for (bool qp : {true, false}) {
        for (const std::string& text : texts) {
            SCOPED_TRACE(testing::Message() << "qp " << qp << " text " << testing::PrintToString(text));
            CMailMessage message;
            FillSmsMessage(message, text);
            message.RootPart().SetQpEncode(qp);
            ASSERT_TRUE(m_connection.SendMail(message)) << GetLastError() << " " << m_connection.GetLastReply();
            ASSERT_TRUE(m_sink.WaitForMessages(++sent));
            const std::string data = m_sink.Messages().at(sent - 1).data;
            const std::string header = message.ComposeHeader();
            ASSERT_EQ(data.substr(0, header.size()), header);
            if (qp) {
                const std::vector<Leaf> leaves = DecodeLeaves(data);
                ASSERT_EQ(leaves.size(), 1u);
                EXPECT_EQ(WithLf(leaves[0].body), "\n" + WithLf(text) + "\n");
            } else {
                // Sent as stored: the server removes the doubled periods again.
                std::string unstuffed;
                std::istringstream lines(data.substr(header.size()));
                for (std::string line; std::getline(lines, line);)
                    unstuffed += line + "\n";
                EXPECT_EQ(WithLf(unstuffed), "\n" + WithLf(text) + "\n");
            }
        }
    }
    EXPECT_EQ(m_sink.Messages().size(), sent);
}

TEST_F(RealServer, MessageWithoutRecipientsIsRefusedAtData)
{
    CMailMessage message;
    message.sender = CMailAddress(kFrom);
    message.SetMessageText("nobody");
    EXPECT_FALSE(m_connection.SendMail(message));
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(m_connection.GetLastReply().substr(0, 4), "503 ");
    EXPECT_TRUE(m_connection.IsConnected());
}

// An address holding CR, LF or NUL would smuggle a command of its own: the message is
// refused before any of it is sent, and the session stays usable.
TEST(Transmission, EnvelopeAddressWithLineBreakOrNulIsRefusedBeforeSending)
{
    const std::string bad[] = {
        "a@b>\r\nRCPT TO:<evil@example.com",
        "a@b\n",
        "a@b\r",
        std::string("a@b\0c", 5),
    };
    Peer peer(Steps({{Peer::Send("220 ready\r\n")}, Peer::Answer("250 hello\r\n"), Peer::Answer("221 bye\r\n")}));
    CSMTPConnection connection;
    ASSERT_TRUE(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr));
    for (const std::string& address : bad) {
        for (int where = 0; where < 3; ++where) {
            SCOPED_TRACE(testing::Message() << testing::PrintToString(address) << " at " << where);
            CMailMessage message;
            message.sender = CMailAddress(where == 0 ? address : std::string(kFrom));
            message.AppendRecipient(CMailAddress(kTo), KindTo);
            message.AppendRecipient(CMailAddress(where == 1 ? address : std::string(kTo)), KindCc);
            message.AppendRecipient(CMailAddress(where == 2 ? address : std::string(kFrom)), KindBcc);
            message.SetMessageText("text");
            SetLastError(0);
            EXPECT_FALSE(connection.SendMail(message));
            EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
            EXPECT_TRUE(connection.IsConnected());
            EXPECT_FALSE(connection.SendRecipient(CMailAddress(address)));
            EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        }
    }
    EXPECT_EQ(connection.GetLastReply(), "250 hello");
    EXPECT_TRUE(connection.CloseSession());
    ASSERT_TRUE(peer.WaitUntilClientCloses());
    EXPECT_EQ(peer.Received(), "HELO " + LocalHostName() + "\r\nQUIT\r\n");
}

// A scripted server for one message; `replies` answers the commands after HELO in order.
struct ScriptedSend {
    explicit ScriptedSend(Script afterHelo)
        : peer(Steps({{Peer::Send("220 ready\r\n")}, Peer::Answer("250 hello\r\n"), afterHelo}))
    {
        connection.SetReplyTimeout(300);
        opened = connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, peer.Port(), nullptr);
    }
    // Everything the client sent after HELO, once it has gone.
    std::string SentAfterHelo()
    {
        connection.CloseSession();
        peer.WaitUntilClientCloses();
        const std::string all = peer.Received();
        return all.substr(all.find("\r\n") + 2);
    }
    Peer peer;
    TestConnection connection;
    bool opened = false;
};

TEST(Transmission, RefusedSecondRecipientEndsTheTransmission)
{
    ScriptedSend send(Steps({Peer::Answer("250 ok\r\n"), Peer::Answer("250 ok\r\n"),
                             Peer::Answer("550 no such user\r\n"), Peer::Answer("221 bye\r\n")}));
    ASSERT_TRUE(send.opened);
    CMailMessage message;
    message.sender = CMailAddress(kFrom);
    for (const char* to : {"a@x", "b@x", "c@x"})
        message.AppendRecipient(CMailAddress(to), KindTo);
    message.SetMessageText("text");
    EXPECT_FALSE(send.connection.SendMail(message));
    EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
    EXPECT_EQ(send.connection.GetLastReply(), "550 no such user");
    EXPECT_TRUE(send.connection.IsConnected());
    EXPECT_EQ(send.SentAfterHelo(), "MAIL FROM:<me@example.org>\r\nRCPT TO:<a@x>\r\nRCPT TO:<b@x>\r\nQUIT\r\n");
}

TEST(Transmission, RefusalsAtEachStepReportBadCommand)
{
    const struct {
        const char* name;
        Script script;
        std::string lastReply;
        std::string sentPrefix;
    } cases[] = {
        {"MAIL", Peer::Answer("451 try later\r\n"), "451 try later", "MAIL FROM:<me@example.org>\r\nQUIT"},
        {"DATA", Steps({Peer::Answer("250 ok\r\n"), Peer::Answer("250 ok\r\n"), Peer::Answer("554 no\r\n")}),
         "554 no", "MAIL FROM:<me@example.org>\r\nRCPT TO:<5551234@sms.example.net>\r\nDATA\r\nQUIT"},
        {"end of data",
         Steps({Peer::Answer("250 ok\r\n"), Peer::Answer("250 ok\r\n"), Peer::Answer("354 go\r\n"),
                {Peer::ReadUntil("\r\n.\r\n"), Peer::Send("552 too big\r\n")}}),
         "552 too big", "MAIL FROM:<me@example.org>\r\nRCPT TO:<5551234@sms.example.net>\r\nDATA\r\nFrom: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSend send(c.script);
        ASSERT_TRUE(send.opened);
        CMailMessage message;
        message.sender = CMailAddress(kFrom);
        message.AppendRecipient(CMailAddress(kTo), KindTo);
        message.SetMessageText("text");
        EXPECT_FALSE(send.connection.SendMail(message));
        EXPECT_EQ(GetLastError(), ERROR_BAD_COMMAND);
        EXPECT_EQ(send.connection.GetLastReply(), c.lastReply);
        EXPECT_TRUE(send.connection.IsConnected());
        EXPECT_EQ(send.SentAfterHelo().substr(0, c.sentPrefix.size()), c.sentPrefix);
    }
}

// The pieces of a multipart message as its parts make them.
std::string Piece(const CMimePart& part, bool (CMimePart::*emit)(char*&, std::size_t&) const)
{
    char* buffer = nullptr;
    std::size_t length = 0;
    EXPECT_TRUE((part.*emit)(buffer, length));
    std::string text(buffer != nullptr ? buffer : "", length);
    CMimePart::DiscardBuffer(buffer);
    return text;
}

// What a two-child multipart message sends after DATA, up to its closing delimiter, when
// the second child produces its header but no body.
std::string MultipartWithoutSecondBody(CMailMessage& message)
{
    const CMimePart& root = message.RootPart();
    const CMimePart& text = *root.ChildAt(0);
    return message.ComposeHeader() + Piece(root, &CMimePart::EmitBody) + Piece(text, &CMimePart::EmitHeader) +
           Piece(text, &CMimePart::EmitBody) + Piece(*root.ChildAt(1), &CMimePart::EmitHeader) +
           Piece(root, &CMimePart::EmitClosing);
}

const Script kUntilData = Steps({Peer::Answer("250 ok\r\n"), Peer::Answer("250 ok\r\n"), Peer::Answer("250 ok\r\n"),
                                 Peer::Answer("354 go\r\n")});

TEST(Transmission, MissingAttachmentStopsBeforeTheEndOfData)
{
    TempFolder folder;
    ScriptedSend send(kUntilData);
    ASSERT_TRUE(send.opened);
    CMailMessage message;
    message.SetMimeMode(true);
    FillSmsMessage(message, "hello");
    CMimePart attachment;
    attachment.SetFilePath(folder.PathOf("missing.bin"));
    attachment.SetAttachmentName("missing.bin");
    message.RootPart().AppendChild(attachment);
    SetLastError(1234);
    EXPECT_FALSE(send.connection.SendMail(message));
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(send.connection.GetLastReply(), "354 go");

    const std::string expected = MultipartWithoutSecondBody(message);
    const std::string sent = send.SentAfterHelo();
    const std::string data = sent.substr(sent.find("DATA\r\n") + 6);
    EXPECT_EQ(data, expected + "QUIT\r\n");  // QUIT now falls into the data, as it would
}

TEST(Transmission, EmptyAttachmentSendsAnEmptyBodyAndGoesOn)
{
    TempFolder folder;
    ScriptedSend send(Steps({kUntilData, {Peer::ReadUntil("\r\n.\r\n"), Peer::Send("250 queued\r\n")},
                             Peer::Answer("221 bye\r\n")}));
    ASSERT_TRUE(send.opened);
    CMailMessage message;
    message.SetMimeMode(true);
    FillSmsMessage(message, "hello");
    CMimePart attachment;
    attachment.SetFilePath(folder.Write("empty.bin", ""));
    attachment.SetAttachmentName("empty.bin");
    message.RootPart().AppendChild(attachment);
    EXPECT_TRUE(send.connection.SendMail(message)) << GetLastError();
    EXPECT_EQ(send.connection.GetLastReply(), "250 queued");

    const std::string expected = MultipartWithoutSecondBody(message) + "\r\n.\r\n";  // the empty body
    const std::string sent = send.SentAfterHelo();
    EXPECT_EQ(sent.substr(sent.find("DATA\r\n") + 6), expected + "QUIT\r\n");
}

}  // namespace
