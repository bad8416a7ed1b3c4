#include "mime/mail_message.h"

#include "mime/date_text.h"
#include "mime/header_value.h"
#include "mime/header_word.h"

namespace {

std::string JoinRendered(const std::vector<std::unique_ptr<CMailAddress>>& list)
{
    std::string joined;
    for (const auto& address : list) {
        if (!joined.empty()) joined += ',';
        joined += address->Render();
    }
    return joined;
}

}  // namespace

CMailMessage::CMailMessage() = default;

CMailMessage::~CMailMessage() = default;

CMailMessage::AddressList* CMailMessage::ListOf(int kind)
{
    switch (kind) {
    case KindTo: return &m_toList;
    case KindCc: return &m_ccList;
    case KindBcc: return &m_bccList;
    default: return nullptr;
    }
}

const CMailMessage::AddressList* CMailMessage::ListOf(int kind) const
{
    return const_cast<CMailMessage*>(this)->ListOf(kind);
}

int CMailMessage::AppendRecipient(const CMailAddress& address, int kind)
{
    AddressList* list = ListOf(kind);
    if (!list) return -1;
    list->push_back(std::make_unique<CMailAddress>(address));
    return static_cast<int>(list->size()) - 1;
}

int CMailMessage::RecipientCount(int kind) const
{
    const AddressList* list = ListOf(kind);
    return list ? static_cast<int>(list->size()) : 0;
}

const CMailAddress* CMailMessage::RecipientAt(int index, int kind) const
{
    const AddressList* list = ListOf(kind);
    if (!list || index < 0 || static_cast<std::size_t>(index) >= list->size()) return nullptr;
    return (*list)[static_cast<std::size_t>(index)].get();
}

void CMailMessage::SetMessageText(const std::string& text)
{
    if (!m_mimeMode) {
        m_rootPart.AssignText(text);
        return;
    }
    if (CMimePart* child = m_rootPart.FindChildByType("text/plain")) {
        child->AssignText(text);
        return;
    }
    const std::string charset = m_rootPart.Charset();
    m_rootPart.AssignText("This is a multi-part message in MIME format");
    m_rootPart.SetContentType("multipart/mixed");
    CMimePart body;
    body.SetCharset(charset);
    body.AssignText(text);
    m_rootPart.AppendChild(body);
}

std::string CMailMessage::QEncodeIfNeeded(const std::string& value) const
{
    return ::QEncodeIfNeeded(value, OneLineValue(m_rootPart.Charset()));
}

// Every value goes out on one line (CR and LF runs become a space) before it is encoded.
// A root with children is announced as multipart without a transfer encoding, which a multipart
// entity may not carry; any other root as its content type and charset, quoted-printable unless
// the root is set to go out as it stands: the header names what is sent.
// Extra header lines end without an empty line on the single-part path, where the transmitter
// sends one before the body; on the multipart path the header ends it here.
std::string CMailMessage::ComposeHeader() const
{
    const LocalTime now = m_clock ? m_clock() : CurrentLocalTime();
    const auto q = [this](const std::string& value) { return QEncodeIfNeeded(OneLineValue(value)); };

    std::string header = "From: " + q(sender.Render()) + "\r\nTo: " + q(JoinRendered(m_toList)) + "\r\n";
    const std::string cc = JoinRendered(m_ccList);
    if (!cc.empty()) header += "Cc: " + q(cc) + "\r\n";
    header += "Subject: " + q(subject) + "\r\nDate: " + q(DateText(now)) + "\r\nX-Mailer: " +
              q(mailerName) + "\r\n";

    const bool container = m_rootPart.ChildCount() > 0;
    const std::string type = OneLineValue(m_rootPart.ContentType());
    if (container) {
        header += "MIME-Version: 1.0\r\nContent-Type: " + type + "; boundary=\"" +
                  OneLineValue(m_rootPart.Boundary()) + "\"\r\n";
    } else {
        header += "MIME-Version: 1.0\r\nContent-Type: " + type + "; charset=" +
                  OneLineValue(m_rootPart.Charset()) + "\r\n";
        if (m_rootPart.QpEncode()) header += "Content-Transfer-Encoding: quoted-printable\r\n";
    }
    if (!replyTo.address.empty()) header += "Reply-To: " + OneLineValue(replyTo.Render()) + "\r\n";

    bool extra = false;
    for (const std::string& line : m_extraHeaderLines) {
        const std::string value = OneLineValue(line);
        // A blank line would end the header early (or, as white space alone, be no field).
        if (value.find_first_not_of(" \t") == std::string::npos) continue;
        if (extra) header += "\r\n";
        // The header goes out between DATA and the end of data as it stands: a leading period
        // is doubled here, as in a text body, so the server's removal of one leaves it intact.
        if (value[0] == '.') header += '.';
        header += value;
        extra = true;
    }
    header += "\r\n";
    if (extra && (container || m_mimeMode)) header += "\r\n";
    return header;
}
