#include "platform/text_compare.h"

#include <cstring>

int lstrcmpA(const char* first, const char* second)
{
    if (first == nullptr || second == nullptr)
        return (first != nullptr) - (second != nullptr);
    const int order = std::strcmp(first, second);  // compares as unsigned char
    return (order > 0) - (order < 0);
}
