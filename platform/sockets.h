#pragma once
// IPv4 stream sockets in the shape of Windows Sockets 1.1. Every failing call leaves its
// error in the thread's last error, in the Windows Sockets numbering.
#include "platform/last_error.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>

using SOCKET = int;
inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int SOCKET_ERROR = -1;

// The calls live in their own namespace so that they never collide with the POSIX ones.
namespace wsock {

// A new socket, or INVALID_SOCKET. Stream sockets are created with TCP_NODELAY: a message
// goes out as several writes back to back, and Nagle's algorithm would hold the later ones
// until the peer's delayed acknowledgement.
SOCKET socket(int af, int type, int protocol);
int bind(SOCKET s, const sockaddr* name, int nameLength);
int connect(SOCKET s, const sockaddr* name, int nameLength);
// Sends the whole run (a blocking socket may accept it in several pieces); returns the
// length or SOCKET_ERROR. Never raises SIGPIPE when the peer has gone.
int send(SOCKET s, const char* data, std::size_t length, int flags);
// One receive; the count, 0 when the peer has closed the connection, or SOCKET_ERROR.
int recv(SOCKET s, char* buffer, int capacity, int flags);
// Waits at most waitMilliseconds (0: not at all) for data or the peer's close on s.
// Returns 1 when readable, 0 when not, SOCKET_ERROR when the test cannot be made.
int select_readable(SOCKET s, DWORD waitMilliseconds);
int closesocket(SOCKET s);

// A dotted address in network byte order, or INADDR_NONE when the text is none.
in_addr_t inet_addr(const char* text);
// Looks a host name up; true with its first IPv4 address (network byte order).
bool gethostbyname(const char* name, in_addr_t& address);
// The local host name, zero-terminated; 0 or SOCKET_ERROR (10014 when it does not fit).
int gethostname(char* name, int nameLength);

}  // namespace wsock
