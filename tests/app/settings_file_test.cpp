#include "app/settings_file.h"

#include "shell_fixture.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quillo::test {
namespace {

using SettingsFileTest = ShellTest;

void ExpectOpenErrorBox(const std::vector<MessageBoxRecord>& boxes, const CWnd* owner)
{
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error opening config file");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[0].owner, owner);
}

TEST_F(SettingsFileTest, ReadsTheFirstTwoWordsWhateverTheWhiteSpace)
{
    struct Case {
        std::string content, from, server;
    };
    const std::string long100(100, 'a');
    const Case cases[] = {
        {"f s", "f", "s"},
        {"me@example.org\r\nsmtp.example.org\r\n", "me@example.org", "smtp.example.org"},
        {" \t\r\n\v\f me   smtp  ", "me", "smtp"},
        {"a b c d", "a", "b"},
        {"only", "only", ""},
        {"", "", ""},
        {"   \r\n ", "", ""},
        {long100 + " s", long100, "s"},  // longer than 79 characters: read whole
        {"a b\x1a" "c", "a", "b"},         // Ctrl+Z ends the text
        {"a\x1a b", "a", ""},
    };
    for (const Case& c : cases) {
        WriteFile("quillo.cfg", c.content);
        std::string from = "old", server = "old";
        EXPECT_TRUE(ReadSettingsFile(&m_owner, from, server)) << c.content;
        EXPECT_EQ(from, c.from) << c.content;
        EXPECT_EQ(server, c.server) << c.content;
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(SettingsFileTest, AnOverlongWordIsCutAndDoesNotSpillIntoTheNext)
{
    WriteFile("quillo.cfg", std::string(kMaxSettingsWord + 500, 'x') + " server");
    std::string from, server;
    ASSERT_TRUE(ReadSettingsFile(&m_owner, from, server));
    EXPECT_EQ(from, std::string(kMaxSettingsWord, 'x'));
    EXPECT_EQ(server, "server");
}

TEST_F(SettingsFileTest, AMissingFileIsReportedAndLeavesTheStringsAlone)
{
    std::string from = "keep-from", server = "keep-server";
    EXPECT_FALSE(ReadSettingsFile(&m_owner, from, server));
    ExpectOpenErrorBox(m_boxes, &m_owner);
    EXPECT_EQ(from, "keep-from");
    EXPECT_EQ(server, "keep-server");
}

TEST_F(SettingsFileTest, AFolderInPlaceOfTheFileCannotBeOpened)
{
    fs::create_directory("quillo.cfg");
    std::string from, server;
    EXPECT_FALSE(ReadSettingsFile(&m_owner, from, server));
    ExpectOpenErrorBox(m_boxes, &m_owner);
}

TEST_F(SettingsFileTest, WritesTheTwoValuesWithOneSpaceAndNoLineEnd)
{
    struct Case {
        std::string from, server, bytes;
    };
    const Case cases[] = {
        {"f", "s", "f s"},  // exactly three bytes
        {"me@example.org", "smtp.example.org", "me@example.org smtp.example.org"},
        {"   ", "  ", "      "},        // spaces-only values are written as they are
        {"f", "two words", "f two words"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(WriteSettingsFile(&m_owner, c.from, c.server));
        EXPECT_EQ(ReadFile("quillo.cfg"), c.bytes);
    }
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"quillo.cfg"});  // no temporary left
}

TEST_F(SettingsFileTest, WhatIsWrittenReadsBackAsTheReaderUnderstandsIt)
{
    struct Case {
        std::string from, server, readFrom, readServer;
    };
    const std::string long200(200, 'l');
    const Case cases[] = {
        {"me@example.org", "smtp.example.org", "me@example.org", "smtp.example.org"},
        {"f", "mail server", "f", "mail"},  // the second word of the server is ignored
        {"   ", "  ", "", ""},               // spaces only read as nothing
        {long200, "s", long200, "s"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteSettingsFile(&m_owner, c.from, c.server));
        std::string from, server;
        ASSERT_TRUE(ReadSettingsFile(&m_owner, from, server));
        EXPECT_EQ(from, c.readFrom);
        EXPECT_EQ(server, c.readServer);
    }
}

TEST_F(SettingsFileTest, ReplacingKeepsTheFilesModeAndASymbolicLink)
{
    WriteFile("real.cfg", "old old");
    ::chmod("real.cfg", 0600);
    fs::create_symlink("real.cfg", "quillo.cfg");

    ASSERT_TRUE(WriteSettingsFile(&m_owner, "new", "server"));
    EXPECT_TRUE(fs::is_symlink("quillo.cfg"));
    EXPECT_EQ(ReadFile("real.cfg"), "new server");
    struct stat st {};
    ASSERT_EQ(::stat("real.cfg", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"quillo.cfg", "real.cfg"}));
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileWhole)
{
    WriteFile("quillo.cfg", "old@example.org old.example.org");
    // Files may grow to a few bytes only: the new content cannot be written in full.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 4;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool written = WriteSettingsFile(&m_owner, "new@example.org", "new.example.org");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    ExpectOpenErrorBox(m_boxes, &m_owner);
    EXPECT_EQ(ReadFile("quillo.cfg"), "old@example.org old.example.org");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"quillo.cfg"});
}

TEST_F(SettingsFileTest, AReadOnlyFolderWithoutTheFileRefusesTheWrite)
{
    OpenFolderToAll(fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                    | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    std::string result = RunUnprivileged([this] {
        bool written = WriteSettingsFile(&m_owner, "f", "s");
        if (written)
            return std::string("written");
        if (m_boxes.size() != 1 || m_boxes[0].text != "Error opening config file")
            return std::string("no box");
        return std::string("refused");
    });
    EXPECT_EQ(result, "refused");
    EXPECT_EQ(ReadFile("quillo.cfg"), "<missing>");
}

TEST_F(SettingsFileTest, AReadOnlyFolderStillLetsAWritableFileBeRewritten)
{
    WriteFile("quillo.cfg", "old old");
    ::chmod("quillo.cfg", 0666);
    OpenFolderToAll(fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
                    | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    std::string result = RunUnprivileged([this] {
        return std::string(WriteSettingsFile(&m_owner, "new", "server") && m_boxes.empty()
                               ? "written"
                               : "refused");
    });
    EXPECT_EQ(result, "written");
    EXPECT_EQ(ReadFile("quillo.cfg"), "new server");
}

}  // namespace
}  // namespace quillo::test
