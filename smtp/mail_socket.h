#pragma once
// A blocking IPv4 stream socket that turns each platform call into true or false.
// It does no buffering and no retrying; the reply time-out lives in the reply reader.
#include "platform/sockets.h"

#include <cstddef>

class CMailSocket {
public:
    CMailSocket() = default;
    ~CMailSocket();
    CMailSocket(const CMailSocket&) = delete;
    CMailSocket& operator=(const CMailSocket&) = delete;

    // Creates a socket; callers create one only when none is held.
    bool CreateStream();
    // Binds to localAddress when it is given and not empty, then connects to host:port.
    // A name that cannot be resolved fails with 10022 before any connect.
    bool ConnectTo(const char* host, int port, const char* localAddress);
    // Sends the whole run; false only when the platform reports a failure.
    bool SendBytes(const char* data, std::size_t length);
    // One receive: the count, 0 when the peer has closed, SOCKET_ERROR on failure.
    int ReceiveBytes(char* buffer, int capacity);
    void Close();
    // Whether data or the peer's close is waiting, after at most waitMilliseconds.
    bool PollReadable(bool& readable, DWORD waitMilliseconds = 0);

    SOCKET Handle() const { return m_socket; }

private:
    SOCKET m_socket = INVALID_SOCKET;
};
