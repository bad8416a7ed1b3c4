#pragma once
// Header values on one line: a value may never add a header line or end the header early.
#include <string>

// Every run of CR and LF inside the value becomes one space.
std::string OneLineValue(const std::string& value);
