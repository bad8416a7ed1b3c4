// The layer's stand-ins for the shell: special folders, the Internet shortcut object, launches.
#include "platform/spawn_detached.h"
#include "platform/ui/internet_shortcut.h"
#include "platform/ui/shell_launch.h"
#include "platform/ui/special_folder.h"
#include "test_env.h"

#include <vector>

TEST(InternetShortcut, GuessesTheProtocolOnlyWhereTheAddressHasNone)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"example.test", "http://example.test"},
        {"www.example.test/a?b=c", "http://www.example.test/a?b=c"},
        {"ftp.example.test", "ftp://ftp.example.test"},
        {"example.test:8080/x", "http://example.test:8080/x"},  // a port is no scheme
        {"localhost:8080", "http://localhost:8080"},
        {"http://example.test", "http://example.test"},
        {"HTTPS://example.test/", "HTTPS://example.test/"},
        {"mailto:me@example.test", "mailto:me@example.test"},
        {"file:///tmp/a.html", "file:///tmp/a.html"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GuessUrlProtocol(c.in), c.out) << c.in;

    CInternetShortcut shortcut;
    ASSERT_TRUE(shortcut.SetURL("  example.test  ", IURL_SETURL_FL_GUESS_PROTOCOL));
    EXPECT_EQ(shortcut.GetURL(), "http://example.test");
    ASSERT_TRUE(shortcut.SetURL("example.test", 0));
    EXPECT_EQ(shortcut.GetURL(), "example.test");
    // An address that would break the file's one-value-a-line form is refused; the old one stays.
    EXPECT_FALSE(shortcut.SetURL("http://a.test/\r\nURL=http://evil.test", IURL_SETURL_FL_GUESS_PROTOCOL));
    EXPECT_FALSE(shortcut.SetURL("   ", IURL_SETURL_FL_GUESS_PROTOCOL));
    EXPECT_FALSE(shortcut.SetURL(nullptr, 0));
    EXPECT_EQ(shortcut.GetURL(), "example.test");
}

using ShortcutFile = TempHome;

TEST_F(ShortcutFile, SavesTheInternetShortcutFormatAndReplacesAnOldFileWhole)
{
    CInternetShortcut shortcut;
    ASSERT_TRUE(shortcut.SetURL("example.test/page", IURL_SETURL_FL_GUESS_PROTOCOL));
    fs::path file = Home() / "Link.URL";
    WriteFile(file, "old content that is longer than the new one, all of it goes\r\n");
    ASSERT_TRUE(shortcut.Save(file.c_str(), true));
    EXPECT_EQ(ReadFile(file), "[InternetShortcut]\r\nURL=http://example.test/page\r\n");
    EXPECT_EQ(FilesUnderHome(), std::vector<std::string>{"Link.URL"});  // no temporary left
}

TEST_F(ShortcutFile, RefusesPathsTheShellCouldNotWriteAndWritesNothing)
{
    CInternetShortcut shortcut;
    ASSERT_TRUE(shortcut.SetURL("http://example.test", 0));
    std::string home = Home().string();
    const std::string refused[] = {
        home + "/http://example.test.URL",  // ':' and a folder that is not there
        home + "/a:b.URL",
        home + "/what?.URL",
        home + "/star*.URL",
        home + "/quote\".URL",
        home + "/pipe|.URL",
        home + "/missing/folder.URL",
        home + "/" + std::string(260 - home.size() - 1 - 4, 'x') + ".URL",  // 260 with no room for the zero
        home + "/",
        "",
    };
    for (const std::string& path : refused)
        EXPECT_FALSE(shortcut.Save(path.c_str(), true)) << path;
    EXPECT_TRUE(FilesUnderHome().empty());

    std::string longest = home + "/" + std::string(259 - home.size() - 1 - 4, 'x') + ".URL";
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_TRUE(shortcut.Save(longest.c_str(), true));
    EXPECT_FALSE(CInternetShortcut().Save((home + "/empty.URL").c_str(), true));  // no address yet
}

using SpecialFolders = TempHome;

TEST_F(SpecialFolders, DesktopFollowsTheXdgSettingsAndFavoritesLiveInTheHomeFolder)
{
    char path[MAX_PATH];
    // Nothing configured: ~/Desktop, made on demand.
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, true));
    EXPECT_EQ(fs::path(path), Home() / "Desktop");
    EXPECT_TRUE(fs::is_directory(Home() / "Desktop"));

    // The user's XDG settings name another folder.
    fs::create_directories(Home() / ".config");
    WriteFile(Home() / ".config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
              "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, true));
    EXPECT_EQ(fs::path(path), Home() / "Schreibtisch");

    // The environment wins over the file.
    fs::create_directories(Home() / "elsewhere");
    setenv("XDG_DESKTOP_DIR", (Home() / "elsewhere").c_str(), 1);
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, false));
    EXPECT_EQ(fs::path(path), Home() / "elsewhere");

    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_FAVORITES, true));
    EXPECT_EQ(fs::path(path), Home() / "Favorites");
    EXPECT_TRUE(fs::is_directory(Home() / "Favorites"));

    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x25, true));  // a folder this layer has not
    EXPECT_STREQ(path, "");
}

TEST_F(SpecialFolders, FailsForAFolderThatDoesNotFitOrCannotBeMade)
{
    char path[MAX_PATH];
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_FAVORITES, false));  // not there, not made
    setenv("HOME", ("/" + std::string(260, 'h')).c_str(), 1);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_FAVORITES, true));
    setenv("HOME", (Home() / "no/such/home").c_str(), 1);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, true));
}

TEST(ShellLaunch, TheBrowserAndTheShellGetTheAddressThroughTheHook)
{
    std::vector<std::pair<LaunchVia, std::string>> launches;
    bool answer = true;
    SetLaunchHook([&](LaunchVia via, const std::string& target) {
        launches.emplace_back(via, target);
        return answer;
    });
    CInternetShortcut shortcut;
    ASSERT_TRUE(shortcut.SetURL("example.test", IURL_SETURL_FL_GUESS_PROTOCOL));
    URLINVOKECOMMANDINFO info{16, IURL_INVOKECOMMAND_FL_ALLOW_UI, nullptr, "open"};
    EXPECT_TRUE(shortcut.InvokeCommand(info));
    EXPECT_GT(ShellExecuteA(nullptr, "open", "example.test", nullptr, nullptr, SW_SHOW), 32);
    answer = false;
    EXPECT_FALSE(shortcut.InvokeCommand(info));
    EXPECT_LE(ShellExecuteA(nullptr, "open", "example.test", nullptr, nullptr, SW_SHOW), 32);
    SetLaunchHook({});

    ASSERT_EQ(launches.size(), 4u);
    EXPECT_EQ(launches[0], std::make_pair(LaunchVia::Browser, std::string("http://example.test")));
    EXPECT_EQ(launches[1], std::make_pair(LaunchVia::ShellOpen, std::string("example.test")));
}

TEST(SpawnDetached, ReportsWhetherTheProgramCouldBeStarted)
{
    EXPECT_TRUE(SpawnDetached({"true"}));
    EXPECT_FALSE(SpawnDetached({"quillo-no-such-program"}));
    EXPECT_FALSE(SpawnDetached({}));
}
