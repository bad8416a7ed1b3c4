#pragma once
// The shell's readers open their files by relative name in the current folder. Targets that
// fuzz them work in a private temporary folder, made once per process and removed at its end;
// linking this file gives the target a start-up that enters it and counts message boxes.
#include <cstddef>
#include <string>

namespace fuzz {

// Makes the folder and changes into it; the first call only. Aborts when that is impossible.
void EnterPrivateFolder();
// Replaces the named file in the current folder with exactly these bytes.
void WriteFile(const char* name, const std::string& bytes);
// The whole content of the named file in the current folder.
std::string ReadFile(const char* name);
// Every message box is counted here instead of shown.
int& MessageBoxCount();
// The fuzzer's bytes as the named file's content, with the box count back at zero.
std::string PlaceInput(const char* name, const unsigned char* data, std::size_t size);

}  // namespace fuzz
