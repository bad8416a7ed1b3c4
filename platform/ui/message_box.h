#pragma once
// Message boxes: every box the program or the layer shows goes through ShowMessageBox, which is
// also the one seam where tests record each box and answer it without a display.
#include <functional>
#include <string>

class CWnd;

inline constexpr unsigned MB_OK = 0x00000000;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x00000030;
inline constexpr unsigned MB_ICONINFORMATION = 0x00000040;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    unsigned type = MB_OK;
    const CWnd* owner = nullptr;
};

// Shows a modal box owned by owner (null: the application's main window, if any) and returns the
// button pressed. An empty caption shows the application title.
int ShowMessageBox(const CWnd* owner, const std::string& text, const std::string& caption, unsigned type);

// Tests install a hook that sees every box instead of the screen and returns the answer;
// an empty hook restores the real boxes.
using MessageBoxHook = std::function<int(const MessageBoxRecord&)>;
void SetMessageBoxHook(MessageBoxHook hook);
