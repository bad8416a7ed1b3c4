#include "platform/ui/dialog.h"

#include "platform/ui/menu.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"

#include <gtk/gtk.h>
#include <cstdlib>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/iconbndl.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/weakref.h>

void MarkTemplateWindow(GtkWidget* widget);  // dialog_style.cpp

namespace {
// The template's ids 1 and 2 are the toolkit's OK and Cancel, so its own key handling agrees.
int ToToolkitId(int id)
{
    return id == IDOK ? wxID_OK : id == IDCANCEL ? wxID_CANCEL : id == -1 ? wxID_ANY : id;
}

int FromToolkitId(int id)
{
    return id == wxID_OK ? IDOK : id == wxID_CANCEL ? IDCANCEL : id;
}

// The dialog font: the templates ask for an 8-point sans serif; DejaVu Sans Condensed at the same
// size has the base units of the original dialog font at 96 DPI (6 x 13 pixels).
wxFont DialogFont(const DialogTemplate& tmpl)
{
    return wxFont(wxFontInfo(tmpl.fontSize > 0 ? tmpl.fontSize : 8).FaceName("DejaVu Sans Condensed"));
}

wxRect ToPixels(const ControlTemplate& c, const wxSize& base)
{
    return {DialogUnitsToPixelsX(c.x, base.x), DialogUnitsToPixelsY(c.y, base.y), DialogUnitsToPixelsX(c.cx, base.x),
            DialogUnitsToPixelsY(c.cy, base.y)};
}

// The dialog base units: the average character width and the height of the window's font (set
// just before), as the toolkit measures them for its own dialog units.
wxSize BaseUnits(wxWindow* parent)
{
    return {parent->GetCharWidth(), parent->GetCharHeight()};
}

std::string LabelName(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '&')
            out += c;
    while (!out.empty() && (out.back() == ':' || out.back() == ' '))
        out.pop_back();
    return out;
}

// The label of a control: the static text just above it or just left of it on its row.
std::string LabelFor(const DialogTemplate& tmpl, const ControlTemplate& control)
{
    for (const ControlTemplate& s : tmpl.controls) {
        if (s.kind != "static" || s.text.empty())
            continue;
        const bool above = std::abs(s.x - control.x) <= 4 && control.y > s.y && control.y - s.y <= 14;
        const bool left = std::abs(s.y - control.y) <= 4 && s.x + s.cx <= control.x + 2 && control.x - s.x <= 60;
        if (above || left)
            return LabelName(s.text);
    }
    return {};
}

// Names the control for assistive technology: its accessible id is the template id, its name the
// text of its label, if it has one.
void SetAccessibility(wxWindow* w, int id, const std::string& label)
{
    auto* widget = static_cast<GtkWidget*>(w->GetHandle());
    if (!widget)
        return;
    std::vector<GtkWidget*> targets{widget};
    if (GTK_IS_SCROLLED_WINDOW(widget) && gtk_bin_get_child(GTK_BIN(widget)))
        targets.push_back(gtk_bin_get_child(GTK_BIN(widget)));
    for (GtkWidget* t : targets) {
        AtkObject* a = gtk_widget_get_accessible(t);
        if (!a)
            continue;
        if (id != -1)
            atk_object_set_accessible_id(a, std::to_string(id).c_str());
        if (!label.empty())
            atk_object_set_name(a, label.c_str());
    }
}

// The combo box's drop-down button would be a second tab stop after its text; the box keeps one.
void KeepOneTabStop(GtkWidget* widget, gpointer)
{
    if (GTK_IS_TOGGLE_BUTTON(widget))
        gtk_widget_set_can_focus(widget, FALSE);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), KeepOneTabStop, nullptr);
}

// A popup marked right-aligned goes to the right end of the menu bar, as Help traditionally does.
void RightAlignPopups(const CMenu& menu, wxMenuBar* bar)
{
    auto* widget = bar ? static_cast<GtkWidget*>(bar->GetHandle()) : nullptr;
    if (!widget || !GTK_IS_MENU_SHELL(widget))
        return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    int popup = 0;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        if (!menu.GetItem(i).popup)
            continue;
        auto* item = static_cast<GtkWidget*>(g_list_nth_data(children, static_cast<guint>(popup++)));
        if (item && GTK_IS_MENU_ITEM(item) && menu.GetItem(i).rightAligned) {
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            gtk_menu_item_set_right_justified(GTK_MENU_ITEM(item), TRUE);
            G_GNUC_END_IGNORE_DEPRECATIONS
        }
    }
    g_list_free(children);
}

wxWindow* CreateControl(const ControlTemplate& c, wxWindow* parent, const wxRect& r, const wxFont& font)
{
    const int id = ToToolkitId(c.id);
    const wxString text = ToToolkit(c.text);
    wxWindow* w = nullptr;
    if (c.kind == "static") {
        long style = wxST_NO_AUTORESIZE | (c.Has("center") ? wxALIGN_CENTRE_HORIZONTAL : c.Has("right") ? wxALIGN_RIGHT : wxALIGN_LEFT);
        auto* s = new wxStaticText(parent, id, wxString(), r.GetPosition(), r.GetSize(), style);
        s->SetFont(font);
        if (c.Has("noprefix"))
            s->SetLabelText(text);
        else
            s->SetLabel(text);
        if (r.height > 2 * s->GetCharHeight())
            s->Wrap(r.width);
        w = s;
    } else if (c.kind == "edit") {
        long style = 0;
        if (c.Has("multiline"))
            style |= wxTE_MULTILINE | (c.Has("autohscroll") ? wxTE_DONTWRAP : wxTE_WORDWRAP);
        if (c.Has("readonly"))
            style |= wxTE_READONLY;
        if (c.Has("noborder"))
            style |= wxBORDER_NONE;
        w = new wxTextCtrl(parent, id, wxString(), r.GetPosition(), r.GetSize(), style);
    } else if (c.kind == "button" || c.kind == "defbutton") {
        auto* b = new wxButton(parent, id, text, r.GetPosition(), r.GetSize());
        if (c.kind == "defbutton")
            b->SetDefault();
        w = b;
    } else if (c.kind == "groupbox") {
        w = new wxStaticBox(parent, id, text, r.GetPosition(), r.GetSize());
    } else if (c.kind == "combobox") {
        // A read-only combo box: the toolkit's choice control is skipped by Tab on this toolkit.
        // The list's order is kept by the layer's combo box, so the control does not sort.
        w = new wxComboBox(parent, id, wxString(), r.GetPosition(), wxSize(r.width, -1), 0, nullptr, wxCB_READONLY);
        KeepOneTabStop(static_cast<GtkWidget*>(w->GetHandle()), nullptr);
    } else if (c.kind == "icon") {
        int iconId = 0;
        HICON icon = ParseResourceInt(c.text, iconId) ? LoadIconResource(iconId) : nullptr;
        wxBitmap bitmap;
        if (icon)
            bitmap.CopyFromIcon(icon->GetIcon(32));
        w = new wxStaticBitmap(parent, id, bitmap, r.GetPosition(), wxSize(32, 32));
    } else if (c.kind == "line") {
        w = new wxStaticLine(parent, id, r.GetPosition(), wxSize(r.width, -1), wxLI_HORIZONTAL);
    }
    if (!w)
        return nullptr;
    w->SetFont(font);
    if (!c.Has("tabstop") && (c.kind == "edit" || c.kind == "button" || c.kind == "combobox"))
        w->DisableFocusFromKeyboard();
    return w;
}
}  // namespace

CDialog::CDialog(int templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog()
{
    DestroyWindow();
}

const MessageMap* CDialog::ClassMessageMap()
{
    static const MessageMapEntry entries[] = {
        OnCommand<&CDialog::OnOK>(IDOK),
        OnCommand<&CDialog::OnCancel>(IDCANCEL),
    };
    static const MessageMap map{nullptr, entries};
    return &map;
}

void CDialog::DialogSizeInPixels(const DialogTemplate& tmpl, wxWindow* parent, int& width, int& height)
{
    parent->SetFont(DialogFont(tmpl));
    wxSize base = BaseUnits(parent);
    width = DialogUnitsToPixelsX(tmpl.cx, base.x);
    height = DialogUnitsToPixelsY(tmpl.cy, base.y);
}

std::vector<wxWindow*> CDialog::CreateControls(const DialogTemplate& tmpl, wxWindow* parent)
{
    const wxFont font = DialogFont(tmpl);
    parent->SetFont(font);
    const wxSize base = BaseUnits(parent);
    std::vector<wxWindow*> created;
    for (const ControlTemplate& c : tmpl.controls) {
        wxWindow* w = CreateControl(c, parent, ToPixels(c, base), font);
        created.push_back(w);
        if (!w)
            continue;
        if (c.kind == "edit" || c.kind == "combobox")
            SetAccessibility(w, c.id, LabelFor(tmpl, c));
        else if (c.id != -1)
            SetAccessibility(w, c.id, "");
    }
    return created;
}

bool CDialog::CreateWindowFromTemplate()
{
    if (!LoadDialogTemplate(m_templateId, m_template))
        return false;
    CWinApp* app = AfxGetApp();
    CWnd* owner = m_parent ? m_parent : app ? app->m_pMainWnd : nullptr;
    wxWindow* parent = owner && owner != this ? owner->GetSafeHwnd() : nullptr;
    if (parent)
        parent = wxGetTopLevelParent(parent);

    long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX;
    if (m_template.Has("minimizebox"))
        style |= wxMINIMIZE_BOX;
    const wxString caption = ToToolkit(m_template.caption);
    wxTopLevelWindow* top = nullptr;
    if (m_template.menu) {
        // A dialog cannot carry a menu bar on this toolkit: a template with a menu becomes a
        // frame holding a panel.
        auto* frame = new wxFrame(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, style);
        CMenu menu;
        if (menu.LoadMenu(m_template.menu)) {
            frame->SetMenuBar(menu.CreateToolkitMenuBar());
            RightAlignPopups(menu, frame->GetMenuBar());
        }
        m_client = new wxPanel(frame, wxID_ANY);
        top = frame;
    } else {
        top = new wxDialog(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, style);
        m_client = top;
    }
    MarkTemplateWindow(static_cast<GtkWidget*>(top->GetHandle()));
    m_controls = CreateControls(m_template, m_client);
    int width = 0, height = 0;
    DialogSizeInPixels(m_template, m_client, width, height);
    top->SetClientSize(width, height);
    if (m_client != top)
        m_client->SetSize(0, 0, width, height);
    Attach(top);
    BindEvents();
    return true;
}

void CDialog::BindEvents()
{
    m_wnd->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) { SendMessage(WM_COMMAND, static_cast<WPARAM>(FromToolkitId(e.GetId()))); });
    m_wnd->Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
        if (UINT command = ToolkitIdToMenuCommand(e.GetId()))
            SendMessage(WM_COMMAND, command);
    });
    m_wnd->Bind(wxEVT_MENU_OPEN, [](wxMenuEvent& e) { SetMenuOpen(true); e.Skip(); });
    m_wnd->Bind(wxEVT_MENU_CLOSE, [](wxMenuEvent& e) { SetMenuOpen(false); e.Skip(); });
    m_wnd->Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
        // The title bar's close button is the system menu's Close.
        if (e.CanVeto())
            e.Veto();
        SendMessage(WM_SYSCOMMAND, SC_CLOSE);
    });
    m_wnd->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
        if (!HandleKey(e.GetKeyCode(), e.ControlDown(), e.AltDown(), e.ShiftDown()))
            e.Skip();
    });
    // A right click on the dialog's background opens its system menu.
    m_client->Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& e) {
        wxPoint p = m_wnd->ScreenToClient(m_client->ClientToScreen(e.GetPosition()));
        ShowSystemMenu(p.x, p.y);
    });
}

bool CDialog::HandleKey(int keyCode, bool ctrl, bool alt, bool shift)
{
    (void)shift;
    if (keyCode == WXK_ESCAPE && !ctrl && !alt) {
        if (IsMenuOpen())
            return false;  // Esc closes the menu, not the dialog
        SendMessage(WM_COMMAND, IDCANCEL);
        return true;
    }
    if ((keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER) && !alt) {
        wxWindow* focus = wxWindow::FindFocus();
        if (ctrl) {
            // Ctrl+Enter types a line break in a multi-line field.
            auto* text = dynamic_cast<wxTextCtrl*>(focus);
            if (text && text->IsMultiLine() && text->IsEditable()) {
                text->WriteText("\n");
                return true;
            }
        }
        if (dynamic_cast<wxButton*>(focus))
            return false;  // a focused button answers Enter itself
        int defaultId = IDOK;
        for (const ControlTemplate& c : m_template.controls)
            if (c.kind == "defbutton") {
                defaultId = c.id;
                break;
            }
        SendMessage(WM_COMMAND, static_cast<WPARAM>(defaultId));
        return true;
    }
    if (keyCode == WXK_SPACE && alt && !ctrl) {
        ShowSystemMenu(0, 0);
        return true;
    }
    return false;
}

int CDialog::DoModal()
{
    // The focus goes back where it was when the dialog closes, as the user left it.
    wxWeakRef<wxWindow> previousFocus(wxWindow::FindFocus());
    if (m_wnd || !CreateWindowFromTemplate())
        return -1;
    m_ended = false;
    m_result = -1;
    bool focusFirst = OnInitDialog();
    if (!m_ended && m_wnd) {
        wxWindow* top = m_wnd;
        wxWindowDisabler disabler(top);
        top->Show();
        if (focusFirst)
            SetInitialFocus();
        top->Raise();
        wxGUIEventLoop loop;
        m_loop = &loop;
        if (!m_ended)
            loop.Run();
        m_loop = nullptr;
    }
    DestroyWindow();
    if (previousFocus)
        previousFocus->SetFocus();
    return m_result;
}

void CDialog::SetInitialFocus()
{
    for (std::size_t i = 0; i < m_template.controls.size() && i < m_controls.size(); ++i)
        if (m_template.controls[i].Has("tabstop") && m_controls[i] && m_controls[i]->IsEnabled()) {
            m_controls[i]->SetFocus();
            return;
        }
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    m_ended = true;
    if (m_wnd)
        m_wnd->Hide();
    if (m_loop)
        m_loop->Exit();
}

void CDialog::DestroyWindow()
{
    for (CWnd* control : m_attached)
        control->Detach();
    m_attached.clear();
    m_controls.clear();
    wxWindow* top = m_wnd;
    Detach();
    m_client = nullptr;
    // The modal loop has ended, so no handler of this window is running.
    delete top;
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

wxWindow* CDialog::GetDlgItem(int controlId) const
{
    if (!m_client || controlId == -1)
        return nullptr;
    return m_client->FindWindow(ToToolkitId(controlId));
}

void CDialog::GotoDlgCtrl(wxWindow* control)
{
    if (control)
        control->SetFocus();
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, IDCANCEL);
        return 0;
    }
    if (message == WM_COMMAND) {
        // Commands the dialog does not handle go on to the application's command map.
        AfxForwardAppCommand(wParam, lParam);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}
