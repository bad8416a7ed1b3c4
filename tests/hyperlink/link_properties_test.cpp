// The link's Properties sheet: title, tab, the two read-only fields, its buttons, and Help
// reaching the application.
#include "app/about_box.h"
#include "platform/ui/property_sheet.h"
#include "platform/ui/shell_launch.h"
#include "platform/ui/win_app.h"
#include "test_env.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

namespace {

class HelpCountingApp : public CWinApp {
public:
    void OnHelp() { ++helpCalls; }
    int helpCalls = 0;

    static const MessageMap* ClassMessageMap()
    {
        static const MessageMapEntry entries[] = {OnCommand<&HelpCountingApp::OnHelp>(ID_HELP)};
        static const MessageMap map{nullptr, entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }
};

struct SheetSeen {
    std::string title, tab, caption, address;
    bool captionEditable = true, addressEditable = true;
    bool hasApply = true, hasHelp = false, hasOk = false, hasCancel = false;
};

SheetSeen Look(wxDialog* sheet)
{
    SheetSeen seen;
    seen.title = sheet->GetTitle().utf8_string();
    if (auto* book = dynamic_cast<wxNotebook*>(sheet->GetChildren().GetFirst()->GetData()))
        seen.tab = book->GetPageText(0).utf8_string();
    if (auto* caption = dynamic_cast<wxTextCtrl*>(sheet->FindWindow(1005))) {
        seen.caption = caption->GetValue().utf8_string();
        seen.captionEditable = caption->IsEditable();
    }
    if (auto* address = dynamic_cast<wxTextCtrl*>(sheet->FindWindow(1007))) {
        seen.address = address->GetValue().utf8_string();
        seen.addressEditable = address->IsEditable();
    }
    seen.hasApply = sheet->FindWindow(wxID_APPLY) != nullptr;
    seen.hasHelp = sheet->FindWindow(wxID_HELP) != nullptr;
    seen.hasOk = sheet->FindWindow(wxID_OK) != nullptr;
    seen.hasCancel = sheet->FindWindow(wxID_CANCEL) != nullptr;
    return seen;
}

void Press(wxDialog* sheet, int id)
{
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(sheet->FindWindow(id));
    sheet->FindWindow(id)->GetEventHandler()->ProcessEvent(click);
}

}  // namespace

TEST(LinkProperties, ShowsCaptionAndAddressReadOnlyWithOkCancelHelpAndNoApply)
{
    REQUIRE_DISPLAY();
    HelpCountingApp app;
    SheetSeen seen;
    int stateAfter = -1;
    CAboutBox about;
    wxTheApp->CallAfter([&] {
        CLinkLabel& link = about.m_link;
        link.SendMessage(WM_COMMAND, 32776, 0);  // opened: visited (the launch goes to the hook)
        wxTheApp->CallAfter([&] {
            wxDialog* sheet = CPropertySheet::GetShownSheet();
            ASSERT_NE(sheet, nullptr);
            seen = Look(sheet);
            Press(sheet, wxID_HELP);
            Press(sheet, wxID_OK);
        });
        link.SendMessage(WM_COMMAND, 32773, 0);  // Properties, modal until OK
        stateAfter = link.GetState();
        about.EndDialog(IDOK);
    });
    SetLaunchHook([](LaunchVia, const std::string&) { return true; });
    about.DoModal();
    SetLaunchHook({});

    EXPECT_EQ(seen.title, "Properties");
    EXPECT_EQ(seen.tab, "General");
    EXPECT_EQ(seen.caption, "https://quillo.example.org/");
    EXPECT_EQ(seen.address, kQuilloWebPage);
    EXPECT_FALSE(seen.captionEditable);
    EXPECT_FALSE(seen.addressEditable);
    EXPECT_FALSE(seen.hasApply);
    EXPECT_TRUE(seen.hasOk);
    EXPECT_TRUE(seen.hasCancel);
    EXPECT_TRUE(seen.hasHelp);
    EXPECT_EQ(app.helpCalls, 1);  // the page hands Help up to the application
    EXPECT_EQ(stateAfter, CLinkLabel::kVisited);  // OK changes nothing on the link
}
