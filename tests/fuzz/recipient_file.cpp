// The recipient-list reader on any file content: the entries must be the file's lines as text
// mode reads them (a CR directly before an LF dropped, other CRs kept, a Ctrl+Z ending the text),
// each line cut into pieces of at most 79 characters, an empty line an empty entry, a last line
// without line end an entry, and no message for a file that exists.
#include "app/recipient_file.h"
#include "platform/ui/combo_box.h"
#include "support/fuzz_check.h"
#include "support/private_folder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> ExpectedEntries(std::string_view file)
{
    file = file.substr(0, file.find('\x1a'));
    std::string text;  // as text mode reads it
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (!(file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n'))
            text += file[i];
    }
    std::vector<std::string> entries;
    std::size_t at = 0;
    while (at < text.size() && entries.size() < kMaxRecipients) {
        std::string entry;
        while (at < text.size() && entry.size() < kMaxRecipientLength) {
            const char c = text[at++];
            if (c == '\n')
                break;
            entry += c;
        }
        // The list takes zero-terminated texts: an entry ends at a NUL byte.
        entries.push_back(entry.substr(0, entry.find('\0')));
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content = fuzz::PlaceInput("recipients.txt", data, size);

    CComboBox list;
    LoadRecipients(list, nullptr);
    FUZZ_CHECK(fuzz::MessageBoxCount() == 0);
    FUZZ_CHECK(list.GetCurSel() == CB_ERR);  // loading selects nothing

    std::vector<std::string> loaded;
    for (int i = 0; i < list.GetCount(); ++i)
        loaded.push_back(list.GetLBText(i));
    std::vector<std::string> expected = ExpectedEntries(content);
    // The list keeps its own order; compare the entries as a collection.
    std::sort(loaded.begin(), loaded.end());
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(loaded == expected);
    FUZZ_CHECK(fuzz::ReadFile("recipients.txt") == content);  // the reader never writes
    return 0;
}
