#include "app/recipient_file.h"

#include "platform/ui/combo_box.h"
#include "platform/ui/message_box.h"
#include "platform/ui/win_types.h"
#include "platform/win_exec.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kRecipientFile = "recipients.txt";
constexpr char kCtrlZ = 0x1A;

// Reads the file through a small buffer; end of file, a read error and Ctrl+Z all end it.
class TextReader {
public:
    explicit TextReader(int fd) : m_fd(fd) {}

    // The next byte, or -1 at the end of the text.
    int Get()
    {
        if (m_ended || (m_pos == m_len && !Fill()))
            return -1;
        char c = m_buffer[m_pos++];
        if (c == kCtrlZ) {
            m_ended = true;
            return -1;
        }
        return static_cast<unsigned char>(c);
    }

    // Gives back the byte just taken by Get.
    void Unget() { --m_pos; }

private:
    bool Fill()
    {
        ssize_t n;
        do
            n = ::read(m_fd, m_buffer, sizeof m_buffer);
        while (n < 0 && errno == EINTR);
        if (n <= 0) {
            m_ended = true;
            return false;
        }
        m_pos = 0;
        m_len = static_cast<std::size_t>(n);
        return true;
    }

    int m_fd;
    char m_buffer[4096];
    std::size_t m_pos = 0;
    std::size_t m_len = 0;
    bool m_ended = false;
};

// One line as it reads in text mode: a carriage return directly before a line feed is dropped.
// Returns false when the text ended before any character.
bool ReadEntry(TextReader& reader, std::string& entry)
{
    entry.clear();
    bool any = false;
    while (entry.size() < kMaxRecipientLength) {
        int c = reader.Get();
        if (c < 0)
            return any;
        any = true;
        if (c == '\n')
            return true;
        if (c == '\r') {
            int next = reader.Get();
            if (next == '\n')
                return true;
            if (next >= 0)
                reader.Unget();
        }
        entry.push_back(static_cast<char>(c));
    }
    return true;
}

}  // namespace

void LoadRecipients(CComboBox& list, const CWnd* owner)
{
    // Opening with O_CREAT makes a missing file, empty and writable, in one step. Non-blocking so
    // that a FIFO in its place cannot stall the program; only a regular file is read.
    int fd = ::open(kRecipientFile, O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        ShowMessageBox(owner, "Unable to open Recipients file", "Error", MB_ICONEXCLAMATION);
        return;
    }

    TextReader reader(fd);
    std::string entry;
    for (std::size_t count = 0; count < kMaxRecipients && ReadEntry(reader, entry); ++count)
        list.AddString(entry.c_str());
    ::close(fd);
}

void ReloadRecipients(CComboBox& list, const CWnd* owner)
{
    list.ResetContent();
    LoadRecipients(list, owner);
}

void EditRecipients()
{
    // The editor finds the file in the folder it inherits, the one LoadRecipients reads from.
    WinExec("notepad.exe recipients.txt", SW_SHOW);
}
