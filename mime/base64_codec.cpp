#include "mime/base64_codec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <typeinfo>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kInvalid = 254;
constexpr unsigned char kPadding = 255;
constexpr std::uint32_t kStep = 4096;
constexpr std::uint32_t kMaxDecodeLength = 0xFFFFE000u;

// One table for the whole process, built on first use (the function-local static makes that
// safe from any thread). The top bit of alphabet characters and of "=" is ignored.
const std::array<unsigned char, 256>& DecodeTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t;
        t.fill(kInvalid);
        for (unsigned i = 0; i < 64; ++i) {
            const auto c = static_cast<unsigned char>(kAlphabet[i]);
            t[c] = static_cast<unsigned char>(i);
            t[c + 128] = static_cast<unsigned char>(i);
        }
        t['='] = kPadding;
        t['=' + 128] = kPadding;
        return t;
    }();
    return table;
}

// True when one of the eight bytes is below 14 or a space (a few of those are not skipped; the
// caller then looks at each byte).
bool MayHoldSkippedChar(std::uint64_t word)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const std::uint64_t belowFourteen = (word - 14 * ones) & ~word & highs;
    const std::uint64_t spaces = word ^ (0x20 * ones);
    return (belowFourteen | ((spaces - ones) & ~spaces & highs)) != 0;
}

// The length of a zero-terminated text, at most cap.
std::uint32_t CappedLength(const char* text, std::uint32_t cap)
{
    return static_cast<std::uint32_t>(std::min<std::size_t>(std::strlen(text), cap));
}

// Grows a buffer to the next multiple of the step strictly above size, never shrinks it,
// and clears all of it: no trace of an earlier text survives.
template <typename T>
void Reserve(std::unique_ptr<T[]>& buffer, std::uint32_t& capacity, std::uint32_t& length,
             std::uint32_t size)
{
    if (!buffer || capacity < size) {
        buffer.reset();
        capacity = (size / kStep + 1) * kStep;
        buffer.reset(new T[capacity]);
    }
    std::memset(buffer.get(), 0, capacity);
    length = 0;
}

}  // namespace

CBase64Codec::~CBase64Codec() = default;

bool CBase64Codec::IsPlainCodec() const
{
    return typeid(*this) == typeid(CBase64Codec);
}

void CBase64Codec::EncodeString(const char* text)
{
    if (text) EncodeBuffer(text, CappedLength(text, kMaxEncodeLength));
}

void CBase64Codec::EncodeBuffer(const void* data, std::uint32_t length)
{
    length = std::min(length, kMaxEncodeLength);
    LoadPlain(data, length);
    ReserveBase64(2 * length);
    const unsigned char* in = m_plain.get();
    Base64Group group;
    std::uint32_t offset = 0;
    if (IsPlainCodec()) {
        // Nothing is replaced: the group steps run inline, as EncodeGroup and SplitGroup would.
        char* out = m_base64.get();
        for (; offset + 3 <= length; offset += 3, out += 4) {
            const unsigned b0 = in[offset], b1 = in[offset + 1], b2 = in[offset + 2];
            out[0] = kAlphabet[b0 >> 2];
            out[1] = kAlphabet[((b0 << 4) & 0x3F) | (b1 >> 4)];
            out[2] = kAlphabet[((b1 << 2) & 0x3F) | (b2 >> 6)];
            out[3] = kAlphabet[b2 & 0x3F];
        }
        m_base64Length = offset / 3 * 4;
    }
    for (; offset + 3 <= length; offset += 3) {
        group.values[0] = in[offset];
        group.values[1] = in[offset + 1];
        group.values[2] = in[offset + 2];
        group.values[3] = 0;
        group.count = 3;
        EncodeGroup(group, m_base64.get() + m_base64Length);
        m_base64Length += 4;
    }
    if (offset < length) {
        const std::uint32_t rest = length - offset;
        group.values[0] = in[offset];
        group.values[1] = rest > 1 ? in[offset + 1] : 0;
        group.values[2] = 0;
        group.values[3] = 0;
        group.count = static_cast<unsigned char>(rest);
        EncodeGroup(group, m_base64.get() + m_base64Length);
        m_base64Length += 4;
    }
}

void CBase64Codec::DecodeString(const char* text)
{
    if (text) DecodeBuffer(text, CappedLength(text, kMaxDecodeLength));
}

void CBase64Codec::DecodeBuffer(const char* text, std::uint32_t length)
{
    length = std::min(length, kMaxDecodeLength);
    const auto& table = DecodeTable();
    LoadBase64(text, length);
    ReservePlain(length);
    const auto* chars = reinterpret_cast<const unsigned char*>(m_base64.get());
    const std::uint32_t n = m_base64Length;
    Base64Group group;
    std::uint32_t offset = 0;
    if (IsPlainCodec()) {
        // Nothing is replaced: groups of four alphabet characters are joined inline, as
        // DecodeGroup and JoinGroup would; any other group takes the general path below.
        unsigned char* out = m_plain.get() + m_plainLength;
        const unsigned char* const start = out;
        for (; offset + 4 <= n; offset += 4, out += 3) {
            const unsigned a = table[chars[offset]], b = table[chars[offset + 1]],
                           c = table[chars[offset + 2]], d = table[chars[offset + 3]];
            if ((a | b | c | d) >= 64) break;
            const unsigned bits = (a << 18) | (b << 12) | (c << 6) | d;
            out[0] = static_cast<unsigned char>(bits >> 16);
            out[1] = static_cast<unsigned char>(bits >> 8);
            out[2] = static_cast<unsigned char>(bits);
        }
        m_plainLength += static_cast<std::uint32_t>(out - start);
    }
    for (; offset + 4 <= n; offset += 4) {
        group.values[0] = table[chars[offset]];
        group.values[1] = table[chars[offset + 1]];
        group.values[2] = table[chars[offset + 2]];
        group.values[3] = table[chars[offset + 3]];
        // Padding counts as padding only in the last two places; in the first two it stays
        // the marker and decodes by its low bits.
        std::uint32_t bytes = 3;
        for (int i = 2; i < 4; ++i) {
            if (group.values[i] == kPadding) {
                group.values[i] = 0;
                --bytes;
            }
        }
        group.count = 4;
        DecodeGroup(group, m_plain.get() + m_plainLength);
        m_plainLength += bytes;
    }
    if (offset < n) {
        const std::uint32_t k = std::min<std::uint32_t>(n - offset, 3);  // 1 to 3 characters left
        group = Base64Group{};
        std::uint32_t bytes = k - 1;
        for (std::uint32_t i = 0; i < k; ++i) {
            group.values[i] = table[chars[offset + i]];
            if (group.values[i] == kPadding) {
                group.values[i] = 0;
                if (i >= 2) --bytes;
            }
        }
        group.count = static_cast<unsigned char>(k);
        DecodeGroup(group, m_plain.get() + m_plainLength);
        m_plainLength += bytes;
    }
}

const unsigned char* CBase64Codec::GetPlainData() const
{
    static const unsigned char empty[1] = {0};
    return m_plain ? m_plain.get() : empty;
}

const char* CBase64Codec::GetBase64Text() const
{
    return m_base64 ? m_base64.get() : "";
}

std::uint32_t CBase64Codec::GetPlainLength() const { return m_plainLength; }

std::uint32_t CBase64Codec::GetBase64Length() const { return m_base64Length; }

void CBase64Codec::ReserveBase64(std::uint32_t size)
{
    Reserve(m_base64, m_base64Capacity, m_base64Length, std::min(size, kMaxDecodeLength));
}

void CBase64Codec::ReservePlain(std::uint32_t size)
{
    Reserve(m_plain, m_plainCapacity, m_plainLength, std::min(size, kMaxDecodeLength));
}

void CBase64Codec::LoadBase64(const char* text, std::uint32_t length)
{
    ReserveBase64(length);
    char* out = m_base64.get();
    std::uint32_t n = 0;
    if (IsPlainCodec()) {
        // Eight characters at a time while none of them can be skipped, one at a time otherwise.
        std::uint32_t i = 0;
        while (i < length) {
            if (length - i >= 8) {
                std::uint64_t word;
                std::memcpy(&word, text + i, 8);
                if (!MayHoldSkippedChar(word)) {
                    std::memcpy(out + n, &word, 8);
                    n += 8;
                    i += 8;
                    continue;
                }
            }
            const auto u = static_cast<unsigned char>(text[i]);
            out[n] = text[i++];
            n += !((u >= 7 && u <= 13) || u == 32);  // as IsSkippedChar decides
        }
        out[n] = '\0';  // the one character written past the text, if it was skipped
    } else {
        for (std::uint32_t i = 0; i < length; ++i) {
            if (!IsSkippedChar(text[i])) out[n++] = text[i];
        }
    }
    m_base64Length = n;
}

void CBase64Codec::LoadPlain(const void* data, std::uint32_t length)
{
    ReservePlain(length);
    if (length) std::memcpy(m_plain.get(), data, length);
    m_plainLength = length;
}

void CBase64Codec::EncodeGroup(const Base64Group& group, char* out)
{
    unsigned char sextets[4];
    SplitGroup(sextets, group);
    out[0] = kAlphabet[sextets[0]];
    out[1] = kAlphabet[sextets[1]];
    out[2] = kAlphabet[sextets[2]];
    out[3] = kAlphabet[sextets[3]];
    if (group.count == 1) out[2] = '=';
    if (group.count <= 2) out[3] = '=';
}

void CBase64Codec::DecodeGroup(const Base64Group& group, unsigned char* out)
{
    unsigned char bytes[3];
    JoinGroup(bytes, group);
    out[0] = bytes[0];
    out[1] = bytes[1];
    out[2] = bytes[2];
}

void CBase64Codec::SplitGroup(unsigned char sextets[4], const Base64Group& group)
{
    const unsigned b0 = group.values[0], b1 = group.values[1], b2 = group.values[2];
    sextets[0] = static_cast<unsigned char>(b0 >> 2);
    sextets[1] = static_cast<unsigned char>(((b0 << 4) & 0x3F) | (b1 >> 4));
    sextets[2] = static_cast<unsigned char>(((b1 << 2) & 0x3F) | (b2 >> 6));
    sextets[3] = static_cast<unsigned char>(b2 & 0x3F);
}

void CBase64Codec::JoinGroup(unsigned char bytes[3], const Base64Group& group)
{
    const unsigned a = group.values[0], b = group.values[1], c = group.values[2], d = group.values[3];
    bytes[0] = static_cast<unsigned char>((a << 2) | ((b >> 4) & 3));
    bytes[1] = static_cast<unsigned char>((b << 4) | ((c >> 2) & 15));
    bytes[2] = static_cast<unsigned char>((c << 6) | (d & 63));
}

bool CBase64Codec::IsSkippedChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 7 && u <= 13) || u == 32;
}
