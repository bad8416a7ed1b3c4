// Message transmission over an open session.
#include "smtp/smtp_connection.h"

// Not there yet: the transmission fails before anything is sent.
bool CSMTPConnection::SendMail(const CMailMessage&) { SetLastError(ERROR_BAD_COMMAND); return false; }
bool CSMTPConnection::SendRecipient(const CMailAddress&) { SetLastError(ERROR_BAD_COMMAND); return false; }
bool CSMTPConnection::SendPart(const CMimePart&, bool) { return false; }
