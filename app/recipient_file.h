#pragma once
// The recipient list "recipients.txt" in the current folder: one address per line, shown in the
// main dialog's sorted drop-down list. The program never writes the list; the user edits it in a
// text editor and reloads it.
#include <cstddef>

class CComboBox;
class CWnd;

// Longest entry; a longer line is cut into pieces of this length, each its own entry.
inline constexpr std::size_t kMaxRecipientLength = 79;
// Entries read at most from one file; the rest is ignored, as if the file ended there.
inline constexpr std::size_t kMaxRecipients = 10000;

// Appends the file's entries to list without selecting one. A missing file is created empty.
// When the file can neither be opened nor created it shows "Unable to open Recipients file", owned
// by owner, and leaves the list as it was.
void LoadRecipients(CComboBox& list, const CWnd* owner);

// The Reload button: empties the list (and its selection) and loads the file again.
void ReloadRecipients(CComboBox& list, const CWnd* owner);

// The Recipients command: opens the file in the user's text editor and returns at once.
void EditRecipients();
