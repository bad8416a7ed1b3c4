#pragma once
// The program's resources: the files of res/, compiled into the program, found by file name.
// Text resources share one line format: words and "quoted texts" (with \" and \\), # comments.
#include "platform/ui/wnd.h"

#include <string>
#include <string_view>
#include <vector>

// The bytes of res/<name>; empty when there is no such file.
std::string_view FindResourceFile(std::string_view name);

// The tokens of each non-empty line of a text resource; quoted texts lose their quotes.
std::vector<std::vector<std::string>> TokenizeResourceText(std::string_view text);

// String id from the string tables (res/strings*.txt); empty when there is none.
std::string LoadStringResource(int id);

// Icon id in every size there is (res/icon-<id>-<size>.png); null when there is none.
// Needs the toolkit; the icon lives until the program ends.
HICON LoadIconResource(int id);

// Reads "<number>" strictly; false for anything else.
bool ParseResourceInt(const std::string& word, int& value);
