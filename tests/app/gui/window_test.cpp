// The layer's windows on a real display (run under Xvfb): the main dialog built from its template,
// the data exchange and its 80-character rule, the combo box mirrored into its control, the system
// menu. Boxes go to the test seam; each test drives the modal dialog from inside its loop.
#include "app/resource_ids.h"
#include "app/sender_app.h"
#include "app/sender_dlg.h"
#include "platform/ui/menu.h"
#include "platform/ui/win_app.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The main dialog reads and creates its files in the current folder.
        folder = std::filesystem::temp_directory_path() / ("quillo-window-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        std::ofstream(folder / "recipients.txt") << "b@sms.example\nA@sms.example\n";
        std::ofstream(folder / "quillo.cfg") << "me@example.org 127.0.0.1";
        SetMessageBoxHook([this](const MessageBoxRecord& r) {
            boxes.push_back(r);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook({});
        std::filesystem::current_path("/");
        std::filesystem::remove_all(folder);
    }

    // Runs dialog modally; step runs inside its loop, once the window is up.
    static int RunWith(CDialog& dialog, std::function<void()> step)
    {
        wxTheApp->CallAfter([step] { step(); });
        return dialog.DoModal();
    }

    static wxTextCtrl* Edit(CDialog& d, int id) { return dynamic_cast<wxTextCtrl*>(d.GetDlgItem(id)); }

    static bool HasFocusWithinItsWindow(wxWindow* w)
    {
        auto* widget = static_cast<GtkWidget*>(w->GetHandle());
        if (GTK_IS_SCROLLED_WINDOW(widget))
            widget = gtk_bin_get_child(GTK_BIN(widget));
        return gtk_widget_is_focus(widget);
    }

    std::filesystem::path folder;
    std::vector<MessageBoxRecord> boxes;
};

TEST_F(WindowTest, MainDialogHasTheTemplatesSizeInDialogUnits)
{
    CSenderDlg dialog;
    wxSize client;
    bool subjectFocused = false;
    RunWith(dialog, [&] {
        client = dialog.GetSafeHwnd()->GetClientSize();
        subjectFocused = HasFocusWithinItsWindow(dialog.GetDlgItem(IDC_SUBJECT));
        dialog.EndDialog(IDCANCEL);
    });
    // DejaVu Sans Condensed at 8 points has base units of 6 x 13 pixels.
    EXPECT_EQ(client, wxSize(390, 284));
    EXPECT_TRUE(subjectFocused);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowTest, OverlongMessageIsRefusedWithFocusAndSelectionBack)
{
    CSenderDlg dialog;
    bool stayedOpen = false, focused = false;
    long from = -1, to = -1;
    int result = RunWith(dialog, [&] {
        // Typing cannot get past 80 characters; text put in by the program can.
        dialog.m_message = std::string(81, 'x');
        dialog.UpdateData(false);
        dialog.GetDlgItem(IDC_SEND)->SetFocus();
        dialog.SendMessage(WM_COMMAND, IDOK);
        stayedOpen = dialog.GetSafeHwnd() && dialog.GetSafeHwnd()->IsShown();
        focused = HasFocusWithinItsWindow(dialog.GetDlgItem(IDC_MESSAGE));
        Edit(dialog, IDC_MESSAGE)->GetSelection(&from, &to);
        // Exactly 80 characters (here 160 bytes) pass.
        std::string eighty;
        for (int i = 0; i < 80; ++i)
            eighty += "\xc3\xa9";
        dialog.m_message = eighty;
        dialog.UpdateData(false);
        dialog.SendMessage(WM_COMMAND, IDOK);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(focused);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 81);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Please enter no more than 80 characters.");
    EXPECT_EQ(boxes[0].caption, "Quillo");
    EXPECT_EQ(boxes[0].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Utf8Length(dialog.m_message), 80u);
}

TEST_F(WindowTest, PastedTextIsCutAtTheLimit)
{
    CSenderDlg dialog;
    std::string value;
    long at = -1;
    RunWith(dialog, [&] {
        wxTextCtrl* message = Edit(dialog, IDC_MESSAGE);
        message->ChangeValue("abc");
        message->SetInsertionPoint(1);
        message->WriteText(wxString(100, 'y'));
        value = FromToolkit(message->GetValue());
        at = message->GetInsertionPoint();
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(value, "a" + std::string(77, 'y') + "bc");
    EXPECT_EQ(at, 78);
}

TEST_F(WindowTest, CancelAndTheSystemMenusCloseDoNotValidate)
{
    for (UINT close : {SC_CLOSE, UINT(0)}) {
        CSenderDlg dialog;
        int result = RunWith(dialog, [&] {
            dialog.m_message = std::string(90, 'x');
            dialog.UpdateData(false);
            if (close)
                dialog.SendMessage(WM_SYSCOMMAND, close);
            else
                dialog.SendMessage(WM_COMMAND, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowTest, SystemMenuEndsWithTheAboutItem)
{
    CSenderDlg dialog;
    std::vector<std::pair<UINT, std::string>> items;
    RunWith(dialog, [&] {
        CMenu* menu = dialog.GetSystemMenu(false);
        for (int i = 0; i < menu->GetMenuItemCount(); ++i)
            items.emplace_back(menu->GetItem(i).separator ? 0 : menu->GetItem(i).id, menu->GetItem(i).text);
        dialog.EndDialog(IDCANCEL);
    });
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].first, SC_MINIMIZE);
    EXPECT_EQ(items[1].first, SC_CLOSE);
    EXPECT_EQ(items[2], std::make_pair(0u, std::string()));
    EXPECT_EQ(items[3], std::make_pair(IDM_ABOUTBOX, std::string("&About Quillo...")));
}

TEST_F(WindowTest, RecipientListIsMirroredIntoItsControl)
{
    CSenderDlg dialog;
    std::vector<std::string> shown;
    int selection = CB_ERR;
    RunWith(dialog, [&] {
        dialog.m_recipientBox.AddString("0@sms.example");
        auto* combo = dynamic_cast<wxComboBox*>(dialog.GetDlgItem(IDC_RECIPIENTS));
        for (unsigned i = 0; i < combo->GetCount(); ++i)
            shown.push_back(FromToolkit(combo->GetString(i)));
        combo->SetSelection(2);  // the user's choice
        selection = dialog.m_recipientBox.GetCurSel();
        dialog.SendMessage(WM_COMMAND, IDCANCEL);
    });
    EXPECT_EQ(shown, (std::vector<std::string>{"0@sms.example", "A@sms.example", "b@sms.example"}));
    EXPECT_EQ(selection, 2);
    // The entries and the choice outlive the window.
    EXPECT_EQ(dialog.m_recipientBox.GetLBText(dialog.m_recipientBox.GetCurSel()), "b@sms.example");
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (AfxGetApp() != &g_senderApp)  // the program's application object gives the title
        return 1;
    if (!AfxStartToolkit(argc, argv)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    int result = RUN_ALL_TESTS();
    AfxEndToolkit();
    return result;
}
