#pragma once
// Shared pieces of the hyperlink tests: a throw-away home folder with its XDG settings, and the
// check that a display (and so the toolkit) is there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <wx/app.h>

namespace fs = std::filesystem;

#define REQUIRE_DISPLAY()                                            \
    do {                                                             \
        if (wxTheApp == nullptr || !wxTheApp->IsGUI())               \
            GTEST_SKIP() << "needs a display (run under xvfb-run)"; \
    } while (0)

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// HOME, XDG_CONFIG_HOME and XDG_DESKTOP_DIR point into a fresh temporary folder for one test.
class TempHome : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillo-home-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_home = pattern;
        Save("HOME");
        Save("XDG_CONFIG_HOME");
        Save("XDG_DESKTOP_DIR");
        setenv("HOME", m_home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DESKTOP_DIR");
    }
    void TearDown() override
    {
        for (auto& [name, value] : m_saved) {
            if (value.first)
                setenv(name.c_str(), value.second.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code ignored;
        fs::remove_all(m_home, ignored);
    }

    const fs::path& Home() const { return m_home; }

    // Every regular file below the home folder, relative to it.
    std::vector<std::string> FilesUnderHome() const
    {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(m_home))
            if (entry.is_regular_file())
                files.push_back(fs::relative(entry.path(), m_home).string());
        return files;
    }

private:
    void Save(const char* name)
    {
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, std::make_pair(value != nullptr, value ? value : ""));
    }

    fs::path m_home;
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> m_saved;
};

// Lets the toolkit handle its events until done() holds or about ten seconds have passed.
bool PumpUntil(const std::function<bool()>& done);

// The clipboard's text as another program (xclip) reads it while this one serves it.
std::string ReadClipboardWithXclip();
