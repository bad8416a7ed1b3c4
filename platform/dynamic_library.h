#pragma once
// Libraries loaded at run time, by name, in the manner of the Windows loader: a null handle or a
// null address means "not there", with the reason in the thread's last error.
#include "platform/last_error.h"

struct ModuleHandle;                 // opaque: what the loader returned
using HMODULE = ModuleHandle*;
using FARPROC = void (*)();

inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

// Loads the named library (a bare name is searched for on the loader's path); null when it is
// missing or cannot be loaded.
HMODULE LoadLibraryA(const char* name);
// The address of an exported function; null when the library does not export it.
FARPROC GetProcAddress(HMODULE module, const char* name);
// Drops one reference taken by LoadLibraryA.
bool FreeLibrary(HMODULE module);
