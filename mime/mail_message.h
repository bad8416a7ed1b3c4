#pragma once
// Everything that describes one mail before it is sent: sender, recipients by kind, subject,
// X-Mailer text, Reply-To, extra header lines, MIME mode and the body's root part. It composes
// the header text and never touches the network.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mime/mail_address.h"
#include "mime/mime_part.h"
#include "platform/local_time.h"

enum RecipientKind { KindTo = 0, KindCc = 1, KindBcc = 2 };

class CMailMessage {
public:
    CMailMessage();
    CMailMessage(const CMailMessage&) = delete;
    CMailMessage& operator=(const CMailMessage&) = delete;
    virtual ~CMailMessage();

    // Stores a copy in the list of that kind and returns its index; -1 (nothing stored) for a
    // number that is no kind.
    int AppendRecipient(const CMailAddress& address, int kind);
    // 0 for a number that is no kind.
    int RecipientCount(int kind) const;
    // Null for a number that is no kind or an index outside the list.
    const CMailAddress* RecipientAt(int index, int kind) const;

    // Single-part: the root's text. MIME mode: the first text/plain child's text, turning the
    // root into a multipart/mixed container with one such child when it has none.
    void SetMessageText(const std::string& text);
    // The complete header, ending in the empty line that separates it from the body (see the
    // comment at the definition for extra header lines).
    virtual std::string ComposeHeader() const;
    // The header-word encoder with the root's charset.
    std::string QEncodeIfNeeded(const std::string& value) const;

    CMimePart& RootPart() { return m_rootPart; }
    const CMimePart& RootPart() const { return m_rootPart; }
    bool MimeMode() const { return m_mimeMode; }
    void SetMimeMode(bool on) { m_mimeMode = on; }
    // A further header line, without its line end, written after Reply-To.
    void AddHeaderLine(const std::string& line) { m_extraHeaderLines.push_back(line); }
    const std::vector<std::string>& ExtraHeaderLines() const { return m_extraHeaderLines; }

    // Where the Date line takes the local time and its UTC offset; tests give a fixed moment.
    void SetClock(std::function<LocalTime()> clock) { m_clock = std::move(clock); }

    CMailAddress sender;
    std::string subject;
    std::string mailerName = "CSMTPConnection v2.17";
    CMailAddress replyTo;

private:
    using AddressList = std::vector<std::unique_ptr<CMailAddress>>;
    AddressList* ListOf(int kind);
    const AddressList* ListOf(int kind) const;

    CMimePart m_rootPart;
    // Each entry is allocated on its own, so an address handed out stays where it is.
    AddressList m_toList;
    AddressList m_ccList;
    AddressList m_bccList;
    std::vector<std::string> m_extraHeaderLines;
    bool m_mimeMode = false;
    std::function<LocalTime()> m_clock;
};
