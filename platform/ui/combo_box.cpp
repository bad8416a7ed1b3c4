#include "platform/ui/combo_box.h"

#include <wx/combobox.h>

#include <algorithm>
#include <cctype>

namespace {
// The list's order: case folded, as a sorted drop-down list orders its entries.
bool SortsBefore(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}
}  // namespace

wxComboBox* CComboBox::Control() const
{
    return dynamic_cast<wxComboBox*>(m_wnd);
}

int CComboBox::AddString(const char* text)
{
    std::string entry = text ? text : "";
    auto at = std::upper_bound(m_entries.begin(), m_entries.end(), entry, SortsBefore);
    int index = static_cast<int>(at - m_entries.begin());
    m_entries.insert(at, entry);
    if (m_selection >= index)
        ++m_selection;
    if (wxComboBox* c = Control())
        c->Insert(ToToolkit(entry), static_cast<unsigned>(index));
    return index;
}

void CComboBox::ResetContent()
{
    m_entries.clear();
    m_selection = CB_ERR;
    if (wxComboBox* c = Control())
        c->Clear();
}

int CComboBox::GetCount() const
{
    return static_cast<int>(m_entries.size());
}

int CComboBox::GetCurSel() const
{
    if (wxComboBox* c = Control()) {
        int sel = c->GetSelection();
        return sel >= 0 && sel < GetCount() ? sel : CB_ERR;
    }
    return m_selection;
}

int CComboBox::SetCurSel(int index)
{
    m_selection = index >= 0 && index < GetCount() ? index : CB_ERR;
    if (wxComboBox* c = Control())
        c->SetSelection(m_selection == CB_ERR ? wxNOT_FOUND : m_selection);
    return index == CB_ERR ? CB_ERR : m_selection;
}

int CComboBox::GetLBTextLen(int index) const
{
    return index >= 0 && index < GetCount() ? static_cast<int>(m_entries[static_cast<std::size_t>(index)].size()) : CB_ERR;
}

std::string CComboBox::GetLBText(int index) const
{
    return index >= 0 && index < GetCount() ? m_entries[static_cast<std::size_t>(index)] : std::string();
}

void CComboBox::OnAttached()
{
    wxComboBox* c = Control();
    if (!c)
        return;
    c->Clear();
    for (const std::string& e : m_entries)
        c->Append(ToToolkit(e));
    c->SetSelection(m_selection == CB_ERR ? wxNOT_FOUND : m_selection);
}

void CComboBox::OnDetaching()
{
    m_selection = GetCurSel();  // the user's choice outlives the control
}
