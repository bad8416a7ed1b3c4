#include "tests/support/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace quillo::test {
namespace {

constexpr int kSliceMs = 20;

bool WaitReadable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}

}  // namespace

std::vector<ScriptedPeer::Step> ScriptedPeer::Answer(std::string reply)
{
    return {ReadLine(), Send(std::move(reply))};
}

ScriptedPeer::ScriptedPeer(std::vector<Step> script, std::chrono::milliseconds stepTimeout)
    : m_script(std::move(script)), m_stepTimeout(stepTimeout)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        throw std::runtime_error("scripted peer: socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listener, 4) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(m_listener);
        throw std::runtime_error("scripted peer: cannot listen on loopback");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listener);
}

std::string ScriptedPeer::Received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<std::string> ScriptedPeer::Lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool ScriptedPeer::WaitUntilClientCloses(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    m_done.wait_for(lock, timeout, [this] { return m_finished.load(); });
    return m_clientClosed.load();
}

bool ScriptedPeer::ReadMore(int fd, std::chrono::steady_clock::time_point deadline)
{
    while (!m_stop && std::chrono::steady_clock::now() < deadline) {
        if (!WaitReadable(fd, kSliceMs))
            continue;
        char chunk[4096];
        ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_clientClosed = true;
            return false;
        }
        std::lock_guard lock(m_mutex);
        m_received.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    return false;
}

bool ScriptedPeer::FillUntil(int fd, std::size_t wanted, const std::string* marker, std::string& out)
{
    const auto deadline = std::chrono::steady_clock::now() + m_stepTimeout;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            std::string_view pending(m_received);
            pending.remove_prefix(m_consumed);
            std::size_t take = 0;
            if (marker != nullptr) {
                std::size_t found = pending.find(*marker);
                if (found != std::string_view::npos)
                    take = found + marker->size();
            } else if (pending.size() >= wanted) {
                take = wanted;
            }
            if (take != 0 || (marker == nullptr && wanted == 0)) {
                out.assign(pending.substr(0, take));
                m_consumed += take;
                return true;
            }
        }
        if (!ReadMore(fd, deadline))
            return false;
    }
}

void ScriptedPeer::Run()
{
    int fd = -1;
    while (!m_stop) {
        if (!WaitReadable(m_listener, kSliceMs))
            continue;
        fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            break;
    }
    if (fd >= 0) {
        m_accepted = true;
        bool ok = true;
        bool open = true;
        for (const Step& step : m_script) {
            if (!ok || !open || m_stop)
                break;
            switch (step.kind) {
            case Step::Kind::Send: {
                std::size_t sent = 0;
                while (sent < step.bytes.size()) {
                    ssize_t n = ::send(fd, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0) {
                        ok = false;
                        break;
                    }
                    sent += static_cast<std::size_t>(n);
                }
                break;
            }
            case Step::Kind::ReadLine:
            case Step::Kind::ReadUntil:
            case Step::Kind::ReadBytes: {
                static const std::string lineEnd = "\n";
                std::string got;
                const std::string* marker = step.kind == Step::Kind::ReadLine    ? &lineEnd
                                            : step.kind == Step::Kind::ReadUntil ? &step.bytes
                                                                                 : nullptr;
                ok = FillUntil(fd, step.count, marker, got);
                if (ok && marker != nullptr) {
                    std::lock_guard lock(m_mutex);
                    m_lines.push_back(got);
                }
                break;
            }
            case Step::Kind::Pause: {
                const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.milliseconds);
                while (!m_stop && std::chrono::steady_clock::now() < until)
                    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kSliceMs, step.milliseconds)));
                break;
            }
            case Step::Kind::Close:
                ::shutdown(fd, SHUT_WR);
                break;
            case Step::Kind::Reset: {
                linger hard{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
                ::close(fd);
                open = false;
                m_clientClosed = true;  // nothing more can arrive
                break;
            }
            }
        }
        m_completed = ok;
        // Keep recording until the client goes away, so that tests see all it sent.
        if (open) {
            const auto forever = std::chrono::steady_clock::time_point::max();
            while (!m_stop && ReadMore(fd, forever)) {
            }
            ::close(fd);
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
}

}  // namespace quillo::test
