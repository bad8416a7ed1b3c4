#include "mime/quoted_printable.h"

#include <cstddef>

char NibbleToHex(unsigned value)
{
    return static_cast<char>(value < 10 ? 0x30 + value : 0x37 + value);
}

namespace {

// A soft break is due once the current line holds this many characters.
constexpr std::size_t kBreakAt = 78;

// Writes the escaped text into out and breaks its lines as they grow: the current line is the
// tail of out from lineStart, so a break only moves that short tail.
class SoftLineWriter {
public:
    explicit SoftLineWriter(std::string& out) : m_out(out) {}

    void Put(char c, bool last)
    {
        if (c == '.' && m_softStart) {
            m_out += "=2E";
            m_dotLine = true;
        } else {
            m_out.push_back(c);
        }
        m_softStart = false;
        if (c == '\n' || last) {
            m_lineStart = m_out.size();
            m_dotLine = false;
            return;
        }
        while (m_out.size() - m_lineStart >= kBreakAt) Break();
    }

private:
    // Cuts the current line after the last white space or whole escape among its first 78
    // characters, or after 77 characters (moved back before an escape) when there is neither.
    void Break()
    {
        const char* line = m_out.data() + m_lineStart;
        std::size_t c = kBreakAt - 1;
        for (;;) {
            // The "=2E" that opens a line is no place to cut: it would leave lines of one period.
            const bool escapeEnd = c >= 2 && line[c - 2] == '=' && !(c == 2 && m_dotLine);
            if (line[c] == ' ' || line[c] == '\t' || escapeEnd) break;
            if (--c == 0) {
                c = kBreakAt - 2;
                if (line[c] == '=') {
                    c -= 1;
                } else if (line[c - 1] == '=') {
                    c -= 2;
                }
                break;
            }
        }
        const std::size_t cut = m_lineStart + c + 1;
        if (cut < m_out.size() && m_out[cut] == '.') {
            // A period at the start of a line would be taken by the server as dot-stuffing.
            m_out.replace(cut, 1, "=\r\n=2E");
            m_dotLine = true;
        } else {
            m_out.insert(cut, "=\r\n");
            m_dotLine = false;
            m_softStart = cut + 3 == m_out.size();
        }
        m_lineStart = cut + 3;
    }

    std::string& m_out;
    std::size_t m_lineStart = 0;
    bool m_softStart = false;  // a soft break has just started an empty line
    bool m_dotLine = false;    // the current line opens with the "=2E" of a period
};

bool IsLiteral(unsigned char b)
{
    return (b >= 0x21 && b <= 0x7E && b != 0x3D) || b == '\t' || b == '\n' || b == '\r' || b == ' ';
}

}  // namespace

std::string QpEncode(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 16);
    SoftLineWriter writer(out);
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const bool last = i + 1 == n;
        if (IsLiteral(b)) {
            writer.Put(static_cast<char>(b), last);
        } else {
            writer.Put('=', false);
            writer.Put(NibbleToHex(b >> 4), false);
            writer.Put(NibbleToHex(b & 0x0F), last);
        }
    }
    return out;
}
