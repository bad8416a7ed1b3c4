// The UI layer and the program's resources without a display: templates, menus, strings, message
// maps, the combo box model, start-up failure.
#include "app/resource_ids.h"
#include "app/sender_app.h"
#include "app/sender_dlg.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"
#include "platform/ui/menu.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Row {
    const char* kind;
    int id;
    const char* text;
    bool tabStop;
};

void ExpectControls(int templateId, const std::vector<Row>& rows)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(templateId, t));
    ASSERT_EQ(t.controls.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t.controls[i].kind, rows[i].kind);
        EXPECT_EQ(t.controls[i].id, rows[i].id);
        EXPECT_EQ(t.controls[i].text, rows[i].text);
        EXPECT_EQ(t.controls[i].Has("tabstop"), rows[i].tabStop);
    }
}

TEST(Resources, MainDialogTemplateKeepsTheTabOrder)
{
    // Template order is the tab order: Subject, Message, Send, Close, recipient list, Reload.
    ExpectControls(IDD_SENDER_DIALOG, {{"static", -1, "To:", false},
                                       {"static", -1, "Subject:", false},
                                       {"edit", 1001, "", true},
                                       {"static", -1, "Message:", false},
                                       {"edit", 1002, "", true},
                                       {"button", 1003, "Send", true},
                                       {"defbutton", 1, "Close", true},
                                       {"groupbox", -1, "", false},
                                       {"combobox", 1006, "", true},
                                       {"button", 1010, "Reload", true}});
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(IDD_SENDER_DIALOG, t));
    EXPECT_EQ(t.caption, "Quillo");
    EXPECT_EQ(t.menu, IDR_MAINMENU);
    EXPECT_EQ(t.cx, 260);
    EXPECT_EQ(t.cy, 175);
    EXPECT_TRUE(t.Has("minimizebox"));
    EXPECT_TRUE(t.FindControl(IDC_MESSAGE)->Has("multiline"));
    EXPECT_FALSE(t.FindControl(IDC_MESSAGE)->Has("wantreturn"));  // Enter goes to the default button
}

TEST(Resources, SettingsDialogTemplate)
{
    ExpectControls(IDD_SETTINGS, {{"static", -1, "SMTP Server", false},
                                  {"edit", 1004, "", true},
                                  {"static", -1, "From:", false},
                                  {"edit", 1005, "", true},
                                  {"defbutton", 1, "OK", true},
                                  {"button", 2, "Cancel", true},
                                  {"groupbox", -1, "", false}});
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(IDD_SETTINGS, t));
    EXPECT_EQ(t.caption, "E-mail to SMS Settings");
    EXPECT_EQ(t.menu, 0);
}

TEST(Resources, MalformedTemplatesAreRefused)
{
    DialogTemplate t;
    for (const char* text : {"", "static -1 \"x\" 1 2 3 4\n", "dialog 5 \"x\" 10\n",
                             "dialog 5 \"x\" 10 10\nwidget 1 \"\" 1 1 1 1\n", "dialog 5 \"x\" 10 10\nedit 1 \"\" 1 1 1\n",
                             "dialog 5 \"x\" 10 10\nedit one \"\" 1 1 1 1\n"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ParseDialogTemplate(text, t));
    }
    EXPECT_TRUE(ParseDialogTemplate("# c\ndialog 5 \"a \\\"b\\\"\" 10 10 # size\nedit 1 \"\" 1 1 1 1 border\n", t));
    EXPECT_EQ(t.caption, "a \"b\"");
    EXPECT_FALSE(LoadDialogTemplate(9999, t));
}

TEST(Resources, DialogUnitsFromTheDialogFontsBaseUnits)
{
    // With base units of 6 x 13 pixels the main dialog's 260 x 175 units are 390 x 284 pixels.
    EXPECT_EQ(DialogUnitsToPixelsX(260, 6), 390);
    EXPECT_EQ(DialogUnitsToPixelsY(175, 13), 284);
    EXPECT_EQ(DialogUnitsToPixelsX(17, 6), 26);  // 25.5 rounds up
    EXPECT_EQ(DialogUnitsToPixelsY(12, 13), 20);  // 19.5 rounds up
}

TEST(Resources, MainMenu)
{
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_MAINMENU));
    ASSERT_EQ(menu.GetMenuItemCount(), 4);
    const char* titles[] = {"&Program", "&Configure", "&Edit", "&Help"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(menu.GetItem(i).text, titles[i]);
    EXPECT_TRUE(menu.GetItem(3).rightAligned);
    CMenu* help = menu.GetSubMenu(3);
    ASSERT_NE(help, nullptr);
    ASSERT_EQ(help->GetMenuItemCount(), 3);
    EXPECT_EQ(help->GetItem(0).id, ID_HELP_CONTENTS);
    EXPECT_TRUE(help->GetItem(1).separator);
    EXPECT_EQ(help->GetItem(2).id, ID_HELP_ABOUT);
    EXPECT_EQ(help->GetItem(2).text, "&About...");
    EXPECT_EQ(menu.GetSubMenu(0)->GetItem(0).id, ID_PROGRAM_EXIT);
    EXPECT_EQ(menu.GetSubMenu(1)->GetItem(0).id, ID_CONFIGURE_SETTINGS);
    EXPECT_EQ(menu.GetSubMenu(2)->GetItem(0).id, ID_EDIT_RECIPIENTS);

    CMenu broken;
    EXPECT_FALSE(broken.Parse("menu 1\npopup \"x\"\nitem 5 \"y\"\n"));  // no end
    EXPECT_FALSE(broken.Parse("menu 1\nitem 0 \"y\"\n"));
}

TEST(Resources, MenuCommandsAboveTheToolkitsRangeRoundTrip)
{
    for (UINT command : {16u, 32771u, 57670u, 0xF060u}) {
        int id = MenuCommandToToolkitId(command);
        EXPECT_LT(id, 0x7FFF);
        EXPECT_EQ(ToolkitIdToMenuCommand(id), command);
        EXPECT_EQ(MenuCommandToToolkitId(command), id);
    }
    EXPECT_EQ(ToolkitIdToMenuCommand(5), 0u);
}

TEST(Resources, StringTable)
{
    EXPECT_EQ(LoadStringResource(57344), "Quillo");
    EXPECT_EQ(LoadStringResource(IDS_ABOUTBOX), "&About Quillo...");
    EXPECT_EQ(LoadStringResource(IDP_SOCKETS_INIT_FAILED), "Windows sockets initialization failed.");
    EXPECT_EQ(LoadStringResource(105), "Properties");
    EXPECT_EQ(LoadStringResource(4), "");
    EXPECT_EQ(AfxGetAppTitle(), "Quillo");
    EXPECT_FALSE(FindResourceFile("icon-128-32.png").empty());
    EXPECT_FALSE(FindResourceFile("icon-128-16.png").empty());
}

// A small window class chain to pin the dispatch rules.
struct Base : CWnd {
    std::vector<std::string> calls;
    void OnA() { calls.push_back("base A"); }
    void OnB() { calls.push_back("base B"); }
    static const MessageMap* ClassMessageMap()
    {
        static const MessageMapEntry entries[] = {OnCommand<&Base::OnA>(100), OnCommand<&Base::OnB>(101)};
        static const MessageMap map{nullptr, entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }
};

struct Derived : Base {
    WPARAM sysCommand = 0;
    void OnA() { calls.push_back("derived A"); }
    void OnSys(WPARAM id, LPARAM) { sysCommand = id; }
    LRESULT OnQuery(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; }
    static const MessageMap* ClassMessageMap()
    {
        static const MessageMapEntry entries[] = {OnCommand<&Derived::OnA>(100), OnMessage<&Derived::OnSys>(WM_SYSCOMMAND),
                                                  OnMessage<&Derived::OnQuery>(WM_QUERYDRAGICON)};
        static const MessageMap map{&Base::ClassMessageMap, entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }
};

TEST(MessageMaps, TheMostDerivedHandlerRunsOnce)
{
    Derived w;
    w.SendMessage(WM_COMMAND, 100);
    w.SendMessage(WM_COMMAND, 101);
    w.SendMessage(WM_COMMAND, 102);  // no handler: nothing happens
    EXPECT_EQ(w.calls, (std::vector<std::string>{"derived A", "base B"}));
    w.SendMessage(WM_SYSCOMMAND, 0xF060);
    EXPECT_EQ(w.sysCommand, 0xF060u);
    EXPECT_EQ(w.SendMessage(WM_QUERYDRAGICON, 40, 2), 42);
}

TEST(MessageMaps, EveryTableHasOneHandlerPerNumber)
{
    for (const MessageMap* map : {CDialog::ClassMessageMap(), CSenderDlg::ClassMessageMap(), CSenderApp::ClassMessageMap()})
        EXPECT_FALSE(HasDuplicateEntries(*map));
    static const MessageMapEntry twice[] = {OnCommand<&Base::OnA>(7), OnCommand<&Base::OnB>(7)};
    EXPECT_TRUE(HasDuplicateEntries(MessageMap{nullptr, twice}));
}

TEST(MessageMaps, TheMainDialogRoutesEveryCommandOfItsTable)
{
    const MessageMap* map = CSenderDlg::ClassMessageMap();
    for (UINT id : {ID_CONFIGURE_SETTINGS, ID_PROGRAM_EXIT, ID_EDIT_RECIPIENTS, UINT(IDC_SEND), ID_HELP_ABOUT,
                    UINT(IDC_RELOAD), UINT(IDOK), UINT(IDCANCEL)})
        EXPECT_NE(FindMessageEntry(map, WM_COMMAND, id), nullptr) << id;
    for (UINT message : {WM_SYSCOMMAND, WM_PAINT, WM_QUERYDRAGICON})
        EXPECT_NE(FindMessageEntry(map, message, 0), nullptr) << message;
    // Help is the application's.
    EXPECT_EQ(FindMessageEntry(map, WM_COMMAND, ID_HELP_CONTENTS), nullptr);
    for (UINT id : {ID_HELP_CONTENTS, ID_HELP})
        EXPECT_NE(FindMessageEntry(CSenderApp::ClassMessageMap(), WM_COMMAND, id), nullptr) << id;
}

// A dialog without a window: commands in the application's range go on to the application.
struct CountingApp : CWinApp {
    int helps = 0;
    void OnHelp() { ++helps; }
    static const MessageMap* ClassMessageMap()
    {
        static const MessageMapEntry entries[] = {OnCommand<&CountingApp::OnHelp>(ID_HELP)};
        static const MessageMap map{nullptr, entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ClassMessageMap(); }
};

TEST(MessageMaps, UnhandledApplicationCommandsReachTheApplication)
{
    CountingApp app;  // the latest application object is the current one
    CDialog dialog(IDD_SETTINGS);
    dialog.SendMessage(WM_COMMAND, ID_HELP);
    dialog.SendMessage(WM_COMMAND, 1234);  // outside the range: stays with the dialog
    EXPECT_EQ(app.helps, 1);
}

TEST(ComboBox, KeepsItsEntriesSortedWithoutAControl)
{
    CComboBox box;
    EXPECT_EQ(box.GetCurSel(), CB_ERR);
    for (const char* e : {"b@x", "", "A@x", "a@x", "c@x", "b@x"})
        box.AddString(e);
    std::vector<std::string> entries;
    for (int i = 0; i < box.GetCount(); ++i)
        entries.push_back(box.GetLBText(i));
    EXPECT_EQ(entries, (std::vector<std::string>{"", "A@x", "a@x", "b@x", "b@x", "c@x"}));

    box.SetCurSel(3);
    EXPECT_EQ(box.AddString("0"), 1);  // an entry sorted before the selection moves it along
    EXPECT_EQ(box.GetCurSel(), 4);
    EXPECT_EQ(box.GetLBText(box.GetCurSel()), "b@x");
    EXPECT_EQ(box.GetLBTextLen(4), 3);
    EXPECT_EQ(box.GetLBTextLen(99), CB_ERR);
    EXPECT_EQ(box.GetLBText(-1), "");
    EXPECT_EQ(box.SetCurSel(99), CB_ERR);
    EXPECT_EQ(box.GetCurSel(), CB_ERR);

    box.SetCurSel(0);
    box.ResetContent();
    EXPECT_EQ(box.GetCount(), 0);
    EXPECT_EQ(box.GetCurSel(), CB_ERR);
}

TEST(Text, CharactersAreCountedNotBytes)
{
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length("abc"), 3u);
    EXPECT_EQ(Utf8Length("\xc3\xa9t\xc3\xa9"), 3u);      // été
    EXPECT_EQ(Utf8Length("\xe2\x82\xac\xf0\x9f\x98\x80"), 2u);  // euro sign, emoji
}

TEST(StartUp, SocketsFailureShowsString103AndEndsWithoutAWindow)
{
    std::vector<MessageBoxRecord> boxes;
    SetMessageBoxHook([&](const MessageBoxRecord& r) {
        boxes.push_back(r);
        return IDOK;
    });
    SetWSAStartupFailureForTest(10091);  // WSASYSNOTREADY
    CSenderApp app;
    EXPECT_FALSE(app.InitInstance());
    SetWSAStartupFailureForTest(0);
    SetMessageBoxHook({});
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Windows sockets initialization failed.");
    EXPECT_EQ(boxes[0].caption, "Quillo");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace
