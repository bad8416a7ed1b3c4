#include "platform/ui/dialog.h"

#include <wx/textctrl.h>

#include <map>
#include <string>

std::size_t Utf8Length(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

namespace {
std::map<wxWindow*, int>& Limits()
{
    static std::map<wxWindow*, int> limits;
    return limits;
}

// Keeps a text control at its limit: what was just typed or pasted is cut to fit, as the
// control's own limit would. The insertion point follows the inserted text, so the excess is the
// part just before it.
void EnforceLimit(wxCommandEvent& e)
{
    e.Skip();
    auto* text = dynamic_cast<wxTextCtrl*>(e.GetEventObject());
    auto it = text ? Limits().find(text) : Limits().end();
    if (it == Limits().end())
        return;
    const long length = static_cast<long>(text->GetValue().length());
    const long excess = length - it->second;
    if (excess <= 0)
        return;
    long at = text->GetInsertionPoint();
    if (at < excess)
        at = length;
    text->Remove(at - excess, at);
    text->SetInsertionPoint(at - excess);
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
    auto [it, added] = Limits().insert_or_assign(text, count);
    if (added) {
        text->Bind(wxEVT_TEXT, EnforceLimit);
        text->Bind(wxEVT_DESTROY, [text](wxWindowDestroyEvent& e) {
            if (e.GetEventObject() == text)
                Limits().erase(text);
            e.Skip();
        });
    }
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
        text->ChangeValue(ToToolkit(value));
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
