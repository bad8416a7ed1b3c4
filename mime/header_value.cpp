#include "mime/header_value.h"

std::string OneLineValue(const std::string& value)
{
    if (value.find_first_of("\r\n") == std::string::npos) return value;
    std::string line;
    line.reserve(value.size());
    bool inBreak = false;
    for (const char c : value) {
        if (c == '\r' || c == '\n') {
            if (!inBreak) line += ' ';
            inBreak = true;
        } else {
            line += c;
            inBreak = false;
        }
    }
    return line;
}
