#pragma once
// A reference quoted-printable decoder, as RFC 2045 reads the encoding: "=" CR LF is a soft line
// break, "=XX" one byte (upper-case digits, as the encoder writes them), anything else literal.
#include <optional>
#include <string>
#include <string_view>

namespace fuzz {

inline int QpHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Nothing when an "=" starts neither a soft break nor an escape.
inline std::optional<std::string> QpDecode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (text.substr(i + 1, 2) == "\r\n") {
            i += 2;
        } else if (i + 2 < text.size() && QpHexValue(text[i + 1]) >= 0 && QpHexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(QpHexValue(text[i + 1]) * 16 + QpHexValue(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

}  // namespace fuzz
