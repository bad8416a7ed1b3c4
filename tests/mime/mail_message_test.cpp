#include "mime/mail_message.h"
#include "mime/date_text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

LocalTime ThursdayFifthOfDecember(int offsetMinutes)
{
    LocalTime t;
    t.fields.tm_year = 2024 - 1900;
    t.fields.tm_mon = 11;
    t.fields.tm_mday = 5;
    t.fields.tm_wday = 4;
    t.fields.tm_hour = 10;
    t.utcOffsetMinutes = offsetMinutes;
    return t;
}

// A message as the Send command fills it, at a fixed moment.
struct SmsMessage : CMailMessage {
    explicit SmsMessage(int offsetMinutes = 60)
    {
        SetClock([offsetMinutes] { return ThursdayFifthOfDecember(offsetMinutes); });
        AppendRecipient(CMailAddress("5551234@sms.example"), KindTo);
        AppendRecipient(CMailAddress("me@example.org"), KindBcc);
        mailerName = "Quillo Version 1.0";
        sender = CMailAddress("me@example.org");
        subject = "Hi";
        SetMessageText("See you at 8");
    }
};

const std::string kSingleTail =
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n";

}  // namespace

TEST(MailMessage, RecipientsAreKeptByKind)
{
    CMailMessage message;
    EXPECT_EQ(message.AppendRecipient(CMailAddress("a@x"), KindTo), 0);
    EXPECT_EQ(message.AppendRecipient(CMailAddress("b@x"), KindTo), 1);
    EXPECT_EQ(message.AppendRecipient(CMailAddress("c@x"), KindCc), 0);
    EXPECT_EQ(message.AppendRecipient(CMailAddress("d@x"), 3), -1);
    EXPECT_EQ(message.AppendRecipient(CMailAddress("d@x"), -1), -1);
    const CMailAddress* first = message.RecipientAt(0, KindTo);
    for (int i = 0; i < 50; ++i) message.AppendRecipient(CMailAddress("many@x"), KindTo);
    EXPECT_EQ(message.RecipientAt(0, KindTo), first);  // entries stay where they are
    EXPECT_EQ(first->address, "a@x");
    EXPECT_EQ(message.RecipientCount(KindTo), 52);
    EXPECT_EQ(message.RecipientCount(KindCc), 1);
    EXPECT_EQ(message.RecipientCount(KindBcc), 0);
    EXPECT_EQ(message.RecipientCount(7), 0);
    EXPECT_EQ(message.RecipientAt(1, KindTo)->address, "b@x");
    EXPECT_EQ(message.RecipientAt(0, 7), nullptr);
    EXPECT_EQ(message.RecipientAt(1, KindCc), nullptr);
    EXPECT_EQ(message.RecipientAt(-1, KindCc), nullptr);
}

TEST(MailMessage, SendCommandHeader)
{
    SmsMessage message;
    EXPECT_EQ(message.ComposeHeader(),
              "From: me@example.org\r\n"
              "To: 5551234@sms.example\r\n"
              "Subject: Hi\r\n"
              "Date: Thu, 05 Dec 2024 10:00:00 +0100\r\n"
              "X-Mailer: Quillo Version 1.0\r\n" +
                  kSingleTail + "\r\n");
    EXPECT_EQ(message.RootPart().Text(), "See you at 8");
    EXPECT_EQ(message.RootPart().ChildCount(), 0);
}

TEST(MailMessage, DateLineTakesTheOffsetOfThatMoment)
{
    const struct { int offset; const char* date; } cases[] = {
        {345, "Date: Thu, 05 Dec 2024 10:00:00 +0545\r\n"},
        {570, "Date: Thu, 05 Dec 2024 10:00:00 +0930\r\n"},
        {-210, "Date: Thu, 05 Dec 2024 10:00:00 -0330\r\n"},
        {0, "Date: Thu, 05 Dec 2024 10:00:00 +0000\r\n"},
    };
    for (const auto& c : cases) {
        SmsMessage message(c.offset);
        EXPECT_NE(message.ComposeHeader().find(c.date), std::string::npos) << c.offset;
    }
}

TEST(MailMessage, DateLineDefaultsToTheCurrentLocalTime)
{
    CMailMessage message;
    const std::string header = message.ComposeHeader();
    const std::string date = DateText(CurrentLocalTime());
    // The seconds may have moved on between the two readings: compare up to the minutes.
    EXPECT_NE(header.find("\r\nDate: " + date.substr(0, 20)), std::string::npos) << header;
}

TEST(MailMessage, HeaderLinesForRecipientsReplyToAndExtraLines)
{
    struct Case {
        const char* name;
        void (*fill)(CMailMessage&);
        std::string addressLines;  // From .. Cc
        std::string afterMailer;   // after the X-Mailer line
    };
    const Case cases[] = {
        {"no recipients", [](CMailMessage&) {}, "From: \r\nTo: \r\n", kSingleTail + "\r\n"},
        {"two To, a Cc, a Bcc",
         [](CMailMessage& m) {
             m.AppendRecipient(CMailAddress("a@x"), KindTo);
             m.AppendRecipient(CMailAddress("Bea", "b@x"), KindTo);
             m.AppendRecipient(CMailAddress("c@x"), KindCc);
             m.AppendRecipient(CMailAddress("hidden@x"), KindBcc);
         },
         "From: \r\nTo: a@x,Bea <b@x>\r\nCc: c@x\r\n", kSingleTail + "\r\n"},
        {"Reply-To",
         [](CMailMessage& m) { m.replyTo = CMailAddress("r@x"); },
         "From: \r\nTo: \r\n", kSingleTail + "Reply-To: r@x\r\n\r\n"},
        {"Reply-To with a name is not encoded",
         [](CMailMessage& m) { m.replyTo = CMailAddress("R\xc3\xa9", "r@x"); },
         "From: \r\nTo: \r\n", kSingleTail + "Reply-To: R\xc3\xa9 <r@x>\r\n\r\n"},
        {"extra lines",
         [](CMailMessage& m) {
             m.AddHeaderLine("X-One: 1");
             m.AddHeaderLine("X-Two: 2");
         },
         "From: \r\nTo: \r\n", kSingleTail + "X-One: 1\r\nX-Two: 2\r\n"},
    };
    for (const auto& c : cases) {
        CMailMessage message;
        message.SetClock([] { return ThursdayFifthOfDecember(60); });
        c.fill(message);
        EXPECT_EQ(message.ComposeHeader(),
                  c.addressLines + "Subject: \r\nDate: Thu, 05 Dec 2024 10:00:00 +0100\r\n"
                                   "X-Mailer: CSMTPConnection v2.17\r\n" + c.afterMailer)
            << c.name;
    }
}

TEST(MailMessage, EightBitValuesBecomeOneEncodedWordInTheRootCharset)
{
    SmsMessage message;
    message.subject = "caf\xc3\xa9 ok";
    message.AppendRecipient(CMailAddress("J\xc3\xb6rg", "j@x"), KindTo);
    std::string header = message.ComposeHeader();
    EXPECT_NE(header.find("\r\nSubject: =?utf-8?q?caf=C3=A9_ok?=\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("\r\nTo: =?utf-8?q?5551234@sms.example,J=C3=B6rg_<j@x>?=\r\n"), std::string::npos);
    EXPECT_NE(header.find("From: me@example.org\r\n"), std::string::npos);

    message.RootPart().SetCharset("iso-8859-1");  // an explicit charset is honoured
    message.subject = "caf\xe9";
    header = message.ComposeHeader();
    EXPECT_NE(header.find("\r\nSubject: =?iso-8859-1?q?caf=E9?=\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("Content-Type: text/plain; charset=iso-8859-1\r\n"), std::string::npos);
}

// No value can add a header line, end the header early or smuggle an end-of-data line.
TEST(MailMessage, LineBreaksInsideValuesBecomeOneSpace)
{
    SmsMessage message;
    message.subject = "Hi\r\nBcc: victim@x\r\n\r\n.\r\nRCPT TO:<x>";
    message.sender = CMailAddress("Me\n", "me@x\r");
    message.mailerName = "M\r\r\n\nN";
    message.replyTo = CMailAddress("r@x\r\nX-Bad: 1");
    message.AppendRecipient(CMailAddress("c@x\n"), KindCc);
    message.AddHeaderLine("X-Extra: 1\r\nX-Bad: 2");
    message.AddHeaderLine("\r\n");
    message.AddHeaderLine("");
    message.AddHeaderLine(".");
    message.AddHeaderLine("X-Last: 3");
    const std::string header = message.ComposeHeader();
    EXPECT_NE(header.find("Subject: Hi Bcc: victim@x . RCPT TO:<x>\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("From: Me  <me@x >\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("X-Mailer: M N\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("Reply-To: r@x X-Bad: 1\r\n"), std::string::npos) << header;
    EXPECT_NE(header.find("Cc: c@x \r\n"), std::string::npos) << header;
    // A lone period, which would end the data, arrives as written once the server removes one.
    EXPECT_NE(header.find("X-Extra: 1 X-Bad: 2\r\n..\r\nX-Last: 3\r\n"), std::string::npos) << header;
    // Every CR is followed by LF and every LF starts a new header field.
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == '\r') {
            ASSERT_EQ(header[i + 1], '\n') << i;
        }
        if (header[i] == '\n' && i + 1 < header.size()) {
            ASSERT_NE(header[i + 1], ' ');
            ASSERT_NE(header.compare(i + 1, 3, ".\r\n"), 0);
        }
    }
    EXPECT_EQ(header.substr(header.size() - 11), "X-Last: 3\r\n");
}

TEST(MailMessage, MimeModeTurnsTheRootIntoAContainerOnce)
{
    SmsMessage message;
    message.SetMimeMode(true);
    message.RootPart().SetCharset("iso-8859-1");
    message.SetMessageText("first");
    message.SetMessageText("second\n.line");
    const CMimePart& root = message.RootPart();
    EXPECT_EQ(root.ContentType(), "multipart/mixed");
    EXPECT_EQ(root.Text(), "This is a multi-part message in MIME format");
    ASSERT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.ChildAt(0)->ContentType(), "text/plain");
    EXPECT_EQ(root.ChildAt(0)->Charset(), "iso-8859-1");
    EXPECT_EQ(root.ChildAt(0)->Text(), "second\r\n..line");
    EXPECT_EQ(root.ChildAt(0)->Parent(), &root);

    const std::string header = message.ComposeHeader();
    EXPECT_NE(header.find("X-Mailer: Quillo Version 1.0\r\nMIME-Version: 1.0\r\n"
                          "Content-Type: multipart/mixed; boundary=\"" + root.Boundary() + "\"\r\n\r\n"),
              std::string::npos) << header;
    // A multipart entity carries no quoted-printable label.
    EXPECT_EQ(header.find("Content-Transfer-Encoding"), std::string::npos);
}

TEST(MailMessage, RootWithoutChildrenDeclaresItsTypeWhateverTheMode)
{
    for (const bool mime : {false, true}) {
        CMailMessage message;
        message.SetMimeMode(mime);
        std::string header = message.ComposeHeader();
        EXPECT_EQ(header.substr(header.find("MIME-Version")), kSingleTail + "\r\n") << mime;
        // A root that goes out as it stands is not declared quoted-printable.
        message.RootPart().SetQpEncode(false);
        header = message.ComposeHeader();
        EXPECT_EQ(header.substr(header.find("MIME-Version")),
                  "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n") << mime;
    }
}

// Extra lines end the header with an empty line wherever the transmitter adds none.
TEST(MailMessage, ExtraLinesOnTheMultipartPathStillEndTheHeader)
{
    CMailMessage message;
    message.AddHeaderLine("X-One: 1");
    message.SetMimeMode(true);
    message.SetMessageText("text");
    const std::string header = message.ComposeHeader();
    EXPECT_EQ(header.substr(header.size() - 12), "X-One: 1\r\n\r\n");

    CMailMessage plain;
    plain.AddHeaderLine("X-One: 1");
    plain.SetMessageText("text");
    const std::string plainHeader = plain.ComposeHeader();
    // Here the transmitter's CR LF before the body is the empty line.
    EXPECT_EQ(plainHeader.substr(plainHeader.size() - 12), "\r\nX-One: 1\r\n");
}
