#include "app/recipient_file.h"

#include "platform/ui/combo_box.h"
#include "shell_fixture.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quillo::test {
namespace {

using RecipientFileTest = ShellTest;

// The list's entries in sorted order (the list sorts them itself; the file's order does not count).
std::vector<std::string> Entries(const CComboBox& list)
{
    std::vector<std::string> entries;
    for (int i = 0; i < list.GetCount(); ++i)
        entries.push_back(list.GetLBText(i));
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::string> Sorted(std::vector<std::string> entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST_F(RecipientFileTest, EachLineBecomesOneEntry)
{
    struct Case {
        std::string content;
        std::vector<std::string> entries;
    };
    const std::string s78(78, 'e'), s79(79, 'n'), s100(100, 'h');
    const Case cases[] = {
        {"a@x\n\nb@x\n", {"a@x", "", "b@x"}},      // an empty line gives an empty entry
        {"a@x\r\nb@x\r\n", {"a@x", "b@x"}},        // CR LF line ends
        {"a@x\nb@x", {"a@x", "b@x"}},              // last line without line end
        {"", {}},
        {"\n", {""}},
        {"same@x\nsame@x\n", {"same@x", "same@x"}},  // duplicates stay
        {" spaced@x \n", {" spaced@x "}},            // nothing is trimmed
        {"a\rb\n", {"a\rb"}},                      // a CR elsewhere stays
        {"tail\r", {"tail\r"}},
        {"a@x\x1a" "b@x\n", {"a@x"}},              // Ctrl+Z ends the file
        {"a@x\r\x1a", {"a@x\r"}},
        {s78 + "\r\n", {s78}},
        {s79 + "\n", {s79, ""}},                   // exactly 79: the line feed is an entry of its own
        {s79 + "\r\n", {s79, ""}},
        {s79, {s79}},
        {s100 + "\n", {std::string(79, 'h'), std::string(21, 'h')}},
        {std::string(200, 'k'), {std::string(79, 'k'), std::string(79, 'k'), std::string(42, 'k')}},
    };
    for (const Case& c : cases) {
        WriteFile("recipients.txt", c.content);
        CComboBox list;
        LoadRecipients(list, &m_owner);
        EXPECT_EQ(Entries(list), Sorted(c.entries)) << testing::PrintToString(c.content);
        EXPECT_EQ(list.GetCurSel(), CB_ERR);
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(RecipientFileTest, ReloadShowsTheFileOnceAndClearsTheSelection)
{
    WriteFile("recipients.txt", "b@x\na@x\n");
    CComboBox list;
    LoadRecipients(list, &m_owner);
    list.SetCurSel(0);

    ReloadRecipients(list, &m_owner);
    list.SetCurSel(1);
    ReloadRecipients(list, &m_owner);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"a@x", "b@x"}));
    EXPECT_EQ(list.GetCurSel(), CB_ERR);

    WriteFile("recipients.txt", "c@x\n");  // edited meanwhile
    ReloadRecipients(list, &m_owner);
    EXPECT_EQ(Entries(list), std::vector<std::string>{"c@x"});
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(RecipientFileTest, AMissingFileIsCreatedEmptyWithoutAMessage)
{
    CComboBox list;
    LoadRecipients(list, &m_owner);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(fs::is_regular_file("recipients.txt"));
    EXPECT_EQ(fs::file_size("recipients.txt"), 0u);
    EXPECT_EQ(::access("recipients.txt", W_OK), 0);
}

TEST_F(RecipientFileTest, AFolderInPlaceOfTheFileIsReportedAndTheListKept)
{
    fs::create_directory("recipients.txt");
    CComboBox list;
    list.AddString("kept@x");
    LoadRecipients(list, &m_owner);
    EXPECT_EQ(Entries(list), std::vector<std::string>{"kept@x"});
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Unable to open Recipients file");
    EXPECT_EQ(m_boxes[0].caption, "Error");
    EXPECT_EQ(m_boxes[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(m_boxes[0].owner, &m_owner);
}

// What an ordinary user's load gives: the entries, then "box" when the message was shown.
std::string LoadAsText(std::vector<MessageBoxRecord>& boxes, const CWnd* owner)
{
    CComboBox list;
    LoadRecipients(list, owner);
    std::string result;
    for (const std::string& entry : Entries(list))
        result += entry + ";";
    for (const MessageBoxRecord& box : boxes)
        result += box.text == "Unable to open Recipients file" && box.caption == "Error" ? "box" : "other box";
    return result;
}

TEST_F(RecipientFileTest, AnUnreadableFileIsReported)
{
    WriteFile("recipients.txt", "secret@x\n");
    ::chmod("recipients.txt", 0);
    OpenFolderToAll();
    EXPECT_EQ(RunUnprivileged([this] { return LoadAsText(m_boxes, &m_owner); }), "box");
}

TEST_F(RecipientFileTest, AMissingFileInAReadOnlyFolderIsReported)
{
    OpenFolderToAll(fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                    | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(RunUnprivileged([this] { return LoadAsText(m_boxes, &m_owner); }), "box");
    EXPECT_FALSE(fs::exists("recipients.txt"));
}

TEST_F(RecipientFileTest, AHugeFileIsReadUpToTheLimit)
{
    std::string content;
    for (std::size_t i = 0; i < kMaxRecipients + 50; ++i)
        content += "r" + std::to_string(i) + "\n";
    WriteFile("recipients.txt", content);
    CComboBox list;
    LoadRecipients(list, &m_owner);
    EXPECT_EQ(static_cast<std::size_t>(list.GetCount()), kMaxRecipients);
}

}  // namespace
}  // namespace quillo::test
