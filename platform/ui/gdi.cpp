#include "platform/ui/gdi.h"

#include <wx/font.h>
#include <wx/window.h>

CFont::CFont() = default;
CFont::~CFont() = default;

bool CFont::CreateFontIndirect(const LOGFONT& font)
{
    wxFontInfo info(font.pointSize > 0 ? font.pointSize : 8);
    info.FaceName(ToToolkit(font.faceName)).Italic(font.italic).Underlined(font.underline);
    if (font.weight >= 700)
        info.Bold();
    auto made = std::make_unique<wxFont>(info);
    if (!made->IsOk())
        return false;
    m_font = std::move(made);
    return true;
}

bool CFont::GetLogFont(LOGFONT& font) const
{
    if (!m_font)
        return false;
    font.faceName = FromToolkit(m_font->GetFaceName());
    font.pointSize = m_font->GetPointSize();
    font.weight = m_font->GetWeight() >= wxFONTWEIGHT_BOLD ? 700 : 400;
    font.italic = m_font->GetStyle() == wxFONTSTYLE_ITALIC;
    font.underline = m_font->GetUnderlined();
    return true;
}

COLORREF CDC::SetTextColor(COLORREF colour)
{
    COLORREF old = m_textColour;
    m_textColour = colour;
    return old;
}

int CDC::SetBkMode(int mode)
{
    int old = m_bkMode;
    m_bkMode = mode;
    return old;
}

bool GetWindowFont(const CWnd& control, LOGFONT& font)
{
    wxWindow* w = control.GetSafeHwnd();
    if (w == nullptr)
        return false;
    wxFont f = w->GetFont();
    if (!f.IsOk())
        return false;
    font.faceName = FromToolkit(f.GetFaceName());
    font.pointSize = f.GetPointSize();
    font.weight = f.GetWeight() >= wxFONTWEIGHT_BOLD ? 700 : 400;
    font.italic = f.GetStyle() == wxFONTSTYLE_ITALIC;
    font.underline = f.GetUnderlined();
    return true;
}

HBRUSH RequestStaticColours(CWnd& control)
{
    CDC dc;
    auto brush = static_cast<HBRUSH>(
        control.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc), 0));
    wxWindow* w = control.GetSafeHwnd();
    if (w == nullptr)
        return brush;
    if (const CFont* font = dc.GetFont(); font != nullptr && font->GetToolkitFont() != nullptr)
        w->SetFont(*font->GetToolkitFont());
    COLORREF c = dc.GetTextColor();
    w->SetForegroundColour(wxColour(GetRValue(c), GetGValue(c), GetBValue(c)));
    // A transparent background with the null brush lets the parent's background show: the
    // control keeps no background colour of its own.
    if (dc.GetBkMode() == TRANSPARENT && brush == NULL_BRUSH)
        w->SetBackgroundColour(wxNullColour);
    return brush;
}

void InvalidateStatic(CWnd& control)
{
    RequestStaticColours(control);
    if (wxWindow* w = control.GetSafeHwnd())
        w->Refresh(true);
}
