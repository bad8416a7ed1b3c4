#pragma once
// WinExec: starts a program from a command line and returns without waiting for it.
// "notepad.exe FILE" (or "notepad FILE") opens FILE in the user's text editor: the desktop's default
// handler for text files through xdg-open, else the first installed of a few common editors. Any
// other command line runs its program, found on PATH, with its arguments. No shell sees the command
// line; the started program is detached and never left as a zombie.
#include <string>
#include <vector>

// Greater than 31 when a program was started; 2 (ERROR_FILE_NOT_FOUND) when none could be found;
// 0 when the system had no resources to start one. The show state (SW_SHOW and its kin, defined by
// the window layer) is accepted and not used: the started program shows its own window.
unsigned WinExec(const char* commandLine, int showCommand);

// The words of a command line, split at spaces and tabs; double quotes group words with spaces.
std::vector<std::string> SplitCommandLine(const char* commandLine);

// Editors tried, in order, when xdg-open is missing or cannot open the file.
const std::vector<std::string>& TextEditorCandidates();
