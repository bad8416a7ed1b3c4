#pragma once
// A real SMTP server (Debian's aiosmtpd) on loopback for the lifetime of this object.
// It is started in the constructor, which returns once the server accepts connections,
// and stopped (killed and reaped) in the destructor.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillo::test {

class SmtpSink {
public:
    struct Message {
        std::string mailFrom;                // envelope sender
        std::vector<std::string> rcptTos;    // envelope recipients, in order
        std::string data;                    // the message bytes received after DATA
    };

    // Throws std::runtime_error when the server cannot be started (in time).
    SmtpSink();
    ~SmtpSink();
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    std::uint16_t Port() const { return m_port; }
    // The messages accepted so far, in order of arrival.
    std::vector<Message> Messages() const;
    // Waits until at least count messages have been stored; true when they have.
    bool WaitForMessages(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    // Where the server script lives, for tests that run it themselves.
    static std::filesystem::path ScriptPath();

private:
    void Stop();

    std::filesystem::path m_folder;
    int m_pid = -1;
    int m_stdin = -1;  // closing it also stops the server
    std::uint16_t m_port = 0;
};

}  // namespace quillo::test
