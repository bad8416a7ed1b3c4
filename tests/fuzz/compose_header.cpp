// ComposeHeader with fuzzed values: sender, To and Cc addresses with display names, subject, mailer
// name, Reply-To, charset, extra header lines, the time and zone of the Date line, and the message's
// shape (MIME mode, a child part). Whatever the values hold (CR, LF, NUL, 8-bit bytes, periods),
// the header must consist of exactly the lines the message writes, in order, one per field and
// one per extra line, must end once with the empty line, and must be safe between DATA and the
// end of data: only CR LF line ends, no line starting with ".".
#include "mime/mail_message.h"
#include "support/fuzz_check.h"
#include "support/fuzz_input.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

CMailAddress TakeAddress(FuzzInput& in)
{
    std::string name = in.TakeField();
    return CMailAddress(std::move(name), in.TakeField());
}

bool StartsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// An extra line as it must stand in the header: every run of CR and LF one space, and a leading
// period doubled, since the header goes between DATA and the end of data without dot-stuffing.
std::string ExpectedExtraLine(const std::string& line)
{
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\r' && line[i] != '\n') {
            out += line[i];
            continue;
        }
        out += ' ';
        while (i + 1 < line.size() && (line[i + 1] == '\r' || line[i + 1] == '\n'))
            ++i;
    }
    if (!out.empty() && out[0] == '.')
        out.insert(0, 1, '.');
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t shape = in.TakeByte();
    const bool mimeMode = shape & 1;
    const bool withChild = shape & 2;
    const int toCount = (shape >> 2) & 3;
    const int ccCount = (shape >> 4) & 3;
    const bool withBcc = shape & 64;
    std::uint32_t moment = 0;
    for (int i = 0; i < 4; ++i)
        moment = moment << 8 | in.TakeByte();
    const int offsetMinutes = (in.TakeByte() - 128) * 11;  // within a day either way

    CMailMessage message;
    message.SetMimeMode(mimeMode);
    message.SetClock([moment, offsetMinutes] {
        LocalTime time;
        const std::time_t t = static_cast<std::time_t>(moment);
        gmtime_r(&t, &time.fields);
        time.utcOffsetMinutes = offsetMinutes;
        return time;
    });
    message.sender = TakeAddress(in);
    bool ccNamed = false;  // some Cc address renders to text, so the header needs a Cc line
    for (int i = 0; i < toCount; ++i)
        message.AppendRecipient(TakeAddress(in), KindTo);
    for (int i = 0; i < ccCount; ++i) {
        const CMailAddress cc = TakeAddress(in);
        ccNamed = ccNamed || !cc.Render().empty();
        message.AppendRecipient(cc, KindCc);
    }
    if (withBcc)
        message.AppendRecipient(TakeAddress(in), KindBcc);
    message.subject = in.TakeField();
    message.mailerName = in.TakeField();
    message.replyTo = TakeAddress(in);
    const std::string charset = in.TakeField();
    if (!charset.empty())
        message.RootPart().SetCharset(charset);
    message.SetMessageText(in.TakeField());
    if (withChild) {
        CMimePart child;
        child.AssignText("child");
        message.RootPart().AppendChild(child);
    }
    std::vector<std::string> extras;  // the lines the extra header lines must give, in order
    for (int i = 0; i < 8 && !in.Empty(); ++i) {
        const std::string line = in.TakeField();
        // A line of white space alone is no field and is left out.
        if (line.find_first_not_of(" \t\r\n") != std::string::npos)
            extras.push_back(ExpectedExtraLine(line));
        message.AddHeaderLine(line);
    }
    const std::size_t extraLines = extras.size();

    const std::string header = message.ComposeHeader();
    const bool container = message.RootPart().ChildCount() > 0;
    const bool plainPath = !container && !mimeMode;
    if (std::getenv("FUZZ_SHOW"))
        std::fwrite(header.data(), 1, header.size(), stderr);

    // Only CR LF ends a line.
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == '\r')
            FUZZ_CHECK(i + 1 < header.size() && header[i + 1] == '\n');
        if (header[i] == '\n')
            FUZZ_CHECK(i > 0 && header[i - 1] == '\r');
    }
    FUZZ_CHECK(header.size() >= 2 && header.compare(header.size() - 2, 2, "\r\n") == 0);

    std::vector<std::string_view> lines;
    const std::string_view text(header);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }

    // The header ends once with the empty line: in the text itself, or, on the single-part path
    // after extra lines, in the line end the transmitter sends before the body.
    const bool endsInText = !(plainPath && extraLines > 0);
    FUZZ_CHECK(!lines.empty());
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        FUZZ_CHECK(!lines[i].empty());
    FUZZ_CHECK(lines.back().empty() == endsInText);
    if (endsInText)
        lines.pop_back();

    // The message's own lines, in order, then exactly one line per extra line.
    // Cc addresses that all render empty may or may not give a Cc line of bare commas.
    std::vector<std::string_view> own = {"From: ", "To: "};
    if (ccNamed || (ccCount > 0 && lines.size() > 2 && StartsWith(lines[2], "Cc: ")))
        own.push_back("Cc: ");
    own.insert(own.end(), {"Subject: ", "Date: ", "X-Mailer: ", "MIME-Version: 1.0", "Content-Type: "});
    if (!container && message.RootPart().QpEncode())
        own.push_back("Content-Transfer-Encoding: quoted-printable");
    if (!message.replyTo.address.empty())
        own.push_back("Reply-To: ");
    FUZZ_CHECK(lines.size() == own.size() + extraLines);
    for (std::size_t i = 0; i < own.size(); ++i)
        FUZZ_CHECK(StartsWith(lines[i], own[i]));
    if (container) {
        const std::string boundary = "; boundary=\"" + message.RootPart().Boundary() + "\"";
        FUZZ_CHECK(lines[own.size() - 1 - !message.replyTo.address.empty()].find(boundary) != std::string_view::npos);
    }

    for (std::size_t i = 0; i < extraLines; ++i)
        FUZZ_CHECK(lines[own.size() + i] == extras[i]);

    // The header travels between DATA and the end of data without dot-stuffing: a line that
    // starts with a single "." would lose it to the server, and a line that is only "." ends
    // the data.
    for (std::string_view line : lines)
        FUZZ_CHECK(!StartsWith(line, ".") || StartsWith(line, ".."));
    return 0;
}
