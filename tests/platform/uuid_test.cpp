#include "platform/uuid.h"

#include <set>

#include <gtest/gtest.h>

TEST(Uuid, HasTheLowerCaseVersion4FormAndIsFresh)
{
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string u = CreateUuidString();
        ASSERT_EQ(u.size(), 36u) << u;
        for (std::size_t p = 0; p < u.size(); ++p) {
            if (p == 8 || p == 13 || p == 18 || p == 23) {
                EXPECT_EQ(u[p], '-') << u;
            } else {
                EXPECT_TRUE((u[p] >= '0' && u[p] <= '9') || (u[p] >= 'a' && u[p] <= 'f')) << u;
            }
        }
        EXPECT_EQ(u[14], '4') << u;
        EXPECT_NE(std::string("89ab").find(u[19]), std::string::npos) << u;
        seen.insert(u);
    }
    EXPECT_EQ(seen.size(), 200u);
}
