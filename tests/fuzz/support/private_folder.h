#pragma once
// The shell's readers open their files by relative name in the current folder. Targets that
// fuzz them work in a private temporary folder, made once per process and removed at its end.
#include <string>

namespace fuzz {

// Makes the folder and changes into it; the first call only. Aborts when that is impossible.
void EnterPrivateFolder();
// Replaces the named file in the current folder with exactly these bytes.
void WriteFile(const char* name, const std::string& bytes);
// The whole content of the named file in the current folder.
std::string ReadFile(const char* name);
// Every message box from then on is counted here instead of shown; the targets reset it.
int& MessageBoxCount();
void CountMessageBoxes();

}  // namespace fuzz
