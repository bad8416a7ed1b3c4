#include "platform/sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace wsock {
namespace {

int Fail()
{
    WSASetLastError(static_cast<int>(WsaErrorFromErrno(errno)));
    return SOCKET_ERROR;
}

}  // namespace

SOCKET socket(int af, int type, int protocol)
{
    SOCKET s = ::socket(af, type | SOCK_CLOEXEC, protocol);
    if (s < 0) {
        Fail();
        return INVALID_SOCKET;
    }
    if (type == SOCK_STREAM) {
        int on = 1;
        ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    return s;
}

int bind(SOCKET s, const sockaddr* name, int nameLength)
{
    return ::bind(s, name, static_cast<socklen_t>(nameLength)) == 0 ? 0 : Fail();
}

int connect(SOCKET s, const sockaddr* name, int nameLength)
{
    int rc;
    do {
        rc = ::connect(s, name, static_cast<socklen_t>(nameLength));
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : Fail();
}

int send(SOCKET s, const char* data, std::size_t length, int flags)
{
    if (length > static_cast<std::size_t>(INT32_MAX)) {
        WSASetLastError(static_cast<int>(WSAEMSGSIZE));
        return SOCKET_ERROR;
    }
    std::size_t sent = 0;
    // A zero-length send still checks the socket, as one call of send would.
    do {
        ssize_t n = ::send(s, data + sent, length - sent, flags | MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fail();
        }
        sent += static_cast<std::size_t>(n);
    } while (sent < length);
    return static_cast<int>(length);
}

int recv(SOCKET s, char* buffer, int capacity, int flags)
{
    ssize_t n;
    do {
        n = ::recv(s, buffer, capacity > 0 ? static_cast<std::size_t>(capacity) : 0, flags);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail() : static_cast<int>(n);
}

int select_readable(SOCKET s, DWORD waitMilliseconds)
{
    if (s < 0) {
        WSASetLastError(static_cast<int>(WSAENOTSOCK));
        return SOCKET_ERROR;
    }
    pollfd p{s, POLLIN, 0};
    int wait = waitMilliseconds > INT32_MAX ? INT32_MAX : static_cast<int>(waitMilliseconds);
    int rc = ::poll(&p, 1, wait);
    if (rc < 0)
        return errno == EINTR ? 0 : Fail();
    if (rc > 0 && (p.revents & POLLNVAL)) {
        WSASetLastError(static_cast<int>(WSAENOTSOCK));
        return SOCKET_ERROR;
    }
    // An error or hang-up counts as readable: the next receive reports it.
    return rc > 0 ? 1 : 0;
}

int closesocket(SOCKET s)
{
    if (s < 0) {
        WSASetLastError(static_cast<int>(WSAENOTSOCK));
        return SOCKET_ERROR;
    }
    return ::close(s) == 0 ? 0 : Fail();
}

in_addr_t inet_addr(const char* text)
{
    in_addr address{};
    if (text == nullptr || ::inet_aton(text, &address) == 0)
        return INADDR_NONE;
    return address.s_addr;
}

bool gethostbyname(const char* name, in_addr_t& address)
{
    if (name == nullptr || *name == '\0')
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return true;
}

int gethostname(char* name, int nameLength)
{
    if (name == nullptr || nameLength <= 0) {
        WSASetLastError(static_cast<int>(WSAEFAULT));
        return SOCKET_ERROR;
    }
    if (::gethostname(name, static_cast<std::size_t>(nameLength)) != 0
        || std::memchr(name, '\0', static_cast<std::size_t>(nameLength)) == nullptr) {
        name[0] = '\0';
        WSASetLastError(static_cast<int>(WSAEFAULT));
        return SOCKET_ERROR;
    }
    return 0;
}

}  // namespace wsock
