#include "mime/header_word.h"

#include <string>

#include <gtest/gtest.h>

TEST(QEncodeIfNeeded, EncodesOnlyValuesWithEightBitBytes)
{
    const std::string longAscii(500, 'x');
    const struct { std::string value; std::string charset; std::string encoded; } cases[] = {
        {"", "utf-8", ""},
        {"plain = ? _ text\x7f", "utf-8", "plain = ? _ text\x7f"},
        {longAscii, "utf-8", longAscii},
        {"caf\xe9", "iso-8859-1", "=?iso-8859-1?q?caf=E9?="},
        {"a b_c=d?\xe9", "iso-8859-1", "=?iso-8859-1?q?a_b=5Fc=3Dd=3F=E9?="},
        {"Gr\xc3\xbc\xc3\x9f <a@b>,\"x\"\t", "utf-8", "=?utf-8?q?Gr=C3=BC=C3=9F_<a@b>,\"x\"\t?="},
    };
    for (const auto& c : cases) EXPECT_EQ(QEncodeIfNeeded(c.value, c.charset), c.encoded) << c.value;
}
