#include "mime/mail_address.h"

#include <gtest/gtest.h>

TEST(MailAddress, RendersTheHeaderForm)
{
    const struct { CMailAddress address; std::string rendered; } cases[] = {
        {CMailAddress("sms@gateway.example"), "sms@gateway.example"},
        {CMailAddress(), ""},
        {CMailAddress("Ann", "ann@example.org"), "Ann <ann@example.org>"},
        {CMailAddress("Doe, \"J\" <x", "j@example.org"), "Doe, \"J\" <x <j@example.org>"},
        {CMailAddress("Ann <ann@example.org>"), "Ann <ann@example.org>"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.address.Render(), c.rendered);
    EXPECT_EQ(CMailAddress("Ann <a@b>").displayName, "");
}

TEST(MailAddress, CopiesAreIndependent)
{
    const CMailAddress source("Ann", "ann@example.org");
    CMailAddress copy(source);
    copy.displayName = "Bob";
    copy.address = "bob@example.org";
    CMailAddress assigned;
    assigned = source;
    assigned.address.clear();
    EXPECT_EQ(source.Render(), "Ann <ann@example.org>");
}
