#include "smtp/md5.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string Hex(const unsigned char* data, std::size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

std::string Md5Hex(const Bytes& message) {
    Md5Context context;
    Md5Init(context);
    Md5Update(context, message.data(), static_cast<std::uint32_t>(message.size()));
    unsigned char digest[kMd5DigestSize];
    Md5Final(digest, context);
    return Hex(digest, sizeof digest);
}

// Feeds the message in pieces of the given sizes (cycled until the message is used up).
std::string Md5HexInPieces(const Bytes& message, const std::vector<std::uint32_t>& sizes) {
    Md5Context context;
    Md5Init(context);
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < message.size(); ++i) {
        std::uint32_t size = sizes[i % sizes.size()];
        if (size > message.size() - offset) size = static_cast<std::uint32_t>(message.size() - offset);
        Md5Update(context, message.data() + offset, size);
        offset += size;
    }
    Md5Update(context, message.data() + offset, 0);
    unsigned char digest[kMd5DigestSize];
    Md5Final(digest, context);
    return Hex(digest, sizeof digest);
}

std::string HmacHex(const Bytes& key, const Bytes& text) {
    unsigned char digest[kMd5DigestSize];
    HmacMd5(text.data(), static_cast<std::int32_t>(text.size()), key.data(),
            static_cast<std::int32_t>(key.size()), digest);
    return Hex(digest, sizeof digest);
}

struct DigestCase {
    std::string input;
    std::string digest;
};

TEST(Md5, Rfc1321Suite) {
    const DigestCase cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) EXPECT_EQ(Md5Hex(B(c.input)), c.digest) << '"' << c.input << '"';
}

// Around 56 bytes the length no longer fits the last block and the padding takes a second one.
TEST(Md5, PaddingAtBlockEdges) {
    const std::pair<std::size_t, std::string> cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"},  {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"},  {127, "020406e1d05cdc2aa287641f7ae2cc39"},
        {128, "e510683b3f5ffe4093d021808bc6ff70"}, {1000000, "7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (const auto& [length, digest] : cases) {
        EXPECT_EQ(Md5Hex(Bytes(length, 'a')), digest) << length << " bytes";
    }
}

TEST(Md5, AnySplitGivesTheSameDigest) {
    Bytes message(1000);
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<unsigned char>(i * 31 + 7);
    const std::string whole = Md5Hex(message);

    const std::vector<std::vector<std::uint32_t>> splits = {
        {1},        {0, 1},       {63},        {64},      {65},         {0, 0, 63, 2},
        {55, 9},    {128, 0, 3},  {100, 200},  {5, 120},  {64, 64, 0},  {999},
    };
    for (const auto& sizes : splits) {
        std::string label;
        for (auto s : sizes) label += std::to_string(s) + " ";
        EXPECT_EQ(Md5HexInPieces(message, sizes), whole) << "pieces " << label;
    }

    std::mt19937 random(1321);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::uint32_t> sizes;
        for (int i = 0; i < 8; ++i) sizes.push_back(random() % 150);
        sizes.push_back(1);  // so every cycle makes progress
        EXPECT_EQ(Md5HexInPieces(message, sizes), whole) << "random split, round " << round;
    }
}

TEST(Md5, FinalWipesTheContext) {
    Md5Context context;
    Md5Init(context);
    const Bytes message = B("a message that leaves bytes in the buffer");
    Md5Update(context, message.data(), static_cast<std::uint32_t>(message.size()));
    unsigned char digest[kMd5DigestSize];
    Md5Final(digest, context);

    const auto* raw = reinterpret_cast<const unsigned char*>(&context);
    EXPECT_EQ(Bytes(raw, raw + sizeof context), Bytes(sizeof context, 0));
}

TEST(Md5, BitCountCarriesIntoTheHighWord) {
    Md5Context context;
    Md5Init(context);
    context.count[0] = 0xFFFFFFF8u;  // one byte short of 2^32 bits
    const unsigned char two[2] = {'x', 'y'};
    Md5Update(context, two, 2);
    EXPECT_EQ(context.count[0], 8u);
    EXPECT_EQ(context.count[1], 1u);

    Md5Init(context);
    Md5Update(context, nullptr, 0);
    EXPECT_EQ(context.count[0], 0u);
    EXPECT_EQ(context.count[1], 0u);
}

TEST(HmacMd5, Rfc2202Cases) {
    struct Case {
        Bytes key;
        Bytes data;
        std::string digest;
    };
    Bytes key4;
    for (unsigned char b = 1; b <= 25; ++b) key4.push_back(b);
    const Case cases[] = {
        {Bytes(16, 0x0b), B("Hi There"), "9294727a3638bb1c13f48ef8158bfc9d"},
        {B("Jefe"), B("what do ya want for nothing?"), "750c783e6ab0b503eaa86e310a5db738"},
        {Bytes(16, 0xaa), Bytes(50, 0xdd), "56be34521d144c88dbb8c733f0e8b3f6"},
        {key4, Bytes(50, 0xcd), "697eaf0aca3a3aea3a75164746ffaa79"},
        {Bytes(16, 0x0c), B("Test With Truncation"), "56461ef2342edc00f9bab995690efd4c"},
        {Bytes(80, 0xaa), B("Test Using Larger Than Block-Size Key - Hash Key First"),
         "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
        {Bytes(80, 0xaa), B("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
         "6f630fad67cda0ee1fb1f562db3aa53e"},
    };
    int number = 1;
    for (const auto& c : cases) EXPECT_EQ(HmacHex(c.key, c.data), c.digest) << "case " << number++;
}

// A key of exactly one block is used as it is; one byte more and it is replaced by its digest.
TEST(HmacMd5, KeyOfOneBlockIsKeptLongerIsHashed) {
    Bytes key64, key65;
    for (int i = 0; i < 64; ++i) key64.push_back(static_cast<unsigned char>(i));
    for (int i = 0; i < 65; ++i) key65.push_back(static_cast<unsigned char>(i));
    const Bytes text = B("Sample message");

    EXPECT_EQ(HmacHex(key64, text), "f5dd494f14a14803b118c944d18dc6d5");
    EXPECT_EQ(HmacHex(key65, text), "4b6cffc98bedfbab1fd5b155892a9ef2");

    Md5Context context;
    Md5Init(context);
    Md5Update(context, key65.data(), 65);
    unsigned char hashedKey[kMd5DigestSize];
    Md5Final(hashedKey, context);
    EXPECT_EQ(HmacHex(key65, text), HmacHex(Bytes(hashedKey, hashedKey + 16), text));
    EXPECT_NE(HmacHex(key64, text), HmacHex(Bytes(16, 0), text));
}

TEST(HmacMd5, EmptyAndNegativeLengths) {
    unsigned char empty[kMd5DigestSize], negative[kMd5DigestSize];
    HmacMd5(nullptr, 0, nullptr, 0, empty);
    const unsigned char junk[4] = {1, 2, 3, 4};
    HmacMd5(junk, -5, junk, -1, negative);
    EXPECT_EQ(Hex(empty, 16), "74e6f7298a9c2d168935f58c001bad88");  // HMAC-MD5("", "")
    EXPECT_EQ(Hex(negative, 16), Hex(empty, 16));
}

// Random keys and texts of many lengths, checked against Python's hashlib and hmac.
TEST(Md5, RandomInputsMatchPython) {
    if (access("/usr/bin/python3", X_OK) != 0) GTEST_SKIP() << "/usr/bin/python3 is not installed";

    std::mt19937 random(2104);
    std::vector<std::pair<Bytes, Bytes>> inputs;  // key, text
    for (int i = 0; i < 60; ++i) {
        Bytes key(random() % 150), text(i < 10 ? i * 13 : random() % 3000);
        for (auto& b : key) b = static_cast<unsigned char>(random());
        for (auto& b : text) b = static_cast<unsigned char>(random());
        inputs.emplace_back(std::move(key), std::move(text));
    }

    char path[] = "/tmp/quillo-md5-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream file(path);
        for (const auto& [key, text] : inputs) {
            file << (key.empty() ? "-" : Hex(key.data(), key.size())) << ' '
                 << (text.empty() ? "-" : Hex(text.data(), text.size())) << '\n';
        }
    }
    const std::string command =
        std::string("/usr/bin/python3 -c '\n"
                    "import sys, hashlib, hmac\n"
                    "for line in open(sys.argv[1]):\n"
                    "    k, t = (bytes.fromhex(w.strip(\"-\")) for w in line.split())\n"
                    "    print(hashlib.md5(t).hexdigest(), hmac.new(k, t, hashlib.md5).hexdigest())\n"
                    "' ") + path;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[4096];
    while (std::size_t n = fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, n);
    const int status = pclose(pipe);
    unlink(path);
    ASSERT_EQ(status, 0) << output;

    std::string expected;
    for (const auto& [key, text] : inputs) expected += Md5Hex(text) + " " + HmacHex(key, text) + "\n";
    EXPECT_EQ(output, expected);
}

}  // namespace
