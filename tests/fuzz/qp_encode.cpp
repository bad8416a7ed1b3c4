// QpEncode on any text. Two inputs are made from the fuzzer's bytes: the bytes as they are, and
// the text as a part stores it (AssignText: CR LF line ends, periods doubled), which is what the
// encoder gets on its way to the wire. For both, a reference decoder must give the input back; for
// the stored text, the output must also be fit for the data of an SMTP transaction: CR LF as the
// only line ends, no line that is only ".", no line longer than the encoder promises.
#include "mime/mime_part.h"
#include "mime/quoted_printable.h"
#include "support/fuzz_check.h"
#include "support/qp_reference.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool Printable(unsigned char c) { return (c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\r' || c == '\n'; }

// The wire form: only CR LF ends a line; lines ended by a soft break hold at most 78 characters
// before their "=", lines ended by CR LF at most 76, the last line at most 78; no line is only ".".
void CheckLines(std::string_view encoded)
{
    std::size_t start = 0;
    while (start <= encoded.size()) {
        const std::size_t lf = encoded.find('\n', start);
        const bool last = lf == std::string_view::npos;
        std::string_view line = encoded.substr(start, last ? std::string_view::npos : lf - start);
        if (!last) {
            FUZZ_CHECK(!line.empty() && line.back() == '\r');
            line.remove_suffix(1);
        }
        FUZZ_CHECK(line.find('\r') == std::string_view::npos);
        FUZZ_CHECK(line != ".");
        if (!last && !line.empty() && line.back() == '=')
            FUZZ_CHECK(line.size() <= 79);
        else if (!last)
            FUZZ_CHECK(line.size() <= 76);
        else
            FUZZ_CHECK(line.size() <= 78);
        if (last)
            break;
        start = lf + 1;
    }
}

void CheckEncoding(const std::string& input, bool stored)
{
    const std::string encoded = QpEncode(input);
    for (char c : encoded)
        FUZZ_CHECK(Printable(static_cast<unsigned char>(c)));
    const std::optional<std::string> decoded = fuzz::QpDecode(encoded);
    FUZZ_CHECK(decoded.has_value());
    FUZZ_CHECK(*decoded == input);
    if (stored)
        CheckLines(encoded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), data ? size : 0);
    CheckEncoding(input, false);
    CMimePart part;
    part.AssignText(input);
    CheckEncoding(part.Text(), true);
    return 0;
}
