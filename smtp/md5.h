#pragma once
// The MD5 message digest of RFC 1321 over a context record the caller owns,
// and the keyed digest HMAC-MD5 of RFC 2104 built on it. Nothing here allocates.
#include <cstdint>

inline constexpr int kMd5DigestSize = 16;
inline constexpr int kMd5BlockSize = 64;

struct Md5Context {
    std::uint32_t state[4];               // running digest A, B, C, D
    std::uint32_t count[2];               // message bits so far, modulo 2^64, low word first
    unsigned char buffer[kMd5BlockSize];  // the first (count in bytes mod 64) bytes are pending input
};

void Md5Init(Md5Context& context);
void Md5Update(Md5Context& context, const unsigned char* input, std::uint32_t length);
// Pads the message, writes the 16-byte digest and wipes the whole context.
void Md5Final(unsigned char digest[kMd5DigestSize], Md5Context& context);
// Compresses one 64-byte block into the state.
void Md5Transform(std::uint32_t state[4], const unsigned char block[kMd5BlockSize]);

// HMAC-MD5 of text under key. A negative length counts as empty.
void HmacMd5(const unsigned char* text, std::int32_t textLength, const unsigned char* key,
             std::int32_t keyLength, unsigned char digest[kMd5DigestSize]);
