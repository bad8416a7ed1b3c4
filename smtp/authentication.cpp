#include "smtp/smtp_connection.h"

// The logins are not there yet: every mechanism fails like an unknown one.
bool CSMTPConnection::AuthenticateCramMd5(const char*, const char*) { return false; }
bool CSMTPConnection::AuthenticateLogin(const char*, const char*) { return false; }
bool CSMTPConnection::AuthenticateLoginPlain(const char*, const char*) { return false; }
