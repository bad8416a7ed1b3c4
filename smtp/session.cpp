// Opening and closing the SMTP session: connect, greeting, HELO or EHLO, QUIT.
#include "smtp/smtp_connection.h"

#include <string>

CSMTPConnection::CSMTPConnection() = default;

CSMTPConnection::~CSMTPConnection()
{
    if (m_connected)
        CloseSession();
}

bool CSMTPConnection::ExtensionHook(std::uint32_t, std::uint32_t) { return true; }

bool CSMTPConnection::OpenSession(const char* host, AuthMechanism mechanism, const char* userName,
                                  const char* password, int port, const char* localAddress)
{
    if (!m_socket.CreateStream())
        return false;
    if (!m_socket.ConnectTo(host, port, localAddress))
        return false;
    m_connected = true;

    if (!ExpectReply(220)) {
        CloseSession();
        return false;
    }
    if (m_helloName == "auto") {
        char name[100];
        if (wsock::gethostname(name, sizeof name) == 0 && name[0] != '\0')
            m_helloName = name;
        else
            m_helloName = "localhost";  // HELO needs some name
    }
    const bool greeted = mechanism == NoLogin
                             ? GreetPlain(m_helloName.c_str())
                             : GreetExtended(m_helloName.c_str(), userName, password, mechanism);
    if (!greeted) {
        CloseSession();
        return false;
    }
    return true;
}

bool CSMTPConnection::GreetExtended(const char* helloName, const char* userName, const char* password,
                                    AuthMechanism mechanism)
{
    if (!SendCommand(std::string("EHLO ") + helloName))
        return false;
    if (!ExpectReply(250))
        return false;
    switch (mechanism) {
    case CramMd5: return AuthenticateCramMd5(userName, password);
    case Login: return AuthenticateLogin(userName, password);
    case LoginPlain: return AuthenticateLoginPlain(userName, password);
    default: return false;
    }
}

bool CSMTPConnection::GreetPlain(const char* helloName)
{
    if (!SendCommand(std::string("HELO ") + helloName))
        return false;
    return ExpectReply(250);
}

bool CSMTPConnection::CloseSession()
{
    bool closed = false;
    if (m_connected) {
        SendCommand("QUIT");  // the reply wait tells whether it arrived
        closed = ExpectReply(221);
        if (!closed)
            SetLastError(ERROR_BAD_COMMAND);
        m_connected = false;
    }
    m_socket.Close();
    return closed;
}
