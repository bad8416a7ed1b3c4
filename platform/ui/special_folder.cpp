#include "platform/ui/special_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return {};
}

// One value of user-dirs.dirs: "$HOME/Desktop" or an absolute path, in double quotes.
std::string UserDirsValue(const std::string& line, const std::string& key, const std::string& home)
{
    std::size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0)
        return {};
    pos += key.size();
    if (pos >= line.size() || line[pos] != '=')
        return {};
    std::string value = line.substr(pos + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
        value.pop_back();
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return {};
    value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0)
        return home + value.substr(5);
    return value.rfind('/', 0) == 0 ? value : std::string();
}

std::string DesktopFolder(const std::string& home)
{
    if (const char* env = std::getenv("XDG_DESKTOP_DIR"); env != nullptr && env[0] == '/')
        return env;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        config = xdg;
    else if (!home.empty())
        config = home + "/.config";
    if (!config.empty()) {
        std::ifstream dirs(config + "/user-dirs.dirs");
        std::string line;
        while (dirs && std::getline(dirs, line)) {
            if (line.size() > 4096)  // no sane entry is this long
                continue;
            if (std::string value = UserDirsValue(line, "XDG_DESKTOP_DIR", home); !value.empty())
                return value;
        }
    }
    return home.empty() ? std::string() : home + "/Desktop";
}

}  // namespace

std::string SpecialFolderPath(int csidl)
{
    std::string home = HomeFolder();
    switch (csidl) {
    case CSIDL_DESKTOP: return DesktopFolder(home);
    case CSIDL_FAVORITES: return home.empty() ? std::string() : home + "/Favorites";
    default: return {};
    }
}

bool SHGetSpecialFolderPathA(const CWnd*, char* path, int csidl, bool create)
{
    if (path == nullptr)
        return false;
    path[0] = '\0';
    std::string folder = SpecialFolderPath(csidl);
    if (folder.empty() || folder.size() >= MAX_PATH)
        return false;
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) {
        if (!create || errno != ENOENT || mkdir(folder.c_str(), 0755) != 0)
            return false;
    } else if (!S_ISDIR(st.st_mode)) {
        return false;
    }
    std::memcpy(path, folder.c_str(), folder.size() + 1);
    return true;
}
