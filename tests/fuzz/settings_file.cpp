// The settings reader on any file content: it must read the first two words (white space of any
// kind around and between them, a Ctrl+Z ending the text), each cut at the longest word it keeps,
// and show no message for a file that exists. What it read, written back with the writer, must
// read again as the same two words whenever both are present.
#include "app/settings_file.h"
#include "support/fuzz_check.h"
#include "support/private_folder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool WhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// The first two words of the text as the file format defines them.
std::vector<std::string> FirstTwoWords(std::string_view text)
{
    text = text.substr(0, text.find('\x1a'));
    std::vector<std::string> words;
    std::size_t at = 0;
    while (words.size() < 2) {
        while (at < text.size() && WhiteSpace(text[at]))
            ++at;
        std::size_t end = at;
        while (end < text.size() && !WhiteSpace(text[end]))
            ++end;
        words.emplace_back(text.substr(at, std::min(end - at, kMaxSettingsWord)));
        at = end;
    }
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content = fuzz::PlaceInput("quillo.cfg", data, size);

    std::string from = "unchanged", server = "unchanged";
    FUZZ_CHECK(ReadSettingsFile(nullptr, from, server));
    FUZZ_CHECK(fuzz::MessageBoxCount() == 0);
    const std::vector<std::string> expected = FirstTwoWords(content);
    FUZZ_CHECK(from == expected[0]);
    FUZZ_CHECK(server == expected[1]);

    if (!from.empty() && !server.empty()) {
        FUZZ_CHECK(WriteSettingsFile(nullptr, from, server));
        FUZZ_CHECK(fuzz::ReadFile("quillo.cfg") == from + " " + server);
        std::string from2, server2;
        FUZZ_CHECK(ReadSettingsFile(nullptr, from2, server2));
        FUZZ_CHECK(from2 == from && server2 == server);
        FUZZ_CHECK(fuzz::MessageBoxCount() == 0);
    }
    return 0;
}
