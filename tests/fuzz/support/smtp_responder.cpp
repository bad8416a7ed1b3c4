#include "support/smtp_responder.h"

#include "support/loopback.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <string_view>

namespace fuzz {

SmtpResponder::SmtpResponder(std::vector<std::string> replies) : m_replies(std::move(replies))
{
    m_thread = std::thread([this] {
        const int fd = AcceptClient(5000);
        if (fd >= 0)
            Serve(fd);
        m_done = true;
    });
}

SmtpResponder::~SmtpResponder()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void SmtpResponder::Finish()
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_done && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

// Appends what the client sends next; false once it has closed (or the responder is stopped).
bool SmtpResponder::ReadMore(int fd)
{
    while (!m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        m_pending.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    return false;
}

void SmtpResponder::Serve(int fd)
{
    std::size_t next = 0;
    bool open = true;
    auto answer = [&] {
        if (next < m_replies.size()) {
            open = SendAll(fd, m_replies[next].data(), m_replies[next].size());
            ++next;
        } else {
            open = false;  // out of replies: the client finds the connection closed
        }
        if (!open)
            ::shutdown(fd, SHUT_WR);
    };
    answer();  // the greeting

    bool afterData = false;
    for (;;) {
        if (afterData && m_pending.size() < 6 && std::string_view("From: ").substr(0, m_pending.size()) == m_pending) {
            if (!ReadMore(fd))
                break;
            continue;
        }
        if (afterData && m_pending.compare(0, 6, "From: ") == 0) {
            // Message text up to the end-of-data line; its first line end may be the DATA line's.
            const std::size_t end = ("\r\n" + m_pending).find("\r\n.\r\n");
            if (end == std::string::npos) {
                if (!ReadMore(fd)) {
                    m_messages.push_back(m_pending);
                    m_messagesEnded = false;
                    m_pending.clear();
                    break;
                }
                continue;
            }
            m_messages.push_back(m_pending.substr(0, end));
            m_pending.erase(0, end + 3);
            afterData = false;
            if (open)
                answer();
            continue;
        }
        const std::size_t lf = m_pending.find('\n');
        if (lf == std::string::npos) {
            if (!ReadMore(fd))
                break;
            continue;
        }
        const std::string line = m_pending.substr(0, lf + 1);
        m_pending.erase(0, lf + 1);
        m_commands.push_back(line);
        afterData = line == "DATA\r\n";
        if (open)
            answer();
    }
    if (!m_pending.empty())
        m_commands.push_back(m_pending);  // an unfinished line
    CloseClient(fd);
}

}  // namespace fuzz
