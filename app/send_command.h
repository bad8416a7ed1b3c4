#pragma once
// The Send command: one plain-text mail from the configured From address to the selected
// recipient, through the configured SMTP server, with the outcome told in a message box.
#include "platform/last_error.h"

#include <string>

class CComboBox;
class CWnd;

// Where the Send command's connection goes besides the configured server: port 25 and the
// connection's own reply time-out for the program; tests point it elsewhere.
struct SendTransport {
    int port = 25;
    DWORD replyTimeout = 0;  // milliseconds; 0 keeps the connection's default
};

inline constexpr const char* kMailerName = "Quillo Version 1.0";

// Sends subject and message to the entry selected in recipients, from g_fromAddress through
// g_smtpServer, and reports the outcome in a box owned by owner:
//   no entry selected, or an empty one     -> "No Recipient Selected!" (no connection is opened)
//   the session could not be opened and no
//   reply text came from the server at all -> "Please check your Internet connection."
//   any other failure to open or to send   -> "Could not send SMS"
//   the server accepted the message        -> "SMS Sent!"
// A failure box adds the server's refusal on a second line when there is one. The session is
// closed (QUIT) after the box has been dismissed.
void RunSendCommand(const CWnd& owner, const CComboBox& recipients, const std::string& subject,
                    const std::string& message, const SendTransport& transport = {});
