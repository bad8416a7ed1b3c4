// The help file built from help/ and the layer's viewer that shows it.
#include "platform/ui/chm_file.h"
#include "platform/ui/html_help.h"
#include "test_env.h"

#include <unistd.h>

#include <wx/toplevel.h>
#include <wx/window.h>

TEST(HelpFile, HoldsEveryPageWithIndexAsTheDefaultTopic)
{
    if (!fs::exists(QUILLO_HELP_FILE))
        GTEST_SKIP() << "chmcmd was not there to build " << QUILLO_HELP_FILE;
    CChmFile book;
    ASSERT_TRUE(book.Open(QUILLO_HELP_FILE));
    EXPECT_EQ(book.DefaultTopic(), "/index.html");
    for (const char* page : {"/index.html", "/first_start.html", "/settings.html", "/recipients.html",
                             "/sending.html", "/messages.html", "/about.html"}) {
        std::string bytes;
        ASSERT_TRUE(book.Read(page, bytes)) << page;
        std::string source = ReadFile(fs::path(QUILLO_SOURCE_DIR) / "help" / (page + 1));
        EXPECT_EQ(bytes, source) << page;
    }
    std::string none;
    EXPECT_FALSE(book.Read("/no-such-page.html", none));
}

TEST(HelpFile, AFileThatIsNoHelpFileDoesNotOpen)
{
    char name[] = "/tmp/quillo-chm-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    const char junk[] = "ITSF but not really a compiled help file at all";
    ASSERT_EQ(write(fd, junk, sizeof junk), static_cast<ssize_t>(sizeof junk));
    close(fd);
    CChmFile book;
    EXPECT_FALSE(book.Open(name));
    EXPECT_FALSE(book.Open("/tmp/quillo-no-such-file.chm"));
    EXPECT_EQ(book.DefaultTopic(), "");
    unlink(name);
}

TEST(HelpViewer, ShowsTheDefaultTopicInAWindowOfItsOwnAndNothingWithoutAFile)
{
    REQUIRE_DISPLAY();
    if (!fs::exists(QUILLO_HELP_FILE))
        GTEST_SKIP() << "chmcmd was not there to build " << QUILLO_HELP_FILE;
    EXPECT_EQ(HtmlHelpA(nullptr, "quillo-no-such-help.chm", HH_DISPLAY_TOPIC, 0), nullptr);
    EXPECT_EQ(HelpViewerPage(), "");

    // A bare name is looked for in the current folder first.
    fs::path before = fs::current_path();
    fs::current_path(fs::path(QUILLO_HELP_FILE).parent_path());
    HelpWindowHandle window = HtmlHelpA(nullptr, "Quillo.chm", HH_DISPLAY_TOPIC, 0);
    fs::current_path(before);
    ASSERT_NE(window, nullptr);
    auto* frame = static_cast<wxTopLevelWindow*>(window);
    EXPECT_EQ(frame->GetParent(), nullptr);  // owned by no window of the program
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(HelpViewerPage(), "Quillo.chm:/index.html");
    EXPECT_EQ(frame->GetTitle(), "Quillo Help");  // the page's own title

    // A second call reuses the same window.
    EXPECT_EQ(HtmlHelpA(nullptr, QUILLO_HELP_FILE, HH_DISPLAY_TOPIC, 0), window);
    frame->Close(true);
    PumpUntil([] { return HelpViewerPage().empty(); });
    EXPECT_EQ(HelpViewerPage(), "");
}
