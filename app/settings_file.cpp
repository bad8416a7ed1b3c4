#include "app/settings_file.h"

#include "platform/ui/message_box.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

std::string g_smtpServer;
std::string g_fromAddress;

namespace {

constexpr const char* kSettingsFile = "quillo.cfg";
// The file holds two short words; anything past this much is never looked at.
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;
constexpr char kCtrlZ = 0x1A;  // ends a text file, as the recipient list reads it too

void ReportOpenError(const CWnd* owner)
{
    ShowMessageBox(owner, "Error opening config file", "Error", MB_ICONEXCLAMATION);
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Takes the next word off text, skipping white space before it; empty when none is left.
std::string NextWord(std::string_view& text)
{
    std::size_t start = 0;
    while (start < text.size() && IsWhiteSpace(text[start]))
        ++start;
    std::size_t end = start;
    while (end < text.size() && !IsWhiteSpace(text[end]))
        ++end;
    std::string word(text.substr(start, std::min(end - start, kMaxSettingsWord)));
    text.remove_prefix(end);
    return word;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t DefaultFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The file that the settings name stands for: the target of a symbolic link, so that replacing it
// keeps the link.
std::string ResolveTarget()
{
    struct stat st {};
    if (::lstat(kSettingsFile, &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(kSettingsFile, nullptr)) {
            std::string target = real;
            std::free(real);
            return target;
        }
    }
    return kSettingsFile;
}

// A folder that refuses new files leaves no way but to rewrite an existing, writable file in place.
bool WriteInPlace(const std::string& target, std::string_view content)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool ReplaceFile(const std::string& target, std::string_view content)
{
    std::string temp = target + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        if ((errno == EACCES || errno == EPERM) && ::access(target.c_str(), W_OK) == 0)
            return WriteInPlace(target, content);
        return false;
    }
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : DefaultFileMode();
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) {
        // Make the rename itself durable; the new content is in place either way.
        std::size_t slash = target.rfind('/');
        std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
        int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

}  // namespace

bool ReadSettingsFile(const CWnd* owner, std::string& from, std::string& server)
{
    // Non-blocking open so that a FIFO in the file's place cannot stall the program; only a
    // regular file counts as the settings file.
    int fd = ::open(kSettingsFile, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        ReportOpenError(owner);
        return false;
    }

    std::string content(kMaxSettingsBytes, '\0');
    std::size_t length = 0;
    while (length < content.size()) {
        ssize_t n = ::read(fd, content.data() + length, content.size() - length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // a failed read ends the file where it stopped
        length += static_cast<std::size_t>(n);
    }
    ::close(fd);
    content.resize(length);

    std::string_view text = content;
    text = text.substr(0, text.find(kCtrlZ));
    from = NextWord(text);
    server = NextWord(text);
    return true;
}

bool WriteSettingsFile(const CWnd* owner, const std::string& from, const std::string& server)
{
    if (!ReplaceFile(ResolveTarget(), from + " " + server)) {
        ReportOpenError(owner);
        return false;
    }
    return true;
}
