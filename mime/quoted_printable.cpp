#include "mime/quoted_printable.h"

#include <array>
#include <cstddef>
#include <cstring>

char NibbleToHex(unsigned value)
{
    return static_cast<char>(value < 10 ? 0x30 + value : 0x37 + value);
}

namespace {

// A soft break is due once the current line holds this many characters.
constexpr std::size_t kBreakAt = 78;

// Bytes that stand for themselves: printable ASCII but "=", and tab, LF, CR, space.
constexpr std::array<bool, 256> kLiteral = [] {
    std::array<bool, 256> literal{};
    for (unsigned b = 0x21; b <= 0x7E; ++b) literal[b] = b != 0x3D;
    literal['\t'] = literal['\n'] = literal['\r'] = literal[' '] = true;
    return literal;
}();

// Collects the escaped text of the current line and breaks it as it grows. A line is checked
// once it holds 78 characters unless that 78th character ends the text; a line ending in LF is
// never cut at its LF.
class SoftLineWriter {
public:
    explicit SoftLineWriter(std::string& out) : m_out(out) {}

    void PutLiteral(char c, bool last)
    {
        if (c == '.' && m_softStart) {
            Escape(c, last);
            m_dotLine = true;
            return;
        }
        m_softStart = false;
        m_line[m_length++] = c;
        if (c == '\n') {
            EndLine();
        } else if (m_length >= kBreakAt || last) {
            Settle(last);
        }
    }

    void Escape(unsigned char b, bool last)
    {
        m_softStart = false;
        m_line[m_length++] = '=';
        m_line[m_length++] = NibbleToHex(b >> 4);
        m_line[m_length++] = NibbleToHex(b & 0x0F);
        if (m_length >= kBreakAt || last) Settle(last);
    }

private:
    void Settle(bool last)
    {
        while (m_length > kBreakAt || (m_length == kBreakAt && !last)) Break();
        if (last) EndLine();
    }

    void EndLine()
    {
        m_out.append(m_line, m_length);
        m_length = 0;
        m_dotLine = false;
    }

    // Cuts the line after the last white space or whole escape among its first 78 characters,
    // or after 77 characters (moved back before an escape) when there is neither.
    void Break()
    {
        std::size_t c = kBreakAt - 1;
        for (;;) {
            // The "=2E" that opens a line is no place to cut: it would leave lines of one period.
            const bool escapeEnd = c >= 2 && m_line[c - 2] == '=' && !(c == 2 && m_dotLine);
            if (m_line[c] == ' ' || m_line[c] == '\t' || escapeEnd) break;
            if (--c == 0) {
                c = kBreakAt - 2;
                if (m_line[c] == '=') {
                    c -= 1;
                } else if (m_line[c - 1] == '=') {
                    c -= 2;
                }
                break;
            }
        }
        m_out.append(m_line, c + 1);
        m_out += "=\r\n";
        std::size_t rest = m_length - (c + 1);
        const char* from = m_line + c + 1;
        m_dotLine = rest > 0 && *from == '.';
        m_softStart = rest == 0;
        if (m_dotLine) {
            // A period at the start of a line would be taken by the server as dot-stuffing.
            std::memmove(m_line + 3, from + 1, rest - 1);
            std::memcpy(m_line, "=2E", 3);
            rest += 2;
        } else {
            std::memmove(m_line, from, rest);
        }
        m_length = rest;
    }

    std::string& m_out;
    char m_line[2 * kBreakAt];  // a line never holds more than 78 characters and one escape
    std::size_t m_length = 0;
    bool m_softStart = false;  // a soft break has just started an empty line
    bool m_dotLine = false;    // the current line opens with the "=2E" of a period
};

}  // namespace

std::string QpEncode(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 16);
    SoftLineWriter writer(out);
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (kLiteral[b]) {
            writer.PutLiteral(static_cast<char>(b), i + 1 == n);
        } else {
            writer.Escape(b, i + 1 == n);
        }
    }
    return out;
}
