// The three logins after EHLO: CRAM-MD5, LOGIN, and LOGIN with plain-text prompts and answers.
#include "smtp/smtp_connection.h"

#include "mime/base64_codec.h"
#include "platform/text_compare.h"
#include "smtp/md5.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The server's challenge: the last reply without its code and the blank after it.
const char* ChallengeOf(const std::string& lastReply)
{
    return lastReply.size() < 4 ? "" : lastReply.c_str() + 4;
}

const char* PlainTextOf(const CBase64Codec& codec)
{
    return reinterpret_cast<const char*>(codec.GetPlainData());
}

// A missing user name or password is sent as an empty one, never as whatever the codec last held.
const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

bool CSMTPConnection::AuthenticateLogin(const char* userName, const char* password)
{
    CBase64Codec codec;
    if (!SendCommand("AUTH LOGIN") || !ExpectReply(334))
        return false;

    codec.DecodeString(ChallengeOf(m_lastReply));
    if (std::strcmp(PlainTextOf(codec), "Username:") != 0)
        return false;
    codec.EncodeString(OrEmpty(userName));
    if (!SendCommand(codec.GetBase64Text()) || !ExpectReply(334))
        return false;

    codec.DecodeString(ChallengeOf(m_lastReply));
    if (std::strcmp(PlainTextOf(codec), "Password:") != 0)
        return false;
    codec.EncodeString(OrEmpty(password));
    if (!SendCommand(codec.GetBase64Text()))
        return false;
    return ExpectReply(235);
}

bool CSMTPConnection::AuthenticateLoginPlain(const char* userName, const char* password)
{
    if (!SendCommand("AUTH LOGIN PLAIN") || !ExpectReply(334))
        return false;

    // A first prompt other than "Username:" is passed over: the server may ask for the
    // password straight away.
    if (std::strcmp(ChallengeOf(m_lastReply), "Username:") == 0 && !SendCommand(OrEmpty(userName)))
        return false;
    if (!ExpectReply(334))
        return false;

    // Without the password the server is still waiting for one, and would take the next
    // command for it: that is no login.
    if (lstrcmpA(ChallengeOf(m_lastReply), "Password:") != 0)
        return false;
    if (!SendCommand(OrEmpty(password)))
        return false;
    return ExpectReply(235);
}

bool CSMTPConnection::AuthenticateCramMd5(const char* userName, const char* password)
{
    CBase64Codec codec;
    if (!SendCommand("AUTH CRAM-MD5") || !ExpectReply(334))
        return false;

    codec.DecodeString(ChallengeOf(m_lastReply));
    const char* challenge = PlainTextOf(codec);
    const char* key = OrEmpty(password);
    unsigned char digest[kMd5DigestSize];
    HmacMd5(reinterpret_cast<const unsigned char*>(challenge), static_cast<std::int32_t>(std::strlen(challenge)),
            reinterpret_cast<const unsigned char*>(key), static_cast<std::int32_t>(std::strlen(key)), digest);

    std::string response = OrEmpty(userName);
    response += ' ';
    for (unsigned char byte : digest) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", byte);
        response += hex;
    }
    codec.EncodeString(response.c_str());
    if (!SendCommand(codec.GetBase64Text()))
        return false;
    return ExpectReply(235);
}
