#pragma once
// The shell's special folders, mapped onto this desktop's folders:
//   CSIDL_DESKTOP   -> the XDG desktop folder ($XDG_DESKTOP_DIR, else XDG_DESKTOP_DIR in
//                      $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop)
//   CSIDL_FAVORITES -> ~/Favorites
// A folder that does not exist yet is created (one level, under an existing parent), as the
// shell keeps these folders present for every user.
#include <cstddef>
#include <string>

class CWnd;

inline constexpr int CSIDL_DESKTOP = 0;
inline constexpr int CSIDL_FAVORITES = 6;
inline constexpr std::size_t MAX_PATH = 260;

// Writes the folder's path, zero-terminated, into path (room for MAX_PATH characters). False, with
// path left empty, for an unknown folder, a path that does not fit, or a folder that cannot be made.
bool SHGetSpecialFolderPathA(const CWnd* owner, char* path, int csidl, bool create);

// The folder's path without creating it or checking its length; empty for an unknown folder.
std::string SpecialFolderPath(int csidl);
