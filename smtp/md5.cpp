#include "smtp/md5.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace {

// Little-endian bytes from words.
void EncodeWords(unsigned char* output, const std::uint32_t* input, std::size_t byteLength) {
    for (std::size_t i = 0, j = 0; j < byteLength; ++i, j += 4) {
        output[j] = static_cast<unsigned char>(input[i]);
        output[j + 1] = static_cast<unsigned char>(input[i] >> 8);
        output[j + 2] = static_cast<unsigned char>(input[i] >> 16);
        output[j + 3] = static_cast<unsigned char>(input[i] >> 24);
    }
}

// Words from little-endian bytes.
void DecodeWords(std::uint32_t* output, const unsigned char* input, std::size_t byteLength) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(output, input, byteLength);
    } else {
        for (std::size_t i = 0, j = 0; j < byteLength; ++i, j += 4) {
            output[i] = std::uint32_t{input[j]} | (std::uint32_t{input[j + 1]} << 8) |
                        (std::uint32_t{input[j + 2]} << 16) | (std::uint32_t{input[j + 3]} << 24);
        }
    }
}

void CopyBytes(void* output, const void* input, std::size_t length) {
    if (length != 0) std::memcpy(output, input, length);
}

// The barrier keeps the compiler from dropping a wipe of memory that is not read again.
void FillBytes(void* output, unsigned char value, std::size_t length) {
    std::memset(output, value, length);
    asm volatile("" : : "r"(output) : "memory");
}

// The round functions F, H and I of RFC 1321 (F in a form with one operation fewer).
constexpr std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return ((y ^ z) & x) ^ z; }
constexpr std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
constexpr std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

template <std::uint32_t (*Round)(std::uint32_t, std::uint32_t, std::uint32_t)>
inline void Step(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t x,
                 int s, std::uint32_t ac) {
    a += x + ac;  // needs nothing from this step's b, c, d
    a += Round(b, c, d);
    a = std::rotl(a, s) + b;
}

// G(b, c, d) = (b & d) | (c & ~d). Its two terms never share a bit, so they are added one at a
// time, and the term without b can start before the previous step has produced b.
inline void GG(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t x,
               int s, std::uint32_t ac) {
    a += x + ac;
    a += c & ~d;
    a += b & d;
    a = std::rotl(a, s) + b;
}

constexpr auto FF = Step<F>;
constexpr auto HH = Step<H>;
constexpr auto II = Step<I>;

constexpr unsigned char kPadding[kMd5BlockSize] = {0x80};

}  // namespace

void Md5Init(Md5Context& context) {
    context.count[0] = context.count[1] = 0;
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
}

void Md5Update(Md5Context& context, const unsigned char* input, std::uint32_t length) {
    std::uint32_t index = (context.count[0] >> 3) & 0x3F;

    const std::uint32_t bits = length << 3;
    context.count[0] += bits;
    if (context.count[0] < bits) ++context.count[1];
    context.count[1] += length >> 29;

    const std::uint32_t part = kMd5BlockSize - index;
    std::uint32_t offset = 0;
    if (length >= part) {
        CopyBytes(&context.buffer[index], input, part);
        Md5Transform(context.state, context.buffer);
        // Whole blocks are compressed straight from the caller's input.
        for (offset = part; offset + 63 < length; offset += kMd5BlockSize) {
            Md5Transform(context.state, &input[offset]);
        }
        index = 0;
    }
    CopyBytes(&context.buffer[index], &input[offset], length - offset);
}

void Md5Final(unsigned char digest[kMd5DigestSize], Md5Context& context) {
    unsigned char bits[8];
    EncodeWords(bits, context.count, 8);

    const std::uint32_t index = (context.count[0] >> 3) & 0x3F;
    const std::uint32_t padLength = index < 56 ? 56 - index : 120 - index;
    Md5Update(context, kPadding, padLength);
    Md5Update(context, bits, 8);

    EncodeWords(digest, context.state, kMd5DigestSize);
    FillBytes(&context, 0, sizeof context);
}

void Md5Transform(std::uint32_t state[4], const unsigned char block[kMd5BlockSize]) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t x[16];
    DecodeWords(x, block, kMd5BlockSize);

    // Round 1
    FF(a, b, c, d, x[0], 7, 0xd76aa478);
    FF(d, a, b, c, x[1], 12, 0xe8c7b756);
    FF(c, d, a, b, x[2], 17, 0x242070db);
    FF(b, c, d, a, x[3], 22, 0xc1bdceee);
    FF(a, b, c, d, x[4], 7, 0xf57c0faf);
    FF(d, a, b, c, x[5], 12, 0x4787c62a);
    FF(c, d, a, b, x[6], 17, 0xa8304613);
    FF(b, c, d, a, x[7], 22, 0xfd469501);
    FF(a, b, c, d, x[8], 7, 0x698098d8);
    FF(d, a, b, c, x[9], 12, 0x8b44f7af);
    FF(c, d, a, b, x[10], 17, 0xffff5bb1);
    FF(b, c, d, a, x[11], 22, 0x895cd7be);
    FF(a, b, c, d, x[12], 7, 0x6b901122);
    FF(d, a, b, c, x[13], 12, 0xfd987193);
    FF(c, d, a, b, x[14], 17, 0xa679438e);
    FF(b, c, d, a, x[15], 22, 0x49b40821);

    // Round 2
    GG(a, b, c, d, x[1], 5, 0xf61e2562);
    GG(d, a, b, c, x[6], 9, 0xc040b340);
    GG(c, d, a, b, x[11], 14, 0x265e5a51);
    GG(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    GG(a, b, c, d, x[5], 5, 0xd62f105d);
    GG(d, a, b, c, x[10], 9, 0x02441453);
    GG(c, d, a, b, x[15], 14, 0xd8a1e681);
    GG(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    GG(a, b, c, d, x[9], 5, 0x21e1cde6);
    GG(d, a, b, c, x[14], 9, 0xc33707d6);
    GG(c, d, a, b, x[3], 14, 0xf4d50d87);
    GG(b, c, d, a, x[8], 20, 0x455a14ed);
    GG(a, b, c, d, x[13], 5, 0xa9e3e905);
    GG(d, a, b, c, x[2], 9, 0xfcefa3f8);
    GG(c, d, a, b, x[7], 14, 0x676f02d9);
    GG(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    // Round 3
    HH(a, b, c, d, x[5], 4, 0xfffa3942);
    HH(d, a, b, c, x[8], 11, 0x8771f681);
    HH(c, d, a, b, x[11], 16, 0x6d9d6122);
    HH(b, c, d, a, x[14], 23, 0xfde5380c);
    HH(a, b, c, d, x[1], 4, 0xa4beea44);
    HH(d, a, b, c, x[4], 11, 0x4bdecfa9);
    HH(c, d, a, b, x[7], 16, 0xf6bb4b60);
    HH(b, c, d, a, x[10], 23, 0xbebfbc70);
    HH(a, b, c, d, x[13], 4, 0x289b7ec6);
    HH(d, a, b, c, x[0], 11, 0xeaa127fa);
    HH(c, d, a, b, x[3], 16, 0xd4ef3085);
    HH(b, c, d, a, x[6], 23, 0x04881d05);
    HH(a, b, c, d, x[9], 4, 0xd9d4d039);
    HH(d, a, b, c, x[12], 11, 0xe6db99e5);
    HH(c, d, a, b, x[15], 16, 0x1fa27cf8);
    HH(b, c, d, a, x[2], 23, 0xc4ac5665);

    // Round 4
    II(a, b, c, d, x[0], 6, 0xf4292244);
    II(d, a, b, c, x[7], 10, 0x432aff97);
    II(c, d, a, b, x[14], 15, 0xab9423a7);
    II(b, c, d, a, x[5], 21, 0xfc93a039);
    II(a, b, c, d, x[12], 6, 0x655b59c3);
    II(d, a, b, c, x[3], 10, 0x8f0ccc92);
    II(c, d, a, b, x[10], 15, 0xffeff47d);
    II(b, c, d, a, x[1], 21, 0x85845dd1);
    II(a, b, c, d, x[8], 6, 0x6fa87e4f);
    II(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    II(c, d, a, b, x[6], 15, 0xa3014314);
    II(b, c, d, a, x[13], 21, 0x4e0811a1);
    II(a, b, c, d, x[4], 6, 0xf7537e82);
    II(d, a, b, c, x[11], 10, 0xbd3af235);
    II(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    II(b, c, d, a, x[9], 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;

    // The working copy of the block is not left on the stack.
    FillBytes(x, 0, sizeof x);
}

void HmacMd5(const unsigned char* text, std::int32_t textLength, const unsigned char* key,
             std::int32_t keyLength, unsigned char digest[kMd5DigestSize]) {
    if (textLength < 0) textLength = 0;
    if (keyLength < 0) keyLength = 0;

    Md5Context context;
    unsigned char keyDigest[kMd5DigestSize];
    // A key longer than a block is replaced by its digest; one of exactly 64 bytes is kept.
    if (keyLength > kMd5BlockSize) {
        Md5Init(context);
        Md5Update(context, key, static_cast<std::uint32_t>(keyLength));
        Md5Final(keyDigest, context);
        key = keyDigest;
        keyLength = kMd5DigestSize;
    }

    unsigned char innerPad[kMd5BlockSize] = {};
    unsigned char outerPad[kMd5BlockSize] = {};
    CopyBytes(innerPad, key, static_cast<std::size_t>(keyLength));
    CopyBytes(outerPad, key, static_cast<std::size_t>(keyLength));
    for (int i = 0; i < kMd5BlockSize; ++i) {
        innerPad[i] ^= 0x36;
        outerPad[i] ^= 0x5c;
    }

    Md5Init(context);
    Md5Update(context, innerPad, kMd5BlockSize);
    Md5Update(context, text, static_cast<std::uint32_t>(textLength));
    Md5Final(digest, context);

    Md5Init(context);
    Md5Update(context, outerPad, kMd5BlockSize);
    Md5Update(context, digest, kMd5DigestSize);
    Md5Final(digest, context);

    // Nothing derived from the key stays on the stack.
    FillBytes(innerPad, 0, sizeof innerPad);
    FillBytes(outerPad, 0, sizeof outerPad);
    FillBytes(keyDigest, 0, sizeof keyDigest);
}
