#pragma once
// A server for the conversation fuzz targets: it serves one client of the process's loopback
// listener in a thread of its own. It sends the first reply at once (the greeting), then answers
// each command line with the next reply. After a DATA command, message text (which starts with
// the header's "From: ") is read up to the end-of-data line and answered as one unit. When the
// replies have run out, the next command finds the connection closed.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace fuzz {

class SmtpResponder {
public:
    explicit SmtpResponder(std::vector<std::string> replies);
    ~SmtpResponder();
    SmtpResponder(const SmtpResponder&) = delete;
    SmtpResponder& operator=(const SmtpResponder&) = delete;

    // Waits until the client has closed the connection (at most a few seconds), then stops.
    void Finish();

    // After Finish: the command lines the client sent, each with its line end as received, in
    // order; the message texts, each from the byte after the DATA line up to and including the
    // line end before the final "."; and whether every message text was ended by the client.
    const std::vector<std::string>& Commands() const { return m_commands; }
    const std::vector<std::string>& Messages() const { return m_messages; }
    bool MessagesEnded() const { return m_messagesEnded; }

private:
    void Serve(int fd);
    bool ReadMore(int fd);

    std::vector<std::string> m_replies;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::string m_pending;  // received, not yet taken as a command or message
    std::vector<std::string> m_commands;
    std::vector<std::string> m_messages;
    bool m_messagesEnded = true;
};

}  // namespace fuzz
