#pragma once
// A scripted SMTP peer on loopback: a server thread on 127.0.0.1 that accepts one client
// and plays a script of steps (send bytes, wait for a line or a number of bytes from the
// client, pause, close), recording every byte the client sent.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillo::test {

class ScriptedPeer {
public:
    struct Step {
        enum class Kind { Send, ReadLine, ReadUntil, ReadBytes, Pause, Close, Reset } kind;
        std::string bytes;      // Send; the marker of ReadUntil
        std::size_t count = 0;  // ReadBytes
        int milliseconds = 0;   // Pause
    };
    static Step Send(std::string bytes) { return {Step::Kind::Send, std::move(bytes)}; }
    // Waits for one line from the client (up to and including LF).
    static Step ReadLine() { return {Step::Kind::ReadLine, {}}; }
    // Waits until the client has sent marker; records all up to and including it as a line.
    static Step ReadUntil(std::string marker) { return {Step::Kind::ReadUntil, std::move(marker)}; }
    static Step ReadBytes(std::size_t count) { return {Step::Kind::ReadBytes, {}, count}; }
    static Step Pause(int milliseconds) { return {Step::Kind::Pause, {}, 0, milliseconds}; }
    // Closes the connection in an orderly way (the client sees end of stream).
    static Step Close() { return {Step::Kind::Close, {}}; }
    // Closes the connection with a reset.
    static Step Reset() { return {Step::Kind::Reset, {}}; }
    // A reply sent after the client's next command line: ReadLine then Send.
    static std::vector<Step> Answer(std::string reply);

    // Starts listening at once; the script runs when a client connects. A step that waits
    // for the client gives up after stepTimeout (the peer then closes the connection).
    explicit ScriptedPeer(std::vector<Step> script,
                          std::chrono::milliseconds stepTimeout = std::chrono::seconds(20));
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t Port() const { return m_port; }
    // Every byte the client has sent so far.
    std::string Received() const;
    // The lines recorded by ReadLine steps, in order.
    std::vector<std::string> Lines() const;
    // After the script: keeps reading until the client closes (or the time-out), so that
    // Received() holds all the client ever sent. True when the client closed in time.
    bool WaitUntilClientCloses(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Whether a client connected at all.
    bool Connected() const { return m_accepted.load(); }
    // Whether every step ran (ReadLine/ReadBytes steps got their data).
    bool ScriptCompleted() const { return m_completed.load(); }

private:
    void Run();
    bool FillUntil(int fd, std::size_t wanted, const std::string* marker, std::string& out);
    bool ReadMore(int fd, std::chrono::steady_clock::time_point deadline);

    std::vector<Step> m_script;
    std::chrono::milliseconds m_stepTimeout;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_accepted{false};
    std::atomic<bool> m_completed{false};
    std::atomic<bool> m_clientClosed{false};
    std::atomic<bool> m_finished{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    std::string m_received;       // everything the client sent
    std::size_t m_consumed = 0;   // how much of it the steps have taken
    std::vector<std::string> m_lines;
};

}  // namespace quillo::test
