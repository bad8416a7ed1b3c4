#pragma once
// One SMTP conversation, as a client, over a plain TCP connection.
#include "platform/last_error.h"
#include "smtp/mail_socket.h"

#include <cstdint>
#include <string>
#include <string_view>

class CMailAddress;
class CMailMessage;
class CMimePart;

// The login that OpenSession performs after greeting the server.
enum AuthMechanism : std::int32_t {
    NoLogin = 0,     // HELO, no login
    CramMd5 = 1,     // EHLO, then AuthenticateCramMd5
    Login = 2,       // EHLO, then AuthenticateLogin
    LoginPlain = 3,  // EHLO, then AuthenticateLoginPlain
};

class CSMTPConnection {
public:
    static constexpr DWORD kDefaultReplyTimeout = 60000;
    // A reply that grows past this many bytes without completing ends the read (10040).
    static constexpr std::int32_t kMaxReplyLength = 64 * 1024;

    CSMTPConnection();
    CSMTPConnection(const CSMTPConnection&) = delete;
    CSMTPConnection& operator=(const CSMTPConnection&) = delete;

    // Virtual slots, in this order; every reply wait goes through ExpectReply so that a
    // subclass may replace the reply handling.
    virtual ~CSMTPConnection();
    virtual bool ExtensionHook(std::uint32_t first, std::uint32_t second);
    virtual bool ExpectReply(std::int32_t expectedCode);
    virtual bool ReadReply(char* buffer, std::int32_t capacity, const char* terminator,
                           std::int32_t expectedCode, char** grownBuffer, std::int32_t growthStep);

    // Session (connect, greeting, HELO or EHLO and login; QUIT).
    bool OpenSession(const char* host, AuthMechanism mechanism, const char* userName,
                     const char* password, int port, const char* localAddress);
    bool CloseSession();
    bool GreetExtended(const char* helloName, const char* userName, const char* password,
                       AuthMechanism mechanism);
    bool GreetPlain(const char* helloName);
    std::string GetLastReply() const { return m_lastReply; }

    // Logins after EHLO.
    bool AuthenticateCramMd5(const char* userName, const char* password);
    bool AuthenticateLogin(const char* userName, const char* password);
    bool AuthenticateLoginPlain(const char* userName, const char* password);

    // Message transmission over an open session.
    bool SendMail(const CMailMessage& message);
    bool SendRecipient(const CMailAddress& recipient);
    bool SendPart(const CMimePart& part, bool skipHeader);

    std::int32_t GetLastReplyCode() const { return m_lastReplyCode; }
    const std::string& GetHelloName() const { return m_helloName; }
    bool IsConnected() const { return m_connected; }
    DWORD GetReplyTimeout() const { return m_replyTimeout; }
    void SetReplyTimeout(DWORD milliseconds) { m_replyTimeout = milliseconds; }

    // Whether text may stand inside a command line: no CR, LF or NUL.
    static bool IsSafeCommandText(std::string_view text);

protected:
    // Sends one command line: line followed by CR LF, in one write. Every command the
    // client sends passes here, so a CR, LF or NUL inside it (a second command smuggled
    // in through an address or a user name) is refused before anything is sent:
    // false with ERROR_INVALID_PARAMETER (87).
    bool SendCommand(std::string_view line);
    // Sends message data as it stands (header, body pieces, end of data).
    bool SendData(const char* data, std::size_t length);

    CMailSocket m_socket;
    bool m_connected = false;
    std::string m_lastReply;
    std::string m_helloName = "auto";
    DWORD m_replyTimeout = kDefaultReplyTimeout;
    std::int32_t m_lastReplyCode = 0;
};
