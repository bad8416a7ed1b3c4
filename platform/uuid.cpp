#include "platform/uuid.h"

#include <cerrno>
#include <cstddef>
#include <sys/random.h>

namespace {

bool FillRandom(unsigned char* out, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = getrandom(out + done, size - done, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

std::string CreateUuidString()
{
    unsigned char bytes[16];
    if (!FillRandom(bytes, sizeof bytes)) return {};
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
    return text;
}
