#pragma once
// Message and command numbers of the window layer, with the values the program's tables use.
#include <cstdint>

using UINT = unsigned;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_CONTEXTMENU = 0x007B;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;

// System commands (WM_SYSCOMMAND); the low four bits are the system's own.
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_CLOSE = 0xF060;

// Menu item flags.
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// Show states.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;

// The standard help command and the range of commands a dialog hands on to the application.
inline constexpr UINT ID_HELP = 57670;
inline constexpr UINT kFirstAppCommand = 0x8000;
inline constexpr UINT kLastAppCommand = 0xEFFF;
