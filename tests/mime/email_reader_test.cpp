// Composed messages, as a server would store them, read back by an independent reader: Python's
// standard email package (tests/mime/email_reader.py) must decode every header to the value we
// put in, find no Bcc, parse the Date, decode bodies and attachments byte for byte, and report
// no defects.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mime/mail_message.h"
#include "mime/quoted_printable.h"
#include "temp_folder.h"

namespace {

std::string Hex(const std::string& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

// One piece of a part, as the transmitter sends it; false when the part cannot produce it.
template <typename Emit>
bool Append(const CMimePart& part, Emit emit, std::string& wire)
{
    char* buffer = nullptr;
    std::size_t length = 0;
    if (!(part.*emit)(buffer, length)) return false;
    wire.append(buffer ? buffer : "", length);
    CMimePart::DiscardBuffer(buffer);
    return true;
}

bool AppendPart(const CMimePart& part, bool skipHeader, std::string& wire)
{
    if (!skipHeader && !Append(part, &CMimePart::EmitHeader, wire)) return false;
    if (!Append(part, &CMimePart::EmitBody, wire)) return false;
    for (int i = 0; i < part.ChildCount(); ++i) {
        if (!AppendPart(*part.ChildAt(i), false, wire)) return false;
    }
    return part.ChildCount() == 0 || Append(part, &CMimePart::EmitClosing, wire);
}

// The text after DATA as the transmitter sends it: the header, then the single-part body
// quoted-printable encoded, or the part tree; then the end of data.
std::string DataText(CMailMessage& message)
{
    std::string wire = message.ComposeHeader();
    const CMimePart& root = message.RootPart();
    if (root.ChildCount() > 0 || message.MimeMode()) {
        EXPECT_TRUE(AppendPart(root, true, wire));
    } else {
        wire += "\r\n" + QpEncode(root.Text());
    }
    return wire + "\r\n.\r\n";
}

// What the server stores: the lines before the lone period, each leading period taken away.
std::string Received(const std::string& data)
{
    EXPECT_EQ(data.find("\r\n.\r\n"), data.size() - 5) << "the data ends early";
    const std::string body = data.substr(0, data.size() - 3);
    std::string stored;
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find("\r\n", start);
        end = end == std::string::npos ? body.size() : end + 2;
        std::string line = body.substr(start, end - start);
        if (!line.empty() && line[0] == '.') line.erase(0, 1);
        stored += line;
        start = end;
    }
    return stored;
}

class EmailReader : public TempFolderTest {
protected:
    void Expect(const std::string& kind, const std::string& argument, const std::string& value)
    {
        m_expectations += kind + "\t" + argument + "\t" + Hex(value) + "\n";
    }
    void ExpectHeader(const std::string& name, const std::string& value) { Expect("header", name, value); }
    void ExpectLeaf(int index, const std::string& type, const std::string& body)
    {
        Expect("type", std::to_string(index), type);
        Expect("body", std::to_string(index), body);
    }

    // Runs the reader on what the server would store for the message; empty output means agreed.
    void Check(CMailMessage& message)
    {
        const std::string stored = Received(DataText(message));
        const std::string messagePath = Write("message.eml", stored);
        const std::string expectationsPath = Write("expected.txt", m_expectations);
        const std::string command = "/usr/bin/python3 " QUILLO_MIME_TEST_DIR "/email_reader.py '" +
                                    messagePath + "' '" + expectationsPath + "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        char chunk[4096];
        while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, got);
        const int status = ::pclose(pipe);
        EXPECT_EQ(status, 0) << output << "\n--- message ---\n" << stored;
        EXPECT_EQ(output, "");
        m_stored = stored;
    }

    std::string m_expectations;
    std::string m_stored;
};

// A single-part body as stored: the transmitter's empty line before it, and the line end that
// belongs to its last line before the end of data.
std::string SinglePartBody(const std::string& text)
{
    return "\r\n" + text + "\r\n";
}

// A message as the Send command fills it.
void FillSms(CMailMessage& message, const std::string& subject, const std::string& text)
{
    message.AppendRecipient(CMailAddress("5551234@sms.example"), KindTo);
    message.AppendRecipient(CMailAddress("me@example.org"), KindBcc);
    message.mailerName = "Quillo Version 1.0";
    message.sender = CMailAddress("me@example.org");
    message.subject = subject;
    message.SetMessageText(text);
}

}  // namespace

TEST_F(EmailReader, PlainAsciiSms)
{
    CMailMessage message;
    FillSms(message, "Hello there", "See you at 8");
    ExpectHeader("From", "me@example.org");
    ExpectHeader("To", "5551234@sms.example");
    ExpectHeader("Subject", "Hello there");
    ExpectHeader("X-Mailer", "Quillo Version 1.0");
    Expect("absent", "Bcc", "");
    Expect("absent", "Cc", "");
    Expect("date", "", std::to_string(std::time(nullptr)));
    Expect("leaves", "", "1");
    ExpectLeaf(0, "text/plain", SinglePartBody("See you at 8"));
    Check(message);
    EXPECT_EQ(m_stored.find("me@example.org", m_stored.find("To:")), std::string::npos);
}

TEST_F(EmailReader, EightBitSubjectAndBody)
{
    const std::string subject = "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln \xe2\x80\x93 caf\xc3\xa9 = ok?";
    const std::string text = "\xc3\x9cmlaut line \xe2\x82\xac 5\nsecond line \xc3\xa9\xc3\xa9";
    CMailMessage message;
    FillSms(message, subject, text);
    ExpectHeader("Subject", subject);
    Expect("absent", "Bcc", "");
    ExpectLeaf(0, "text/plain", SinglePartBody("\xc3\x9cmlaut line \xe2\x82\xac 5\r\nsecond line \xc3\xa9\xc3\xa9"));
    Check(message);
}

TEST_F(EmailReader, ToCcAndBccRecipients)
{
    CMailMessage message;
    message.SetClock([] {
        LocalTime t = LocalTimeAt(1733389200);  // 2024-12-05 09:00:00 UTC
        t.fields = {};
        t.fields.tm_year = 124, t.fields.tm_mon = 11, t.fields.tm_mday = 5, t.fields.tm_wday = 4;
        t.fields.tm_hour = 14, t.fields.tm_min = 45;
        t.utcOffsetMinutes = 345;
        return t;
    });
    message.sender = CMailAddress("Me Myself", "me@example.org");
    message.AppendRecipient(CMailAddress("Ann Lee", "ann@example.org"), KindTo);
    message.AppendRecipient(CMailAddress("bob@example.org"), KindTo);
    message.AppendRecipient(CMailAddress("carol@example.org"), KindCc);
    message.AppendRecipient(CMailAddress("hidden@example.org"), KindBcc);
    message.replyTo = CMailAddress("replies@example.org");
    message.subject = "Meeting";
    message.SetMessageText("Agenda attached.");
    Expect("addresses", "From", "Me Myself|me@example.org");
    Expect("addresses", "To", "Ann Lee|ann@example.org;|bob@example.org");
    Expect("addresses", "Cc", "|carol@example.org");
    Expect("addresses", "Reply-To", "|replies@example.org");
    Expect("absent", "Bcc", "");
    Expect("date", "", "1733389200");
    ExpectLeaf(0, "text/plain", SinglePartBody("Agenda attached."));
    Check(message);
    EXPECT_EQ(m_stored.find("hidden@"), std::string::npos);
}

TEST_F(EmailReader, MimeModeWithTextAndBinaryAttachment)
{
    std::string binary;
    for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 37 + i / 256) % 256);
    CMailMessage message;
    message.SetMimeMode(true);
    FillSms(message, "Photo \xc3\xa0 voir", "Here it is:\n.\n= done \xc3\xa9");
    CMimePart attachment;
    attachment.SetFilePath(Write("photo.bin", binary));
    attachment.SetAttachmentName("my photo (1).bin");
    attachment.SetContentType("application/octet-stream");
    message.RootPart().AppendChild(attachment);

    ExpectHeader("Subject", "Photo \xc3\xa0 voir");
    Expect("absent", "Bcc", "");
    Expect("leaves", "", "2");
    // An attachment's header block opens with an empty line, which ends the text before it.
    ExpectLeaf(0, "text/plain", "Here it is:\r\n.\r\n= done \xc3\xa9\r\n");
    ExpectLeaf(1, "application/octet-stream", binary);
    Expect("filename", "1", "my photo (1).bin");
    Check(message);
}

TEST_F(EmailReader, BodyWithLeadingPeriodsAndEqualsSigns)
{
    const std::string text = ".starts with a period\n..two of them\n.\nx=y and a=b\n" +
                             std::string(77, 'p') + ".continued after a soft break\n" +
                             std::string(230, '.') + "\n" + std::string(76, 'q') + "." + "\nend=";
    std::string expected;
    for (const char c : text) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const bool mime : {false, true}) {
        CMailMessage message;
        message.SetMimeMode(mime);
        FillSms(message, "dots", text);
        m_expectations.clear();
        Expect("leaves", "", "1");
        ExpectLeaf(0, "text/plain", mime ? expected : SinglePartBody(expected));
        Check(message);
    }
}
