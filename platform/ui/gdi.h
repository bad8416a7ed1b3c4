#pragma once
// Colours, fonts and the colour request of static controls. A static control asks its parent
// for its colours each time it is about to draw (WM_CTLCOLORSTATIC, with a drawing context in
// wParam); here the request goes straight to the control's own message map, and what the handler
// selects into the context (font, text colour) is applied to the toolkit control.
#include "platform/ui/wnd.h"

#include <cstdint>
#include <memory>
#include <string>

class wxFont;

using COLORREF = std::uint32_t;  // 0x00BBGGRR
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }
constexpr unsigned GetRValue(COLORREF c) { return c & 0xFF; }
constexpr unsigned GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr unsigned GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }

inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_CAPTURECHANGED = 0x0215;
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Stock brushes; the colour request returns one (as its LRESULT).
using HBRUSH = std::intptr_t;
inline constexpr HBRUSH NULL_BRUSH = 5;

struct LOGFONT {
    std::string faceName;
    int pointSize = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
};

class CFont {
public:
    CFont();
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    bool CreateFontIndirect(const LOGFONT& font);
    bool GetLogFont(LOGFONT& font) const;
    const wxFont* GetToolkitFont() const { return m_font.get(); }

private:
    std::unique_ptr<wxFont> m_font;
};

// The drawing context handed to a colour request.
class CDC {
public:
    void SelectObject(const CFont* font) { m_font = font; }
    COLORREF SetTextColor(COLORREF colour);
    int SetBkMode(int mode);

    const CFont* GetFont() const { return m_font; }
    COLORREF GetTextColor() const { return m_textColour; }
    int GetBkMode() const { return m_bkMode; }

private:
    const CFont* m_font = nullptr;
    COLORREF m_textColour = 0;
    int m_bkMode = OPAQUE;
};

// The font the control draws with (WM_GETFONT); false when it is not attached.
bool GetWindowFont(const CWnd& control, LOGFONT& font);

// Runs the control's colour request and applies the result; returns the brush it answered.
HBRUSH RequestStaticColours(CWnd& control);

// Redraws the whole control (background included), asking for its colours first, as a static
// control does before it draws.
void InvalidateStatic(CWnd& control);
