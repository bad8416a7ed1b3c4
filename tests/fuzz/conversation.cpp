// A whole conversation against a hostile server: OpenSession (with the login the fuzzer picks),
// SendMail of a small message, CloseSession, and the connection's destructor, against a peer that
// answers every command with the fuzzer's replies. Whatever the replies, the client must return
// within its time-outs, and every byte it sends outside message text must be a well-formed line
// of a command it means to send: no reply may make it send message text as commands, end the
// message text early, or send a command it was not asked to.
//
// Input: a flags byte (login mechanism; message shape), then the replies separated by 0x1F,
// the first being the greeting.
#include "mime/mail_message.h"
#include "smtp/smtp_connection.h"
#include "support/fuzz_check.h"
#include "support/fuzz_input.h"
#include "support/loopback.h"
#include "support/smtp_responder.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kReplyTimeout = 10;
constexpr const char* kUser = "user";
constexpr const char* kPassword = "secret";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// A line of a login exchange: base64 text, or the plain user name and password of LOGIN PLAIN.
bool LoginLine(std::string_view line)
{
    if (line == kUser || line == kPassword)
        return true;
    return line.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
           std::string_view::npos;
}

void FillMessage(CMailMessage& message, std::uint8_t flags)
{
    message.AppendRecipient("5551234567@sms.example.net", KindTo);
    if (flags & 16)
        message.AppendRecipient(CMailAddress("Copy", "copy@example.net"), KindCc);
    message.AppendRecipient("me@example.org", KindBcc);
    message.mailerName = "Quillo Version 1.0";
    message.sender = "me@example.org";
    message.subject = "Hi";
    message.SetMimeMode(flags & 4);
    message.SetMessageText("Meet at 6\n.\nbring the = sign");
    if (flags & 8) {
        CMimePart attachment;
        attachment.SetFilePath("/nonexistent/quillo-fuzz-attachment");
        attachment.SetAttachmentName("missing.bin");
        message.RootPart().AppendChild(attachment);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.TakeByte();
    const auto mechanism = static_cast<AuthMechanism>(flags & 3);
    std::vector<std::string> replies;
    while (!in.Empty() && replies.size() < 32)
        replies.push_back(in.TakeField());

    fuzz::SmtpResponder server(replies);
    const auto start = std::chrono::steady_clock::now();
    bool sent = false;
    {
        CSMTPConnection connection;
        connection.SetReplyTimeout(kReplyTimeout);
        if (connection.OpenSession("127.0.0.1", mechanism, kUser, kPassword, fuzz::ListenerPort(), nullptr)) {
            FUZZ_CHECK(connection.IsConnected());
            CMailMessage message;
            FillMessage(message, flags);
            sent = connection.SendMail(message);
            FUZZ_CHECK(connection.IsConnected());  // a failed send leaves the session open
            if (flags & 32)
                connection.CloseSession();
        } else {
            FUZZ_CHECK(!connection.IsConnected());
        }
    }  // the destructor closes a session still open
    // Some dozen reply waits at most, each bounded by the short time-out.
    FUZZ_CHECK(std::chrono::steady_clock::now() - start < std::chrono::seconds(10));
    server.Finish();
    if (std::getenv("FUZZ_SHOW")) {
        for (const std::string& command : server.Commands())
            std::fprintf(stderr, "C: %s", command.c_str());
        for (const std::string& text : server.Messages())
            std::fprintf(stderr, "M: %zu bytes\n", text.size());
    }

    // Outside message text: whole lines, each a command of the conversation.
    bool mailStarted = false;
    for (const std::string& command : server.Commands()) {
        FUZZ_CHECK(command.size() >= 2 && command.compare(command.size() - 2, 2, "\r\n") == 0);
        const std::string_view line(command.data(), command.size() - 2);
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
        if (StartsWith(line, "MAIL FROM:<"))
            mailStarted = true;
        const bool known = StartsWith(line, "HELO ") || StartsWith(line, "EHLO ") || StartsWith(line, "AUTH ") ||
                           StartsWith(line, "MAIL FROM:<") || StartsWith(line, "RCPT TO:<") || line == "DATA" ||
                           line == "QUIT";
        // Login lines come only before the mail transaction.
        FUZZ_CHECK(known || (!mailStarted && mechanism != NoLogin && LoginLine(line)));
    }
    // Message text is always ended by the client, never cut short or run on.
    FUZZ_CHECK(server.MessagesEnded() || !sent);
    FUZZ_CHECK(server.Messages().size() <= 1);
    if (sent)
        FUZZ_CHECK(server.Messages().size() == 1);
    return 0;
}
