#include "smtp/mail_socket.h"

#include <cstring>

namespace {

// A dotted address is taken as it is; anything else is looked up.
bool ResolveAddress(const char* text, in_addr_t& address)
{
    address = wsock::inet_addr(text);
    if (address != INADDR_NONE)
        return true;
    if (wsock::gethostbyname(text, address))
        return true;
    WSASetLastError(static_cast<int>(WSAEINVAL));
    return false;
}

bool MakeAddress(const char* text, int port, sockaddr_in& out)
{
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<std::uint16_t>(port & 0xFFFF));
    return ResolveAddress(text, out.sin_addr.s_addr);
}

}  // namespace

CMailSocket::~CMailSocket() { Close(); }

bool CMailSocket::CreateStream()
{
    m_socket = wsock::socket(AF_INET, SOCK_STREAM, 0);
    return m_socket != INVALID_SOCKET;
}

bool CMailSocket::ConnectTo(const char* host, int port, const char* localAddress)
{
    sockaddr_in address;
    if (localAddress != nullptr && *localAddress != '\0') {
        if (!MakeAddress(localAddress, 0, address))
            return false;
        if (wsock::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
            return false;
    }
    if (!MakeAddress(host, port, address))
        return false;
    return wsock::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != SOCKET_ERROR;
}

bool CMailSocket::SendBytes(const char* data, std::size_t length)
{
    return wsock::send(m_socket, data, length, 0) != SOCKET_ERROR;
}

int CMailSocket::ReceiveBytes(char* buffer, int capacity)
{
    return wsock::recv(m_socket, buffer, capacity, 0);
}

void CMailSocket::Close()
{
    if (m_socket == INVALID_SOCKET)
        return;
    wsock::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

bool CMailSocket::PollReadable(bool& readable, DWORD waitMilliseconds)
{
    int count = wsock::select_readable(m_socket, waitMilliseconds);
    if (count == SOCKET_ERROR)
        return false;
    readable = count != 0;
    return true;
}
