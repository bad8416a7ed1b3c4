// The link's actions from its context menu, on a real About box, with a throw-away home folder.
#include "app/about_box.h"
#include "platform/ui/shell_launch.h"
#include "platform/ui/special_folder.h"
#include "test_env.h"

#include <vector>

namespace {

// Runs body inside a shown About box whose link shows caption and holds address.
void WithLink(const std::string& caption, const std::string& address, const std::function<void(CLinkLabel&)>& body)
{
    CAboutBox about;
    wxTheApp->CallAfter([&] {
        about.m_link.SetWindowText(caption.c_str());
        about.m_link.SetLinkAddress(address.c_str());
        body(about.m_link);
        about.EndDialog(IDOK);
    });
    about.DoModal();
}

constexpr UINT kCopyShortcut = 32771;
constexpr UINT kAddToFavorites = 32774;
constexpr UINT kAddToDesktop = 32775;

}  // namespace

using LinkActions = TempHome;

TEST_F(LinkActions, AddToDesktopAndFavoritesWriteAShortcutNamedAfterTheCaption)
{
    REQUIRE_DISPLAY();
    WithLink("Quillo home page", "quillo.example.org", [](CLinkLabel& link) {
        link.SendMessage(WM_COMMAND, kAddToDesktop, 0);
        link.SendMessage(WM_COMMAND, kAddToFavorites, 0);
    });
    const std::string shortcut = "[InternetShortcut]\r\nURL=http://quillo.example.org\r\n";
    EXPECT_EQ(ReadFile(Home() / "Desktop" / "Quillo home page.URL"), shortcut);
    EXPECT_EQ(ReadFile(Home() / "Favorites" / "Quillo home page.URL"), shortcut);
}

TEST_F(LinkActions, CaptionsAFileNameCannotHoldAndOverlongPathsWriteNothing)
{
    REQUIRE_DISPLAY();
    fs::create_directories(Home() / "Desktop");
    const std::string tooLong(260 - (Home() / "Desktop/").string().size() - 4, 'x');  // 260 with ".URL"
    const std::string fits(tooLong.size() - 1, 'y');                               // 259
    for (const std::string& caption : {std::string("https://quillo.example.org/"), std::string("a:b"),
                                       std::string("a/b"), tooLong}) {
        WithLink(caption, "quillo.example.org", [&](CLinkLabel& link) {
            EXPECT_FALSE(link.AddInternetShortcut(CSIDL_DESKTOP)) << caption;
            link.SendMessage(WM_COMMAND, kAddToDesktop, 0);  // silent: no box, no file
        });
    }
    EXPECT_TRUE(FilesUnderHome().empty());
    WithLink(fits, "quillo.example.org", [](CLinkLabel& link) { EXPECT_TRUE(link.AddInternetShortcut(CSIDL_DESKTOP)); });
    EXPECT_TRUE(fs::exists(Home() / "Desktop" / (fits + ".URL")));
}

TEST_F(LinkActions, CopyShortcutPutsTheAddressNotTheCaptionOnTheClipboard)
{
    REQUIRE_DISPLAY();
    if (std::system("command -v xclip >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xclip is not installed";
    std::string copied;
    WithLink("Quillo home page", "https://quillo.example.org/help", [&](CLinkLabel& link) {
        link.SendMessage(WM_COMMAND, kCopyShortcut, 0);
        copied = ReadClipboardWithXclip();  // while this program still serves it
    });
    EXPECT_EQ(copied, "https://quillo.example.org/help");
}

TEST_F(LinkActions, OpenHandsABareHostToTheBrowserWithHttpAndNothingToTheShell)
{
    REQUIRE_DISPLAY();
    std::vector<std::pair<LaunchVia, std::string>> launches;
    SetLaunchHook([&](LaunchVia via, const std::string& target) {
        launches.emplace_back(via, target);
        return true;
    });
    WithLink("example.test", "example.test", [](CLinkLabel& link) {
        EXPECT_TRUE(link.OpenLink());
    });
    SetLaunchHook({});
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0], std::make_pair(LaunchVia::Browser, std::string("http://example.test")));
}
