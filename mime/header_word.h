#pragma once
// RFC 2047 "Q" encoded words for header values that hold 8-bit bytes.
#include <string>

// The value unchanged when no byte is above 0x7F; otherwise the whole value as one encoded word
// "=?charset?q?...?=" (space as "_", "=", "?", "_" and 8-bit bytes as "=XX").
std::string QEncodeIfNeeded(const std::string& value, const std::string& charset);
