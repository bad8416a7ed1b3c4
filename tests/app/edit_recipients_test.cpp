#include "app/recipient_file.h"
#include "platform/win_exec.h"

#include "shell_fixture.h"

#include <cerrno>
#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace quillo::test {
namespace {

// Runs with PATH pointing at a folder of fake programs only, so that no real editor or desktop
// handler starts; each fake records its folder and arguments, one a line, in a log file.
class EditRecipientsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        fs::create_directory(m_folder / "bin");
        fs::create_directory(m_folder / "work");
        fs::current_path(m_folder / "work");
        const char* path = std::getenv("PATH");
        m_savedPath = path ? path : "";
        ::setenv("PATH", (m_folder / "bin").c_str(), 1);
    }

    void TearDown() override
    {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        ShellTest::TearDown();
    }

    // A fake program that logs "name|folder|arg|arg..." and exits with exitCode.
    void AddFake(const std::string& name, int exitCode = 0)
    {
        fs::path script = m_folder / "bin" / name;
        WriteFile(script, "#!/bin/sh\nprintf '%s|%s' '" + name + "' \"$PWD\" >> '" + Log().string()
                              + "'\nfor a in \"$@\"; do printf '|%s' \"$a\" >> '" + Log().string()
                              + "'; done\necho >> '" + Log().string() + "'\nexit "
                              + std::to_string(exitCode) + "\n");
        fs::permissions(script, fs::perms::owner_all);
    }

    fs::path Log() const { return m_folder / "launch.log"; }

    // Waits until the log holds count complete lines (the launch runs detached).
    std::vector<std::string> WaitForLog(std::size_t count)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::vector<std::string> lines;
        while (std::chrono::steady_clock::now() < deadline) {
            std::string text = ReadFile(Log());
            lines.clear();
            std::size_t start = 0, end;
            while (text != "<missing>" && (end = text.find('\n', start)) != std::string::npos) {
                lines.push_back(text.substr(start, end - start));
                start = end + 1;
            }
            if (lines.size() >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return lines;
    }

    std::string Work() const { return (m_folder / "work").string(); }

    std::string m_savedPath;
};

// Nothing is left for this process to reap: the launch never leaves a zombie behind.
void ExpectNoChildLeft()
{
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(EditRecipientsTest, OpensTheFileWithTheDesktopHandler)
{
    AddFake("xdg-open");
    AddFake("gedit");
    EditRecipients();
    ExpectNoChildLeft();
    EXPECT_EQ(WaitForLog(1), std::vector<std::string>{"xdg-open|" + Work() + "|recipients.txt"});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(WaitForLog(1).size(), 1u);  // the editor is not started as well
}

TEST_F(EditRecipientsTest, FallsBackToAnInstalledEditorWhenTheHandlerFails)
{
    AddFake("xdg-open", 3);
    AddFake("mousepad");
    AddFake("xedit");  // later in the list: not used
    EXPECT_GT(WinExec("notepad.exe recipients.txt", SW_SHOW), 31u);
    ExpectNoChildLeft();
    EXPECT_EQ(WaitForLog(2), (std::vector<std::string>{"xdg-open|" + Work() + "|recipients.txt",
                                                       "mousepad|" + Work() + "|recipients.txt"}));
}

TEST_F(EditRecipientsTest, UsesAnEditorWhenThereIsNoDesktopHandler)
{
    AddFake("geany");
    EXPECT_GT(WinExec("NOTEPAD recipients.txt", SW_SHOW), 31u);
    EXPECT_EQ(WaitForLog(1), std::vector<std::string>{"geany|" + Work() + "|recipients.txt"});
}

TEST_F(EditRecipientsTest, NothingInstalledIsNotReported)
{
    EXPECT_EQ(WinExec("notepad.exe recipients.txt", SW_SHOW), 2u);
    EditRecipients();
    ExpectNoChildLeft();
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_FALSE(fs::exists(Log()));
}

TEST_F(EditRecipientsTest, NoShellSeesTheCommandLine)
{
    AddFake("gedit");
    EXPECT_GT(WinExec("notepad.exe \"a; touch pwned $(id) `id` > x.txt\"", SW_SHOW), 31u);
    EXPECT_EQ(WaitForLog(1),
              std::vector<std::string>{"gedit|" + Work() + "|a; touch pwned $(id) `id` > x.txt"});
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists("x.txt"));
}

TEST_F(EditRecipientsTest, OtherProgramsRunAsNamed)
{
    AddFake("tool");
    EXPECT_GT(WinExec("tool one two", SW_SHOW), 31u);
    ExpectNoChildLeft();
    EXPECT_EQ(WaitForLog(1), std::vector<std::string>{"tool|" + Work() + "|one|two"});
    EXPECT_EQ(WinExec("missing-tool x", SW_SHOW), 2u);
}

TEST(SplitCommandLine, SplitsAtBlanksAndGroupsQuotes)
{
    struct Case {
        const char* line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"notepad.exe recipients.txt", {"notepad.exe", "recipients.txt"}},
        {"  a \t b  ", {"a", "b"}},
        {"\"C:\\Program Files\\x.exe\" \"my file.txt\"", {"C:\\Program Files\\x.exe", "my file.txt"}},
        {"a \"\" b", {"a", "", "b"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
    EXPECT_TRUE(SplitCommandLine(nullptr).empty());
}

}  // namespace
}  // namespace quillo::test
