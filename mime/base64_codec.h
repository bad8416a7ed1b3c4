#pragma once
// Base64 (RFC 2045 alphabet) encoder and decoder with two growable, zero-filled buffers.
// The text is one unbroken run of characters: callers that need lines cut it themselves.
// Decoding never fails: characters outside the alphabet decode by their low six bits.
// Every operation is virtual so that a derived codec can replace any step, down to one group.
#include <cstdint>
#include <memory>

struct Base64Group {
    // Encoding: up to three plain bytes (zero where short). Decoding: the four table entries.
    unsigned char values[4] = {0, 0, 0, 0};
    // Encoding: how many plain bytes the group holds (1 to 3). Decoding: characters in the group.
    unsigned char count = 0;
};

class CBase64Codec {
public:
    CBase64Codec() = default;
    virtual ~CBase64Codec();
    CBase64Codec(const CBase64Codec&) = delete;
    CBase64Codec& operator=(const CBase64Codec&) = delete;

    // A null text changes nothing.
    virtual void EncodeString(const char* text);
    virtual void EncodeBuffer(const void* data, std::uint32_t length);
    // Skips bell to carriage return and space; a null text changes nothing.
    virtual void DecodeString(const char* text);
    virtual void DecodeBuffer(const char* text, std::uint32_t length);

    // Both buffers always end in zero bytes, so each reads as a zero-terminated text.
    // Valid until the next encoding or decoding on this codec; an empty text before the first.
    virtual const unsigned char* GetPlainData() const;
    virtual const char* GetBase64Text() const;
    virtual std::uint32_t GetPlainLength() const;
    virtual std::uint32_t GetBase64Length() const;

    // Room for more than size bytes, in steps of 4096, all zero; the length becomes 0.
    virtual void ReserveBase64(std::uint32_t size);
    virtual void ReservePlain(std::uint32_t size);
    // Copies the text into the base64 buffer without its skipped characters.
    virtual void LoadBase64(const char* text, std::uint32_t length);
    virtual void LoadPlain(const void* data, std::uint32_t length);

    virtual void EncodeGroup(const Base64Group& group, char* out);
    virtual void DecodeGroup(const Base64Group& group, unsigned char* out);
    virtual void SplitGroup(unsigned char sextets[4], const Base64Group& group);
    virtual void JoinGroup(unsigned char bytes[3], const Base64Group& group);
    virtual bool IsSkippedChar(char c);

    std::uint32_t PlainCapacity() const { return m_plainCapacity; }
    std::uint32_t Base64Capacity() const { return m_base64Capacity; }

    // Largest input EncodeBuffer takes: its text and every reservation must fit the 32-bit sizes.
    static constexpr std::uint32_t kMaxEncodeLength = 0x7FFFE000u;

private:
    // True when no step is replaced by a derived codec, so the loops may run the steps inline.
    bool IsPlainCodec() const;

    std::unique_ptr<unsigned char[]> m_plain;
    std::unique_ptr<char[]> m_base64;
    std::uint32_t m_plainCapacity = 0;
    std::uint32_t m_base64Capacity = 0;
    std::uint32_t m_plainLength = 0;
    std::uint32_t m_base64Length = 0;
};
