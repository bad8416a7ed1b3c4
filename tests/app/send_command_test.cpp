#include "app/send_command.h"

#include "app/settings_file.h"
#include "mime/mail_message.h"
#include "platform/ui/combo_box.h"
#include "shell_fixture.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/smtp_sink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace quillo::test {
namespace {

using Peer = ScriptedPeer;

constexpr const char* kFrom = "me@example.org";
constexpr const char* kPhone = "0170123456@sms.example.net";
constexpr const char* kText = "See you at 8";

// A loopback port with a listener of our own, to see whether anything connected.
class Listener {
public:
    Listener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, 4);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(m_fd); }
    int Port() const { return m_port; }
    bool ConnectionPending() const
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A port where nothing listens.
int ClosedPort()
{
    Listener listener;
    return listener.Port();
}

class SendCommandTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        g_smtpServer = "127.0.0.1";
        g_fromAddress = kFrom;
        m_recipients.AddString(kPhone);
        m_recipients.AddString("other@sms.example.net");
        SelectPhone();
        // Records, with each box, what the server had received when it was shown.
        SetMessageBoxHook([this](const MessageBoxRecord& box) {
            m_boxes.push_back(box);
            m_receivedAtBox = m_peer ? m_peer->Received() : std::string();
            return IDOK;
        });
    }

    void TearDown() override
    {
        g_smtpServer.clear();
        g_fromAddress.clear();
        ShellTest::TearDown();
    }

    void SelectPhone()
    {
        for (int i = 0; i < m_recipients.GetCount(); ++i) {
            if (m_recipients.GetLBText(i) == kPhone)
                m_recipients.SetCurSel(i);
        }
    }

    // Sends against a scripted peer; returns the one box shown.
    MessageBoxRecord SendTo(std::vector<Peer::Step> script)
    {
        m_peer = std::make_unique<Peer>(std::move(script));
        RunSendCommand(m_owner, m_recipients, "Hi", kText, {m_peer->Port(), 5000});
        EXPECT_TRUE(m_peer->WaitUntilClientCloses());
        EXPECT_EQ(m_boxes.size(), 1u);
        return m_boxes.empty() ? MessageBoxRecord{} : m_boxes.back();
    }

    CComboBox m_recipients;
    std::unique_ptr<Peer> m_peer;
    std::string m_receivedAtBox;
};

std::vector<Peer::Step> Script(std::initializer_list<std::vector<Peer::Step>> pieces)
{
    std::vector<Peer::Step> script;
    for (const auto& piece : pieces)
        script.insert(script.end(), piece.begin(), piece.end());
    return script;
}

std::vector<Peer::Step> Greet() { return {Peer::Send("220 peer ready\r\n")}; }
std::vector<Peer::Step> Ok() { return Peer::Answer("250 ok\r\n"); }
std::vector<Peer::Step> Bye() { return Peer::Answer("221 bye\r\n"); }
// How many lines the client sends after DATA for the subject "Hi" and the one-line message the
// tests use: the header as the message composes it, the empty line, the text and the final period.
std::size_t DataLineCount()
{
    CMailMessage mail;
    mail.AppendRecipient(CMailAddress(kPhone), KindTo);
    mail.AppendRecipient(CMailAddress(kFrom), KindBcc);
    mail.mailerName = kMailerName;
    mail.sender = CMailAddress(kFrom);
    mail.subject = "Hi";
    mail.SetMessageText(kText);
    std::string header = mail.ComposeHeader();
    return static_cast<std::size_t>(std::count(header.begin(), header.end(), '\n')) + 3;
}

// Accepts DATA, takes the whole message, then answers the end of data with reply.
std::vector<Peer::Step> DataThen(const std::string& reply)
{
    auto steps = Peer::Answer("354 go ahead\r\n");
    for (std::size_t i = DataLineCount(); i > 0; --i)
        steps.push_back(Peer::ReadLine());
    steps.push_back(Peer::Send(reply));
    return steps;
}

TEST_F(SendCommandTest, NoRecipientSelectedOpensNoConnection)
{
    Listener listener;
    CComboBox emptyEntry;
    emptyEntry.AddString("");
    emptyEntry.AddString("x@y");
    emptyEntry.SetCurSel(0);
    ASSERT_EQ(emptyEntry.GetLBText(0), "");
    CComboBox noSelection;
    noSelection.AddString("x@y");

    for (const CComboBox* list : {&noSelection, &emptyEntry}) {
        m_boxes.clear();
        RunSendCommand(m_owner, *list, "s", "m", {listener.Port(), 2000});
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, "No Recipient Selected!");
        EXPECT_EQ(m_boxes[0].caption, "Recipient Selection Error");
        EXPECT_EQ(m_boxes[0].type, MB_ICONEXCLAMATION);
        EXPECT_EQ(m_boxes[0].owner, &m_owner);
    }
    EXPECT_FALSE(listener.ConnectionPending());
}

TEST_F(SendCommandTest, NoServerAtAllAsksToCheckTheConnection)
{
    RunSendCommand(m_owner, m_recipients, "s", "m", {ClosedPort(), 2000});
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Please check your Internet connection.");
    EXPECT_EQ(m_boxes[0].caption, "Internet Connection Status");
    EXPECT_EQ(m_boxes[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(m_boxes[0].owner, &m_owner);
}

struct Outcome {
    const char* name;
    std::vector<Peer::Step> script;
    std::string text;  // the box's text
    bool mailStarted;  // whether MAIL FROM was sent
};

// Each row: where the server ends the conversation, and what the user is told.
TEST_F(SendCommandTest, TheReportTellsTheTruth)
{
    const std::string failed = "Could not send SMS";
    const std::string check = "Please check your Internet connection.";
    const Outcome outcomes[] = {
        {"closes without a word", {Peer::Close()}, check, false},
        {"stays silent", {}, check, false},
        {"refuses the greeting", Script({{Peer::Send("554 no service\r\n")}, Bye()}), failed, false},
        {"refuses HELO", Script({Greet(), Peer::Answer("501 bad name\r\n"), Bye()}), failed, false},
        {"refuses the recipient",
         Script({Greet(), Ok(), Ok(), Peer::Answer("550-mailbox\r\n550 5.1.1 no such user\r\n"), Bye()}),
         failed + "\n550 5.1.1 no such user", true},
        {"refuses with odd bytes", Script({Greet(), Ok(), Peer::Answer("553 caf\xc3\xa9\tok\r\n"), Bye()}),
         failed + "\n553 caf???ok", true},
        {"refuses at length", Script({Greet(), Ok(), Peer::Answer("553 " + std::string(300, 'y') + "\r\n"), Bye()}),
         failed + "\n553 " + std::string(196, 'y'), true},
        {"refuses the sender", Script({Greet(), Ok(), Peer::Answer("553 sender refused\r\n"), Bye()}),
         failed + "\n553 sender refused", true},
        {"closes after HELO", Script({Greet(), Ok(), {Peer::ReadLine(), Peer::Close()}}), failed, true},
        {"refuses the message", Script({Greet(), Ok(), Ok(), Ok(), Ok(), DataThen("554 5.7.1 spam\r\n"), Bye()}),
         failed + "\n554 5.7.1 spam", true},
        {"accepts the message", Script({Greet(), Ok(), Ok(), Ok(), Ok(), DataThen("250 queued\r\n"), Bye()}),
         "SMS Sent!", true},
    };
    for (const Outcome& outcome : outcomes) {
        SCOPED_TRACE(outcome.name);
        m_boxes.clear();
        m_peer = std::make_unique<Peer>(outcome.script);
        RunSendCommand(m_owner, m_recipients, "Hi", kText, {m_peer->Port(), 3000});
        EXPECT_TRUE(m_peer->WaitUntilClientCloses());
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].text, outcome.text);
        EXPECT_EQ(m_boxes[0].owner, &m_owner);
        if (outcome.text == "SMS Sent!") {
            EXPECT_EQ(m_boxes[0].caption, "SMS Sending Status Report");
            EXPECT_EQ(m_boxes[0].type, MB_ICONINFORMATION);
        } else if (outcome.text == check) {
            EXPECT_EQ(m_boxes[0].caption, "Internet Connection Status");
            EXPECT_EQ(m_boxes[0].type, MB_ICONEXCLAMATION);
        } else {
            EXPECT_EQ(m_boxes[0].caption, "SMS Sending Error");
            EXPECT_EQ(m_boxes[0].type, MB_ICONEXCLAMATION);
        }
        std::string received = m_peer->Received();
        EXPECT_EQ(received.find("MAIL FROM") != std::string::npos, outcome.mailStarted) << received;
    }
}

TEST_F(SendCommandTest, ARefusedRecipientEndsTheMailBeforeData)
{
    MessageBoxRecord box = SendTo(
        Script({Greet(), Ok(), Ok(), Peer::Answer("550 5.1.1 unknown\r\n"), Bye()}));
    EXPECT_EQ(box.text, "Could not send SMS\n550 5.1.1 unknown");
    EXPECT_EQ(m_peer->Received().find("DATA"), std::string::npos);
    // QUIT follows the report.
    EXPECT_EQ(m_receivedAtBox.find("QUIT"), std::string::npos);
    EXPECT_NE(m_peer->Received().find("QUIT\r\n"), std::string::npos);
}

TEST_F(SendCommandTest, AnAcceptedSendPutsTheWholeMailOnTheWire)
{
    MessageBoxRecord box =
        SendTo(Script({Greet(), Ok(), Ok(), Ok(), Ok(), DataThen("250 queued\r\n"), Bye()}));
    EXPECT_EQ(box.text, "SMS Sent!");

    std::vector<std::string> lines = m_peer->Lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("HELO ", 0), 0u);
    EXPECT_EQ(lines[1], "MAIL FROM:<me@example.org>\r\n");
    EXPECT_EQ(lines[2], "RCPT TO:<0170123456@sms.example.net>\r\n");
    EXPECT_EQ(lines[3], "RCPT TO:<me@example.org>\r\n");  // the sender's own copy
    EXPECT_EQ(lines[4], "DATA\r\n");

    std::string received = m_peer->Received();
    for (const char* expected : {"\r\nFrom: me@example.org\r\n", "\r\nTo: 0170123456@sms.example.net\r\n",
                                 "\r\nSubject: Hi\r\n", "\r\nX-Mailer: Quillo Version 1.0\r\n",
                                 "See you at 8\r\n.\r\n"})
        EXPECT_NE(received.find(expected), std::string::npos) << expected;
    EXPECT_EQ(received.find("Cc:"), std::string::npos);  // nor Bcc:
    EXPECT_EQ(m_receivedAtBox.find("QUIT"), std::string::npos);
    EXPECT_EQ(lines.back(), "QUIT\r\n");
}

TEST_F(SendCommandTest, ARealServerReceivesTheSms)
{
    SmtpSink sink;
    RunSendCommand(m_owner, m_recipients, "Dinner", "See you at 8.\n.Bring wine", {sink.Port(), 0});
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "SMS Sent!");
    ASSERT_TRUE(sink.WaitForMessages(1));
    SmtpSink::Message mail = sink.Messages().at(0);
    EXPECT_EQ(mail.mailFrom, kFrom);
    EXPECT_EQ(mail.rcptTos, (std::vector<std::string>{kPhone, kFrom}));
    EXPECT_EQ(mail.data.rfind("From: me@example.org\r\nTo: 0170123456@sms.example.net\r\n", 0), 0u);
    for (const char* expected : {"\r\nSubject: Dinner\r\n", "\r\nX-Mailer: Quillo Version 1.0\r\n"})
        EXPECT_NE(mail.data.find(expected), std::string::npos) << expected << "\n" << mail.data;
    EXPECT_EQ(mail.data.find("me@example.org", mail.data.find("To:")), std::string::npos);
    // The message ends with the text as typed: line ends made CR LF, the leading period intact.
    const std::string body = "\r\n\r\nSee you at 8.\r\n.Bring wine\r\n";
    ASSERT_GE(mail.data.size(), body.size());
    EXPECT_EQ(mail.data.substr(mail.data.size() - body.size()), body);
}

}  // namespace
}  // namespace quillo::test
