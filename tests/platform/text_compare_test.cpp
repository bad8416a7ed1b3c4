#include "platform/text_compare.h"

#include <gtest/gtest.h>

TEST(TextCompare, OrdersBytesCaseSensitively)
{
    struct Case {
        const char* first;
        const char* second;
        int order;
    };
    const Case cases[] = {
        {"Password:", "Password:", 0},
        {"password:", "Password:", 1},   // 'p' sorts after 'P'
        {"Password", "Password:", -1},   // a prefix sorts first
        {"Password: ", "Password:", 1},
        {"", "", 0},
        {"\xC3\xA9", "z", 1},            // bytes above 127 sort after ASCII
        {nullptr, "", -1},
        {"", nullptr, 1},
        {nullptr, nullptr, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lstrcmpA(c.first, c.second), c.order)
            << (c.first ? c.first : "(null)") << " / " << (c.second ? c.second : "(null)");
    }
}
