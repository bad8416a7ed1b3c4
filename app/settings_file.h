#pragma once
// The settings file "quillo.cfg" in the current folder: the From address and the SMTP server as two
// words. The reader accepts any white space around and between them and ignores what follows.
#include <cstddef>
#include <string>

class CWnd;

// The two settings the Send command uses, filled once by the main dialog when it opens.
extern std::string g_smtpServer;
extern std::string g_fromAddress;

// Reads the first two words of the file into from and server (a missing word reads as empty) and
// returns true. When the file cannot be opened it shows "Error opening config file", owned by owner,
// leaves both strings as they were and returns false.
bool ReadSettingsFile(const CWnd* owner, std::string& from, std::string& server);

// Writes "from server" (no line end) and returns true. The new content goes to a temporary file in
// the same folder that then replaces the old file in one rename, so a failed or interrupted write
// leaves the old file whole. On any failure it shows "Error opening config file", owned by owner,
// and returns false.
bool WriteSettingsFile(const CWnd* owner, const std::string& from, const std::string& server);

// Longest word the reader keeps; the rest of a longer word is skipped. Far above any host name or
// e-mail address, so every value the writer produces for real use reads back whole.
inline constexpr std::size_t kMaxSettingsWord = 1024;
