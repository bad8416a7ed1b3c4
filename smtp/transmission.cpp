// Message transmission over an open session: envelope, DATA, header, body, end of data.
#include "smtp/smtp_connection.h"

#include "mime/mail_message.h"
#include "mime/quoted_printable.h"

namespace {

constexpr RecipientKind kKindsInOrder[] = {KindTo, KindCc, KindBcc};

// Every envelope address must fit in its command line. Checked before MAIL FROM, so a bad
// recipient does not leave a half-open transaction behind on the server.
bool EnvelopeIsSafe(const CMailMessage& message)
{
    if (!CSMTPConnection::IsSafeCommandText(message.sender.address))
        return false;
    for (RecipientKind kind : kKindsInOrder) {
        for (int i = 0; i < message.RecipientCount(kind); ++i) {
            const CMailAddress* recipient = message.RecipientAt(i, kind);
            if (recipient != nullptr && !CSMTPConnection::IsSafeCommandText(recipient->address))
                return false;
        }
    }
    return true;
}

}  // namespace

bool CSMTPConnection::SendMail(const CMailMessage& message)
{
    if (!EnvelopeIsSafe(message)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!SendCommand("MAIL FROM:<" + message.sender.address + ">"))
        return false;
    if (!ExpectReply(250)) {
        SetLastError(ERROR_BAD_COMMAND);
        return false;
    }
    for (RecipientKind kind : kKindsInOrder) {
        for (int i = 0; i < message.RecipientCount(kind); ++i) {
            const CMailAddress* recipient = message.RecipientAt(i, kind);
            if (recipient != nullptr && !SendRecipient(*recipient))
                return false;
        }
    }
    if (!SendCommand("DATA"))
        return false;
    if (!ExpectReply(354)) {
        SetLastError(ERROR_BAD_COMMAND);
        return false;
    }

    const std::string header = message.ComposeHeader();
    if (!SendData(header.data(), header.size()))
        return false;

    const CMimePart& root = message.RootPart();
    if (root.ChildCount() > 0 || message.MimeMode()) {
        // The message header stands in for the root's own header block.
        if (!SendPart(root, true))
            return false;
    } else {
        // The header declares quoted-printable, so the text goes out encoded when the
        // root says so; the stored text already has CR LF line ends and doubled periods.
        const std::string body = root.QpEncode() ? QpEncode(root.Text()) : root.Text();
        if (!SendData("\r\n", 2) || !SendData(body.data(), body.size()))
            return false;
    }

    if (!SendData("\r\n.\r\n", 5))
        return false;
    if (!ExpectReply(250)) {
        SetLastError(ERROR_BAD_COMMAND);
        return false;
    }
    return true;
}

bool CSMTPConnection::SendRecipient(const CMailAddress& recipient)
{
    if (!SendCommand("RCPT TO:<" + recipient.address + ">"))
        return false;
    if (!ExpectReply(250)) {
        SetLastError(ERROR_BAD_COMMAND);
        return false;
    }
    return true;
}

bool CSMTPConnection::SendPart(const CMimePart& part, bool skipHeader)
{
    // One piece made by the part: produced, sent with one write, freed at once. A piece the
    // part cannot produce ends the part; a failed send is remembered and the part goes on.
    bool sentAll = true;
    const auto sendPiece = [&](bool (CMimePart::*emit)(char*&, std::size_t&) const) {
        char* buffer = nullptr;
        std::size_t length = 0;
        if (!(part.*emit)(buffer, length))
            return false;
        if (!SendData(buffer, length))
            sentAll = false;
        CMimePart::DiscardBuffer(buffer);
        return true;
    };

    if (!skipHeader && !sendPiece(&CMimePart::EmitHeader))
        return false;
    if (!sendPiece(&CMimePart::EmitBody))
        return false;
    for (int i = 0; i < part.ChildCount() && sentAll; ++i)
        sentAll = SendPart(*part.ChildAt(i), false);
    if (part.ChildCount() > 0 && !sendPiece(&CMimePart::EmitClosing))
        return false;
    return sentAll;
}
