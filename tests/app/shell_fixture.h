#pragma once
// Shared by the shell's tests: each test runs in a fresh temporary folder (the shell's files are
// named relative to the current folder) and every message box is recorded instead of shown.
#include "platform/ui/message_box.h"
#include "platform/ui/wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quillo::test {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillo-shell-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(m_folder);
        SetMessageBoxHook([this](const MessageBoxRecord& box) {
            m_boxes.push_back(box);
            return IDOK;
        });
    }

    void TearDown() override
    {
        SetMessageBoxHook({});
        std::filesystem::current_path(m_previousFolder);
        std::error_code ignored;
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_folder, ignored);
    }

    // The file's whole content, or "<missing>".
    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return "<missing>";
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    // The names in the test folder, sorted.
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Lets an ordinary user into the test folder (mkdtemp makes it private).
    void OpenFolderToAll(std::filesystem::perms perms = std::filesystem::perms::owner_all
                                                        | std::filesystem::perms::group_read
                                                        | std::filesystem::perms::group_exec
                                                        | std::filesystem::perms::others_read
                                                        | std::filesystem::perms::others_exec)
    {
        std::filesystem::permissions(m_folder, perms);
    }

    // Runs body as an ordinary user: in a child process as "nobody" when the tests run as root
    // (whom permission bits do not stop), in this process otherwise. Returns body's result, or a
    // description of how the child failed.
    static std::string RunUnprivileged(const std::function<std::string()>& body)
    {
        if (::geteuid() != 0)
            return body();
        int fds[2];
        if (::pipe(fds) != 0)
            return "pipe failed";
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            std::string result = "could not become nobody";
            if (::setgid(65534) == 0 && ::setuid(65534) == 0)
                result = body();
            ssize_t written = ::write(fds[1], result.data(), result.size());
            ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
        }
        ::close(fds[1]);
        std::string result;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
            result.append(buffer, static_cast<std::size_t>(n));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return "child failed: " + result;
        return result;
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_previousFolder;
    std::vector<MessageBoxRecord> m_boxes;
    CWnd m_owner;
};

}  // namespace quillo::test
