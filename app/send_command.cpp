#include "app/send_command.h"

#include "app/settings_file.h"
#include "mime/mail_address.h"
#include "mime/mail_message.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/wnd.h"
#include "smtp/smtp_connection.h"

namespace {

std::string SelectedRecipient(const CComboBox& recipients)
{
    int index = recipients.GetCurSel();
    return index == CB_ERR ? std::string() : recipients.GetLBText(index);
}

// The server's refusal, to show below a failure text: the last line of the last reply when it
// carries a 4xx or 5xx code. Other replies (the 250 before a broken connection, the 221 to the QUIT
// that follows a failed opening) would only mislead.
std::string RefusalLine(const std::string& reply)
{
    std::string line = reply;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::size_t start = line.find_last_of('\n');
    if (start != std::string::npos)
        line.erase(0, start + 1);
    if (line.size() < 3 || (line[0] != '4' && line[0] != '5') || line[1] < '0' || line[1] > '9'
        || line[2] < '0' || line[2] > '9')
        return {};
    // One line of reasonable length, whatever the server sent.
    constexpr std::size_t kMaxShown = 200;
    if (line.size() > kMaxShown)
        line.resize(kMaxShown);
    // Replies are ASCII; anything else (control bytes, bytes that are no valid UTF-8 for the
    // toolkit) is masked so the line shows as it came.
    for (char& c : line) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F)
            c = '?';
    }
    return line;
}

void ReportSendFailure(const CWnd& owner, const std::string& lastReply)
{
    std::string text = "Could not send SMS";
    std::string refusal = RefusalLine(lastReply);
    if (!refusal.empty())
        text += "\n" + refusal;
    owner.MessageBox(text.c_str(), "SMS Sending Error", MB_ICONEXCLAMATION);
}

}  // namespace

void RunSendCommand(const CWnd& owner, const CComboBox& recipients, const std::string& subject,
                    const std::string& message, const SendTransport& transport)
{
    std::string recipient = SelectedRecipient(recipients);
    if (recipient.empty()) {
        owner.MessageBox("No Recipient Selected!", "Recipient Selection Error", MB_ICONEXCLAMATION);
        return;
    }

    // Declared first so that it is destroyed last: its QUIT follows the report.
    CSMTPConnection connection;
    if (transport.replyTimeout != 0)
        connection.SetReplyTimeout(transport.replyTimeout);

    // The outcome is judged by the results, not by whether a reply text came: a refused greeting,
    // HELO or recipient leaves reply text behind but is no success.
    if (!connection.OpenSession(g_smtpServer.c_str(), NoLogin, nullptr, nullptr, transport.port,
                                nullptr)) {
        std::string reply = connection.GetLastReply();
        if (reply.empty())
            owner.MessageBox("Please check your Internet connection.", "Internet Connection Status",
                             MB_ICONEXCLAMATION);
        else
            ReportSendFailure(owner, reply);
        return;
    }

    CMailMessage mail;
    mail.AppendRecipient(CMailAddress(recipient), KindTo);
    mail.AppendRecipient(CMailAddress(g_fromAddress), KindBcc);
    mail.mailerName = kMailerName;
    mail.sender = CMailAddress(g_fromAddress);
    mail.subject = subject;
    mail.SetMessageText(message);

    if (connection.SendMail(mail))
        owner.MessageBox("SMS Sent!", "SMS Sending Status Report", MB_ICONINFORMATION);
    else
        ReportSendFailure(owner, connection.GetLastReply());
}
