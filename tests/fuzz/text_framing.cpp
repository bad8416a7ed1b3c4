// Any text through SetMessageText (AssignText) and the transmitter, to a server on loopback that
// reads the message text the way SMTP servers do: up to the first line that is only ".". The
// server must get the whole message and nothing after it but QUIT; the message text must hold no
// bare CR or LF; and on the single-part path, un-stuffing the body's lines (and decoding its
// quoted-printable when the part is encoded) must give the text with its line ends made CR LF.
//
// Input: a flags byte (quoted-printable off; MIME mode), then the text.
#include "mime/mail_message.h"
#include "smtp/smtp_connection.h"
#include "support/fuzz_check.h"
#include "support/qp_reference.h"
#include "support/fuzz_input.h"
#include "support/loopback.h"
#include "support/smtp_responder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Every CR LF, lone CR and lone LF becomes one CR LF.
std::string Normalised(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

// What the server keeps of message text: a line that starts with "." loses that period.
std::string Unstuffed(std::string_view text)
{
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        end = end == std::string_view::npos ? text.size() : end + 2;
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line[0] == '.')
            line.remove_prefix(1);
        out += line;
        start = end;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.TakeByte();
    const bool quotedPrintable = !(flags & 1);
    const bool mimeMode = flags & 2;
    const std::string text = in.TakeRest();

    fuzz::SmtpResponder server({"220 ready\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n",
                                "354 go ahead\r\n", "250 queued\r\n", "221 bye\r\n"});
    {
        CSMTPConnection connection;
        connection.SetReplyTimeout(2000);
        FUZZ_CHECK(connection.OpenSession("127.0.0.1", NoLogin, nullptr, nullptr, fuzz::ListenerPort(), nullptr));
        CMailMessage message;
        message.AppendRecipient("5551234567@sms.example.net", KindTo);
        message.AppendRecipient("me@example.org", KindBcc);
        message.sender = "me@example.org";
        message.subject = "Hi";
        message.mailerName = "Quillo Version 1.0";
        message.SetMimeMode(mimeMode);
        message.RootPart().SetQpEncode(quotedPrintable);
        message.SetMessageText(text);
        // The server took exactly one message, ended where the transmitter ended it.
        FUZZ_CHECK(connection.SendMail(message));
        FUZZ_CHECK(connection.CloseSession());
    }
    server.Finish();
    FUZZ_CHECK(server.Messages().size() == 1 && server.MessagesEnded());
    FUZZ_CHECK(server.Commands().size() == 6 && server.Commands().back() == "QUIT\r\n");

    // Message text: lines ended by CR LF, nothing else; the final "." line is the server's cut.
    const std::string& wire = server.Messages().front();
    FUZZ_CHECK(wire.size() >= 2 && wire.compare(wire.size() - 2, 2, "\r\n") == 0);
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (wire[i] == '\r')
            FUZZ_CHECK(i + 1 < wire.size() && wire[i + 1] == '\n');
        if (wire[i] == '\n')
            FUZZ_CHECK(i > 0 && wire[i - 1] == '\r');
    }
    if (mimeMode)
        return 0;  // the body is a tree of parts; its text part is checked by the encoders' targets

    // Single part: the header, its empty line, the transmitter's line end, the body, and the line
    // end that goes before the final ".".
    const std::size_t headerEnd = wire.find("\r\n\r\n");
    FUZZ_CHECK(headerEnd != std::string::npos);
    const std::size_t bodyStart = headerEnd + 4;
    FUZZ_CHECK(wire.size() >= bodyStart + 4 && wire.compare(bodyStart, 2, "\r\n") == 0);
    const std::string body = Unstuffed(std::string_view(wire).substr(bodyStart + 2, wire.size() - 2 - (bodyStart + 2)));
    if (quotedPrintable) {
        const std::optional<std::string> decoded = fuzz::QpDecode(body);
        FUZZ_CHECK(decoded.has_value());
        FUZZ_CHECK(*decoded == Normalised(text));
    } else {
        FUZZ_CHECK(body == Normalised(text));
    }
    return 0;
}
