#include "mime/header_word.h"

#include <algorithm>

#include "mime/quoted_printable.h"

std::string QEncodeIfNeeded(const std::string& value, const std::string& charset)
{
    const bool eightBit = std::any_of(value.begin(), value.end(),
                                      [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
    if (!eightBit) return value;
    std::string word = "=?" + charset + "?q?";
    word.reserve(word.size() + 3 * value.size() + 2);
    for (const char c : value) {
        const auto b = static_cast<unsigned char>(c);
        if (b == ' ') {
            word += '_';
        } else if (b > 0x7F || b == '=' || b == '?' || b == '_') {
            word += '=';
            word += NibbleToHex(b >> 4);
            word += NibbleToHex(b & 0x0F);
        } else {
            word += c;
        }
    }
    word += "?=";
    return word;
}
