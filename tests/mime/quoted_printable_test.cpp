#include "mime/quoted_printable.h"

#include <string>

#include <gtest/gtest.h>

namespace {

std::string Letters(std::size_t n, char first = 'a')
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(first + i % 26);
    return s;
}

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

}  // namespace

TEST(NibbleToHex, GivesUpperCaseDigits)
{
    const char expected[] = "0123456789ABCDEF";
    for (unsigned v = 0; v < 16; ++v) EXPECT_EQ(NibbleToHex(v), expected[v]) << v;
}

TEST(QpEncode, EscapesAndBreaksLines)
{
    const std::string l76 = Letters(76), l75 = Letters(75), l77 = Letters(77), l78 = Letters(78);
    const std::string words = Repeat("word ", 20);  // 100 characters
    const struct { const char* name; std::string text; std::string encoded; } cases[] = {
        {"empty", "", ""},
        {"escapes", std::string("a=b\xe9\x7f\x01\x00z", 8), "a=3Db=E9=7F=01=00z"},
        {"white space and line ends stay", "a\tb c \r\nd\r\n", "a\tb c \r\nd\r\n"},
        {"period untouched", "..x.y", "..x.y"},
        {"100 letters", Letters(100), l77 + "=\r\n" + Letters(100).substr(77)},
        {"78 letters, last line", l78, l78},
        {"79 letters", Letters(79), l77 + "=\r\n" + Letters(79).substr(77)},
        {"76 letters before CR LF", l76 + "\r\nx", l76 + "\r\nx"},
        {"77 letters before CR LF", l77 + "\r\nx", l77 + "=\r\n\r\nx"},
        {"cut after the last space within 78", words,
         words.substr(0, 75) + "=\r\n" + words.substr(75)},
        {"escape never split", l76 + Repeat("\xe9", 5), l76 + "=\r\n" + Repeat("=E9", 5)},
        {"whole escape ends the line", l75 + Repeat("\xe9", 5),
         l75 + "=E9=\r\n" + Repeat("=E9", 4)},
        {"escape ending at 78", Letters(75) + "\xe9" + Letters(10),
         Letters(75) + "=E9=\r\n" + Letters(10)},
        {"escape ending at 77", Letters(74) + "\xe9" + Letters(10),
         Letters(74) + "=E9=\r\n" + Letters(10)},
        {"tab is white space", l76.substr(0, 70) + "\t" + Letters(20),
         l76.substr(0, 70) + "\t=\r\n" + Letters(20)},
    };
    for (const auto& c : cases) EXPECT_EQ(QpEncode(c.text), c.encoded) << c.name;
}

// A soft break must not leave a period at the start of a line: the server would strip it, and a
// line holding only "." would end the data.
TEST(QpEncode, PeriodAfterASoftBreakIsEscaped)
{
    const std::string l77 = Letters(77);
    const struct { const char* name; std::string text; std::string encoded; } cases[] = {
        {"period continues the line", l77 + ".abc", l77 + "=\r\n=2Eabc"},
        {"lone period at the end", l77 + "..", l77 + "=\r\n=2E."},
        {"carried letter before the last period", Letters(78) + ".", Letters(78).substr(0, 77) + "=\r\n" +
                                                                    Letters(78).substr(77) + "."},
        {"period after a break at white space", Letters(77) + " .x" + Letters(10),
         Letters(77) + " =\r\n=2Ex" + Letters(10)},
        {"line of periods", std::string(200, '.'),
         std::string(77, '.') + "=\r\n=2E" + std::string(74, '.') + "=\r\n=2E" + std::string(47, '.')},
    };
    for (const auto& c : cases) EXPECT_EQ(QpEncode(c.text), c.encoded) << c.name;
}

TEST(QpEncode, LinesStayWithinTheirBoundsOnLongMixedText)
{
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        const char c = static_cast<char>((i * 7919) % 256);
        text += c == '\r' || c == '\n' ? '.' : c;
        if (i % 150 == 149) text += "\r\n";
    }
    const std::string encoded = QpEncode(text);
    std::size_t start = 0;
    bool afterSoftBreak = false;
    while (start < encoded.size()) {
        std::size_t end = encoded.find("\r\n", start);
        const bool soft = end != std::string::npos && end > start && encoded[end - 1] == '=' &&
                          (end < 3 || encoded[end - 3] != '=');
        if (end == std::string::npos) end = encoded.size();
        const std::string line = encoded.substr(start, end - start);
        EXPECT_LE(line.size(), soft ? 79u : 78u) << line;
        if (afterSoftBreak) {
            EXPECT_NE(line.rfind('.', 0), 0u) << "soft break before a period: " << line;
        }
        afterSoftBreak = soft;
        start = end + 2;
    }
}
