// The one way out for command lines and message data.
#include "smtp/smtp_connection.h"

#include <string>

bool CSMTPConnection::IsSafeCommandText(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool CSMTPConnection::SendCommand(std::string_view line)
{
    if (!IsSafeCommandText(line)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string wire;
    wire.reserve(line.size() + 2);
    wire.append(line).append("\r\n");
    return m_socket.SendBytes(wire.data(), wire.size());
}

bool CSMTPConnection::SendData(const char* data, std::size_t length)
{
    return m_socket.SendBytes(data, length);
}
