#include "support/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace fuzz {
namespace {

struct Listener {
    int fd = -1;
    std::uint16_t port = 0;

    Listener()
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 16) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            std::perror("fuzz listener on 127.0.0.1");
            std::abort();
        }
        port = ntohs(address.sin_port);
    }
};

Listener& TheListener()
{
    static Listener listener;
    return listener;
}

}  // namespace

std::uint16_t ListenerPort() { return TheListener().port; }

int AcceptClient(int waitMilliseconds)
{
    pollfd p{TheListener().fd, POLLIN, 0};
    if (::poll(&p, 1, waitMilliseconds) <= 0)
        return -1;
    const int fd = ::accept4(TheListener().fd, nullptr, nullptr, SOCK_CLOEXEC);
    // Each chunk goes out at once, not held back until the client acknowledges the one before.
    const int on = 1;
    if (fd >= 0)
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

bool SendAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

void CloseClient(int fd, bool reset)
{
    if (fd < 0)
        return;
    if (reset) {
        linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(fd);
}

}  // namespace fuzz
