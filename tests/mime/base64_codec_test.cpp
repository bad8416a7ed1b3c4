#include "mime/base64_codec.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string Encode(CBase64Codec& codec, const std::string& plain)
{
    codec.EncodeBuffer(plain.data(), static_cast<std::uint32_t>(plain.size()));
    return std::string(codec.GetBase64Text(), codec.GetBase64Length());
}

// The bytes up to and including the first zero after the plain data, as a zero-terminated read.
std::string PlainText(const CBase64Codec& codec)
{
    return reinterpret_cast<const char*>(codec.GetPlainData());
}

}  // namespace

TEST(Base64Codec, EncodesGroupsWithPadding)
{
    const struct { std::string plain; std::string text; } cases[] = {
        {"", ""},
        {"A", "QQ=="},
        {"AB", "QUI="},
        {"ABC", "QUJD"},
        {"ABCD", "QUJDRA=="},
        {std::string("\x00\xff\xfe", 3), "AP/+"},
        {"Username:", "VXNlcm5hbWU6"},
    };
    for (const auto& c : cases) {
        CBase64Codec codec;
        EXPECT_EQ(Encode(codec, c.plain), c.text) << c.plain;
        EXPECT_EQ(codec.GetBase64Text()[c.text.size()], '\0');
        EXPECT_EQ(std::strlen(codec.GetBase64Text()), c.text.size());
    }
}

TEST(Base64Codec, EncodesAnyLengthWithoutLineBreaks)
{
    CBase64Codec codec;
    for (std::uint32_t length : {0u, 1u, 2u, 56u, 57u, 58u, 1000u, 5000u}) {
        const std::string plain(length, '\xA5');
        const std::string text = Encode(codec, plain);
        EXPECT_EQ(text.size(), 4 * ((length + 2) / 3)) << length;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        codec.DecodeBuffer(text.data(), static_cast<std::uint32_t>(text.size()));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(codec.GetPlainData()), length), plain);
    }
}

TEST(Base64Codec, NullTextChangesNothing)
{
    CBase64Codec codec;
    codec.EncodeString("AB");
    codec.EncodeString(nullptr);
    codec.DecodeString(nullptr);
    EXPECT_STREQ(codec.GetBase64Text(), "QUI=");
    EXPECT_EQ(codec.GetBase64Length(), 4u);
    EXPECT_EQ(codec.GetPlainLength(), 2u);
    EXPECT_STREQ(PlainText(codec).c_str(), "AB");
}

TEST(Base64Codec, EmptyInputOnAFreshCodecGivesAnEmptyText)
{
    CBase64Codec fresh;
    EXPECT_STREQ(fresh.GetBase64Text(), "");
    EXPECT_STREQ(PlainText(fresh).c_str(), "");
    fresh.EncodeString("");
    ASSERT_NE(fresh.GetBase64Text(), nullptr);
    EXPECT_STREQ(fresh.GetBase64Text(), "");
    EXPECT_EQ(fresh.GetBase64Length(), 0u);
}

TEST(Base64Codec, DecodesSkippingWhitespaceAndIgnoringTheTopBit)
{
    const struct { std::string text; std::string plain; } cases[] = {
        {"VXNlcm5hbWU6", "Username:"},
        {"UGFzc3dvcmQ6", "Password:"},
        {"VXNl cm5h\r\nbWU6\r\n", "Username:"},
        {"\tVX\vNl\fcm5h\a\bbWU6 ", "Username:"},
        {"QQ==", "A"},
        {"QUI", "AB"},
        {"QUI=", "AB"},
        // 209 is "Q" with its top bit set; 189 is "=" with it.
        {"\xd1Q==", "A"},
        {"QQ\xbd\xbd", "A"},
        // Characters outside the alphabet decode by their low bits ("*" as "+" would).
        {"QU*D", "AO\x83"},
        {"QU+D", "AO\x83"},
        // Concatenated padded groups decode one after the other.
        {"QQ==QUI=", "AAB"},
    };
    for (const auto& c : cases) {
        CBase64Codec codec;
        codec.DecodeString(c.text.c_str());
        EXPECT_EQ(PlainText(codec), c.plain) << c.text;
    }
}

TEST(Base64Codec, DecodedDataIsFollowedByZeroBytes)
{
    CBase64Codec codec;
    codec.DecodeString("QQ==");
    const unsigned char* plain = codec.GetPlainData();
    EXPECT_EQ(plain[0], 'A');
    for (int i = 1; i < 16; ++i) EXPECT_EQ(plain[i], 0) << i;
    EXPECT_EQ(codec.GetPlainLength(), 1u);
}

TEST(Base64Codec, PaddingInTheFirstTwoPlacesDecodesAsSlash)
{
    CBase64Codec padded, slashes;
    padded.DecodeString("==AA");
    slashes.DecodeString("//AA");
    EXPECT_EQ(std::memcmp(padded.GetPlainData(), slashes.GetPlainData(), 3), 0);
    EXPECT_EQ(padded.GetPlainData()[0], 0xFF);
}

TEST(Base64Codec, BuffersGrowInStepsAndAreClearedOnReuse)
{
    CBase64Codec codec;
    const std::string big(3000, 'x');
    Encode(codec, big);
    EXPECT_EQ(codec.PlainCapacity(), 4096u);
    EXPECT_EQ(codec.Base64Capacity(), 8192u);

    EXPECT_EQ(Encode(codec, "AB"), "QUI=");
    EXPECT_EQ(codec.PlainCapacity(), 4096u);
    EXPECT_EQ(codec.Base64Capacity(), 8192u);
    const char* text = codec.GetBase64Text();
    for (std::uint32_t i = 4; i < codec.Base64Capacity(); ++i) ASSERT_EQ(text[i], '\0') << i;
    const unsigned char* plain = codec.GetPlainData();
    for (std::uint32_t i = 2; i < codec.PlainCapacity(); ++i) ASSERT_EQ(plain[i], 0) << i;

    const struct { std::uint32_t size; std::uint32_t capacity; } reservations[] = {
        {0, 4096}, {4095, 4096}, {4096, 8192}, {8191, 8192}, {8192, 12288},
    };
    for (const auto& r : reservations) {
        CBase64Codec fresh;
        fresh.ReservePlain(r.size);
        EXPECT_EQ(fresh.PlainCapacity(), r.capacity) << r.size;
    }
}

// Every step is virtual: a derived codec that replaces one group operation changes the output.
TEST(Base64Codec, DerivedCodecCanReplaceOneStep)
{
    struct UpperOnly : CBase64Codec {
        bool IsSkippedChar(char c) override { return c == '-' || CBase64Codec::IsSkippedChar(c); }
        void EncodeGroup(const Base64Group& group, char* out) override
        {
            CBase64Codec::EncodeGroup(group, out);
            for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(std::tolower(out[i]));
        }
    } codec;
    codec.EncodeString("ABC");
    EXPECT_STREQ(codec.GetBase64Text(), "qujd");
    codec.DecodeString("VX-Nl-cm5h-bWU6");
    EXPECT_STREQ(reinterpret_cast<const char*>(codec.GetPlainData()), "Username:");
}

// The plain codec runs its steps inline; a derived codec goes through every virtual step. Both
// must give the same bytes, for clean text and for text with padding, junk and whitespace.
TEST(Base64Codec, InlineStepsAgreeWithTheVirtualOnes)
{
    struct Relay : CBase64Codec {
        bool IsSkippedChar(char c) override { return CBase64Codec::IsSkippedChar(c); }
    };
    std::string plain;
    for (int i = 0; i < 10000; ++i) plain += static_cast<char>((i * 131 + i / 7) % 256);
    std::string text;
    for (int i = 0; i < 6000; ++i) text += "QUJD=\r\n *\xd1\xbd/+az09"[(i * 17 + i / 5) % 17];
    for (const std::uint32_t length : {0u, 1u, 2u, 3u, 4u, 5u, 57u, 1000u, 9999u, 10000u}) {
        CBase64Codec ours;
        Relay relay;
        ours.EncodeBuffer(plain.data(), length);
        relay.EncodeBuffer(plain.data(), length);
        ASSERT_EQ(ours.GetBase64Length(), relay.GetBase64Length()) << length;
        EXPECT_EQ(std::string(ours.GetBase64Text(), ours.Base64Capacity()),
                  std::string(relay.GetBase64Text(), relay.Base64Capacity())) << length;

        const std::uint32_t textLength = std::min<std::uint32_t>(length, static_cast<std::uint32_t>(text.size()));
        for (const std::string& input : {text.substr(0, textLength), std::string(ours.GetBase64Text())}) {
            ours.DecodeBuffer(input.data(), static_cast<std::uint32_t>(input.size()));
            relay.DecodeBuffer(input.data(), static_cast<std::uint32_t>(input.size()));
            EXPECT_EQ(ours.GetPlainLength(), relay.GetPlainLength()) << length;
            EXPECT_EQ(ours.GetBase64Length(), relay.GetBase64Length()) << length;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(ours.GetPlainData()), ours.PlainCapacity()),
                      std::string(reinterpret_cast<const char*>(relay.GetPlainData()), relay.PlainCapacity()));
            EXPECT_EQ(std::string(ours.GetBase64Text(), ours.Base64Capacity()),
                      std::string(relay.GetBase64Text(), relay.Base64Capacity()));
        }
    }
}
