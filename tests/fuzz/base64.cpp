// Base64 codec on any bytes: decoding takes whatever a server sends as a challenge, encoding takes
// whole attachments. Checks the codec against a reference decoder written from the alphabet's
// rules, the buffer invariants callers rely on (capacity above the request, zero-filled, so both
// buffers read as zero-terminated texts), and that encode then decode gives the input back.
#include "mime/base64_codec.h"
#include "support/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool Skipped(unsigned char c) { return (c >= 7 && c <= 13) || c == ' '; }

// The value a character decodes to, its top bit ignored: 0-63, 255 for "=", 254 for the rest.
unsigned char Value(unsigned char c)
{
    c &= 0x7F;
    if (c == '=')
        return 255;
    const std::size_t at = kAlphabet.find(static_cast<char>(c));
    return at == std::string_view::npos ? 254 : static_cast<unsigned char>(at);
}

// The bytes the codec writes for text, and where its plain length ends. A group writes three
// bytes at the plain length, which then grows by its data bytes: 3 less one for each "=" in the
// last two places of a whole group; k - 1 (less the same) for a short last group of k.
struct Decoded {
    std::string written;       // every byte written, zero where a group wrote nothing
    std::size_t length = 0;    // the plain length
};

Decoded ReferenceDecode(std::string_view text)
{
    std::string chars;
    for (char c : text)
        if (!Skipped(static_cast<unsigned char>(c)))
            chars += c;
    Decoded out;
    for (std::size_t at = 0; at < chars.size(); at += 4) {
        const std::size_t k = std::min<std::size_t>(4, chars.size() - at);
        unsigned v[4] = {0, 0, 0, 0};
        std::size_t data = k == 4 ? 3 : k - 1;
        for (std::size_t i = 0; i < k; ++i) {
            v[i] = Value(static_cast<unsigned char>(chars[at + i]));
            // Padding is nothing in the last two places, and in a short group anywhere; in the
            // first two places of a whole group it keeps its marker's low bits.
            if (v[i] == 255 && (i >= 2 || k < 4)) {
                v[i] = 0;
                if (i >= 2)
                    --data;
            }
        }
        const unsigned char bytes[3] = {
            static_cast<unsigned char>((v[0] << 2) | ((v[1] >> 4) & 3)),
            static_cast<unsigned char>((v[1] << 4) | ((v[2] >> 2) & 15)),
            static_cast<unsigned char>((v[2] << 6) | (v[3] & 63)),
        };
        out.written.resize(std::max(out.written.size(), out.length + 3));
        std::memcpy(&out.written[out.length], bytes, 3);
        out.length += data;
    }
    return out;
}

bool AllZero(const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

// A reservation for size bytes gives the next multiple of 4096 strictly above it.
bool CapacityFits(std::uint32_t capacity, std::size_t size)
{
    return capacity > size && capacity % 4096 == 0 && capacity - size <= 4096;
}

void CheckDecode(CBase64Codec& codec, std::string_view text)
{
    codec.DecodeBuffer(text.data(), static_cast<std::uint32_t>(text.size()));

    std::string kept;
    for (char c : text)
        if (!Skipped(static_cast<unsigned char>(c)))
            kept += c;
    FUZZ_CHECK(CapacityFits(codec.Base64Capacity(), text.size()));
    FUZZ_CHECK(codec.GetBase64Length() == kept.size());
    FUZZ_CHECK(std::memcmp(codec.GetBase64Text(), kept.data(), kept.size()) == 0);
    FUZZ_CHECK(AllZero(codec.GetBase64Text() + kept.size(), codec.Base64Capacity() - kept.size()));

    const Decoded expected = ReferenceDecode(text);
    FUZZ_CHECK(CapacityFits(codec.PlainCapacity(), text.size()));
    FUZZ_CHECK(codec.GetPlainLength() == expected.length);
    FUZZ_CHECK(std::memcmp(codec.GetPlainData(), expected.written.data(), expected.written.size()) == 0);
    FUZZ_CHECK(AllZero(codec.GetPlainData() + expected.written.size(),
                       codec.PlainCapacity() - expected.written.size()));
}

void CheckRoundTrip(CBase64Codec& codec, std::string_view bytes)
{
    codec.EncodeBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    const std::size_t textLength = (bytes.size() + 2) / 3 * 4;
    FUZZ_CHECK(CapacityFits(codec.PlainCapacity(), bytes.size()));
    FUZZ_CHECK(CapacityFits(codec.Base64Capacity(), 2 * bytes.size()));
    FUZZ_CHECK(codec.GetPlainLength() == bytes.size());
    FUZZ_CHECK(std::memcmp(codec.GetPlainData(), bytes.data(), bytes.size()) == 0);
    FUZZ_CHECK(codec.GetBase64Length() == textLength);
    const std::string text(codec.GetBase64Text(), textLength);
    FUZZ_CHECK(AllZero(codec.GetBase64Text() + textLength, codec.Base64Capacity() - textLength));

    // Alphabet characters, then at most two "=" that stand for the missing bytes.
    const std::size_t padding = (3 - bytes.size() % 3) % 3;
    FUZZ_CHECK(text.find_first_not_of(kAlphabet) == (padding ? textLength - padding : std::string::npos));
    FUZZ_CHECK(text.find_last_not_of('=') == textLength - padding - 1 || textLength == 0);

    // A second codec decodes the text back to the bytes.
    CBase64Codec back;
    back.DecodeBuffer(text.data(), static_cast<std::uint32_t>(text.size()));
    FUZZ_CHECK(back.GetPlainLength() == bytes.size());
    FUZZ_CHECK(std::memcmp(back.GetPlainData(), bytes.data(), bytes.size()) == 0);
    FUZZ_CHECK(back.GetPlainData()[bytes.size()] == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), data ? size : 0);
    // One codec for every step: its buffers are reused, so each step also checks that nothing
    // of the previous, possibly longer, contents shows through.
    CBase64Codec codec;
    CheckDecode(codec, input);
    CheckRoundTrip(codec, input);
    CheckDecode(codec, input.substr(0, input.size() / 2));
    CheckRoundTrip(codec, input.substr(input.size() / 3));
    return 0;
}
