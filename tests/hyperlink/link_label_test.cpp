// The hyperlink label in the About box: its states, colours, capture, cursor and click.
#include "app/about_box.h"
#include "platform/ui/cursor.h"
#include "platform/ui/mouse.h"
#include "platform/ui/shell_launch.h"
#include "test_env.h"

#include <vector>

#include <wx/font.h>
#include <wx/uiaction.h>
#include <wx/window.h>

namespace {

constexpr LPARAM kInside = MAKELPARAM(3, 3);
constexpr LPARAM kOutside = MAKELPARAM(-20, 200);

const wxColour kBlue(0, 0, 255), kPurple(128, 0, 128), kRed(255, 0, 0);

// Runs steps one after another inside a shown About box, each after the events the previous one
// queued; closes the box after the last.
class AboutBoxScript : public testing::Test {
protected:
    void SetUp() override
    {
        SetLaunchHook([this](LaunchVia via, const std::string& target) {
            m_launches.emplace_back(via, target);
            return m_launchSucceeds;
        });
    }
    void TearDown() override { SetLaunchHook({}); }

    void Run(std::vector<std::function<void(CAboutBox&)>> steps)
    {
        CAboutBox about;
        std::size_t next = 0;
        std::function<void()> step = [&] {
            if (next < steps.size() && !HasFatalFailure()) {
                steps[next++](about);
                wxTheApp->CallAfter(step);
            } else {
                about.EndDialog(IDOK);
            }
        };
        wxTheApp->CallAfter(step);
        about.DoModal();
    }

    std::vector<std::pair<LaunchVia, std::string>> m_launches;
    bool m_launchSucceeds = true;
};

}  // namespace

TEST_F(AboutBoxScript, LinkShowsTheTemplateCaptionUnderlinedInBlueAndOpensTheProjectPage)
{
    REQUIRE_DISPLAY();
    Run({[](CAboutBox& about) {
        CLinkLabel& link = about.m_link;
        ASSERT_NE(link.GetSafeHwnd(), nullptr);  // bound to control 1007 by the data exchange
        EXPECT_EQ(link.GetWindowText(), "https://quillo.example.org/");
        EXPECT_EQ(link.GetLinkAddress(), kQuilloWebPage);
        EXPECT_TRUE(link.GetSafeHwnd()->GetFont().GetUnderlined());
        EXPECT_EQ(link.GetSafeHwnd()->GetForegroundColour(), kBlue);
        EXPECT_EQ(link.GetState(), CLinkLabel::kUnvisited);
        link.SetLinkAddress("example.test");  // the address changes, the caption does not
        EXPECT_EQ(link.GetWindowText(), "https://quillo.example.org/");
    }});
}

TEST_F(AboutBoxScript, HoverTurnsTheLinkRedAndHoldsTheCaptureOnlyWhileRed)
{
    REQUIRE_DISPLAY();
    Run({[](CAboutBox& about) {
        CLinkLabel& link = about.m_link;
        link.SendMessage(WM_MOUSEMOVE, 0, kInside);
        EXPECT_EQ(link.GetState(), CLinkLabel::kHover);
        EXPECT_EQ(GetCapture(), &link);
        EXPECT_EQ(link.GetSafeHwnd()->GetForegroundColour(), kRed);
        link.SendMessage(WM_MOUSEMOVE, 0, kInside);  // still inside: nothing changes
        EXPECT_EQ(GetCapture(), &link);

        link.SendMessage(WM_MOUSEMOVE, 0, kOutside);
        EXPECT_EQ(link.GetState(), CLinkLabel::kUnvisited);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(link.GetSafeHwnd()->GetForegroundColour(), kBlue);
    }});
}

TEST_F(AboutBoxScript, ClickPostsOpenWhichMarksTheLinkVisitedAndEndsTheHover)
{
    REQUIRE_DISPLAY();
    Run({[this](CAboutBox& about) {
             CLinkLabel& link = about.m_link;
             link.SetLinkAddress("example.test");
             link.SendMessage(WM_MOUSEMOVE, 0, kInside);
             link.SendMessage(WM_LBUTTONDOWN, 1, kInside);
             EXPECT_TRUE(m_launches.empty());  // posted, not run inside the click
             EXPECT_EQ(link.GetState(), CLinkLabel::kHover);
         },
         [this](CAboutBox& about) {
             CLinkLabel& link = about.m_link;
             ASSERT_EQ(m_launches.size(), 1u);
             EXPECT_EQ(m_launches[0], std::make_pair(LaunchVia::Browser, std::string("http://example.test")));
             EXPECT_EQ(link.GetState(), CLinkLabel::kVisited);
             EXPECT_EQ(GetCapture(), nullptr);
             EXPECT_EQ(link.GetSafeHwnd()->GetForegroundColour(), kPurple);

             // Hovering again shows red, leaving shows purple again.
             link.SendMessage(WM_MOUSEMOVE, 0, kInside);
             EXPECT_EQ(link.GetSafeHwnd()->GetForegroundColour(), kRed);
             link.SendMessage(WM_MOUSEMOVE, 0, kOutside);
             EXPECT_EQ(link.GetState(), CLinkLabel::kVisited);
             EXPECT_EQ(link.GetSafeHwnd()->GetForegroundColour(), kPurple);
             EXPECT_EQ(GetCapture(), nullptr);
         }});
}

TEST_F(AboutBoxScript, AFailedOpenFallsBackToTheShellAndLeavesTheStateAsItWas)
{
    REQUIRE_DISPLAY();
    m_launchSucceeds = false;
    Run({[](CAboutBox& about) { about.m_link.SendMessage(WM_COMMAND, 32776, 0); },
         [this](CAboutBox& about) {
             ASSERT_EQ(m_launches.size(), 2u);
             EXPECT_EQ(m_launches[0].first, LaunchVia::Browser);
             EXPECT_EQ(m_launches[1], std::make_pair(LaunchVia::ShellOpen, std::string(kQuilloWebPage)));
             EXPECT_EQ(about.m_link.GetState(), CLinkLabel::kUnvisited);
         }});
}

TEST_F(AboutBoxScript, TheLinkCursorIsAHandAndTheMenuKeepsItsOwn)
{
    REQUIRE_DISPLAY();
    Run({[](CAboutBox& about) {
        SetCursor(nullptr);
        EXPECT_EQ(about.m_link.SendMessage(WM_SETCURSOR, 0, 0), 1);
        EXPECT_NE(GetCursor(), nullptr);
        EXPECT_EQ(GetCursor(), LoadSystemCursor(IDC_HAND));
        SetCursor(nullptr);
        // Our own cursors are there for systems without a hand, and for an inactive link.
        EXPECT_NE(LoadCursorResource(130), nullptr);
        EXPECT_NE(LoadCursorResource(131), nullptr);
    }});
}

TEST_F(AboutBoxScript, ARightClickWhileRedEndsTheHoverBeforeTheMenuShows)
{
    REQUIRE_DISPLAY();
    struct Seen {
        bool showing = false;
        int state = -1;
        CWnd* capture = nullptr;
        LRESULT cursorHandled = -1;
    } seen;
    Run({[&seen](CAboutBox& about) {
        CLinkLabel& link = about.m_link;
        link.SendMessage(WM_MOUSEMOVE, 0, kInside);
        ASSERT_EQ(GetCapture(), &link);
        // While the menu is up: look, then dismiss it with Esc.
        wxTheApp->CallAfter([&seen, &link] {
            seen.showing = link.IsMenuShowing();
            seen.state = link.GetState();
            seen.capture = GetCapture();
            seen.cursorHandled = link.SendMessage(WM_SETCURSOR, 0, 0);
            wxUIActionSimulator().Char(WXK_ESCAPE);
        });
        link.SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));  // from the keyboard
        EXPECT_FALSE(link.IsMenuShowing());
    }});
    EXPECT_TRUE(seen.showing);
    EXPECT_EQ(seen.state, CLinkLabel::kUnvisited);
    EXPECT_EQ(seen.capture, nullptr);
    EXPECT_EQ(seen.cursorHandled, 0);  // the menu's own cursor
}
