#include "platform/ui/dialog.h"

#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include <string>

std::size_t Utf8Length(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

namespace {
GtkTextBuffer* BufferOf(wxTextCtrl* text)
{
    auto* widget = static_cast<GtkWidget*>(text->GetHandle());
    if (widget && GTK_IS_SCROLLED_WINDOW(widget))
        widget = gtk_bin_get_child(GTK_BIN(widget));
    return widget && GTK_IS_TEXT_VIEW(widget) ? gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget)) : nullptr;
}

// Keeps a multi-line field at its limit: what is being typed or pasted is cut to fit, as the
// control's own limit would, before it reaches the text. The shortened insert revalidates the
// caller's iterator, as the buffer's own insert would.
void OnInsertText(GtkTextBuffer* buffer, GtkTextIter* location, gchar* text, gint length, gpointer limitData)
{
    const glong limit = GPOINTER_TO_INT(limitData);
    const glong have = gtk_text_buffer_get_char_count(buffer);
    const glong adding = g_utf8_strlen(text, length);
    if (have + adding <= limit)
        return;
    g_signal_stop_emission_by_name(buffer, "insert-text");
    const glong room = limit > have ? limit - have : 0;
    if (room == 0)
        return;
    const gchar* end = g_utf8_offset_to_pointer(text, room);
    g_signal_handlers_block_by_func(buffer, reinterpret_cast<gpointer>(OnInsertText), limitData);
    gtk_text_buffer_insert(buffer, location, text, static_cast<gint>(end - text));
    g_signal_handlers_unblock_by_func(buffer, reinterpret_cast<gpointer>(OnInsertText), limitData);
}

void BlockLimit(GtkTextBuffer* buffer, bool block)
{
    if (!buffer)
        return;
    auto func = reinterpret_cast<gpointer>(OnInsertText);
    if (block)
        g_signal_handlers_block_matched(buffer, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr, func, nullptr);
    else
        g_signal_handlers_unblock_matched(buffer, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr, func, nullptr);
}
}  // namespace

void LimitText(wxWindow* edit, int count)
{
    auto* text = dynamic_cast<wxTextCtrl*>(edit);
    if (!text)
        return;
    if (!text->IsMultiLine()) {
        text->SetMaxLength(static_cast<unsigned long>(count));
        return;
    }
    // The toolkit's own limit does nothing on a multi-line field.
    GtkTextBuffer* buffer = BufferOf(text);
    if (!buffer)
        return;
    g_signal_handlers_disconnect_matched(buffer, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                         reinterpret_cast<gpointer>(OnInsertText), nullptr);
    g_signal_connect(buffer, "insert-text", G_CALLBACK(OnInsertText), GINT_TO_POINTER(count));
}

void SetTextUnlimited(wxTextCtrl* text, const std::string& value)
{
    // The limit is for the user; text set by the program goes in whole, as with the original control.
    GtkTextBuffer* buffer = text->IsMultiLine() ? BufferOf(text) : nullptr;
    BlockLimit(buffer, true);
    text->ChangeValue(ToToolkit(value));
    BlockLimit(buffer, false);
}

wxWindow* CDataExchange::PrepareCtrl(int controlId)
{
    m_lastControl = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(controlId) : nullptr;
    return m_lastControl;
}

void CDataExchange::Fail()
{
    m_failed = true;
    if (!m_lastControl)
        return;
    m_lastControl->SetFocus();
    if (auto* text = dynamic_cast<wxTextCtrl*>(m_lastControl))
        text->SelectAll();
}

void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control)
{
    if (pDX->Failed() || control.GetSafeHwnd())
        return;
    if (wxWindow* w = pDX->PrepareCtrl(controlId)) {
        control.Attach(w);
        pDX->m_pDlgWnd->m_attached.push_back(&control);
    }
}

void DDX_Text(CDataExchange* pDX, int controlId, std::string& value)
{
    if (pDX->Failed())
        return;
    auto* text = dynamic_cast<wxTextCtrl*>(pDX->PrepareCtrl(controlId));
    if (!text)
        return;
    if (pDX->m_bSaveAndValidate)
        value = FromToolkit(text->GetValue());
    else
        SetTextUnlimited(text, value);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int count)
{
    if (pDX->Failed())
        return;
    if (!pDX->m_bSaveAndValidate) {
        // PrepareCtrl of the exchange just before named the control.
        LimitText(pDX->LastControl(), count);
        return;
    }
    if (Utf8Length(value) <= static_cast<std::size_t>(count))
        return;
    std::string text = "Please enter no more than %1 characters.";
    text.replace(text.find("%1"), 2, std::to_string(count));
    ShowMessageBox(pDX->m_pDlgWnd, text, "", MB_ICONEXCLAMATION);
    pDX->Fail();
}
