#include "platform/ui/internet_shortcut.h"

#include "platform/ui/shell_launch.h"
#include "platform/ui/special_folder.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool HasControlCharacter(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

// "scheme:" at the start, where the scheme is one a browser knows, or any scheme followed by "//".
// A host with a port ("example.test:8080") is no scheme.
bool HasScheme(const std::string& url)
{
    std::size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(url[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    if (url.compare(colon + 1, 2, "//") == 0)
        return true;
    std::string scheme = url.substr(0, colon);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static constexpr std::array<const char*, 8> kOpaque = {"mailto", "news", "tel", "sms",
                                                           "about", "data", "javascript", "urn"};
    for (const char* known : kOpaque)
        if (scheme == known)
            return true;
    return false;
}

bool NameCharactersAllowed(const std::string& path)
{
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7f || std::strchr(":*?\"<>|", c) != nullptr)
            return false;
    }
    return true;
}

bool WriteWhole(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string GuessUrlProtocol(const std::string& url)
{
    if (url.empty() || HasScheme(url))
        return url;
    std::string lower = url.substr(0, 4);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return (lower == "ftp." ? "ftp://" : "http://") + url;
}

bool CInternetShortcut::SetURL(const char* url, unsigned flags)
{
    if (url == nullptr)
        return false;
    std::string text = url;
    // Surrounding blanks are no part of an address.
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    if (text.empty() || HasControlCharacter(text))
        return false;
    m_url = (flags & IURL_SETURL_FL_GUESS_PROTOCOL) != 0 ? GuessUrlProtocol(text) : text;
    return true;
}

bool CInternetShortcut::InvokeCommand(const URLINVOKECOMMANDINFO& info) const
{
    if (m_url.empty())
        return false;
    if (info.pcszVerb != nullptr && std::strcmp(info.pcszVerb, "open") != 0)
        return false;
    return LaunchInBrowser(m_url);
}

bool CInternetShortcut::Save(const char* path, bool remember)
{
    if (path == nullptr || m_url.empty())
        return false;
    std::string target = path;
    if (target.empty() || target.size() >= MAX_PATH || !NameCharactersAllowed(target))
        return false;
    // A backslash separates folders here as it does for the shell.
    for (char& c : target)
        if (c == '\\')
            c = '/';
    if (target.back() == '/')
        return false;

    // Written beside the target and renamed over it, so an old shortcut stays whole on failure.
    std::string temp = target + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    fchmod(fd, 0644);
    std::string content = "[InternetShortcut]\r\nURL=" + m_url + "\r\n";
    bool ok = WriteWhole(fd, content);
    ok = (close(fd) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    if (remember)
        m_savedPath = target;
    return true;
}
