#pragma once
// Numbers of the program's resources (res/) and commands.

// Dialog templates, menus, icons.
inline constexpr int IDD_SENDER_DIALOG = 102;
inline constexpr int IDD_SETTINGS = 130;
inline constexpr int IDR_MAINMENU = 129;
inline constexpr int IDR_MAINFRAME = 128;  // the program's icon

// Strings.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDP_SOCKETS_INIT_FAILED = 103;

// Controls.
inline constexpr int IDC_SUBJECT = 1001;
inline constexpr int IDC_MESSAGE = 1002;
inline constexpr int IDC_SEND = 1003;
inline constexpr int IDC_SMTP_SERVER = 1004;
inline constexpr int IDC_FROM_ADDRESS = 1005;
inline constexpr int IDC_RECIPIENTS = 1006;
inline constexpr int IDC_RELOAD = 1010;

// Menu commands.
inline constexpr unsigned ID_PROGRAM_EXIT = 32771;
inline constexpr unsigned ID_CONFIGURE_SETTINGS = 32772;
inline constexpr unsigned ID_EDIT_RECIPIENTS = 32773;
inline constexpr unsigned ID_HELP_CONTENTS = 32774;
inline constexpr unsigned ID_HELP_ABOUT = 32775;

// The system menu's About item.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// The longest message an SMS carries here, in characters.
inline constexpr int kMaxMessageChars = 80;
