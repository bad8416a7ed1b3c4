#include "tests/support/smtp_sink.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace quillo::test {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::filesystem::path SmtpSink::ScriptPath()
{
    return std::filesystem::path(QUILLO_SMTP_SINK_SCRIPT);
}

SmtpSink::SmtpSink()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-sink-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("smtp sink: cannot make a folder");
    m_folder = pattern;

    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0)
        throw std::runtime_error("smtp sink: pipe failed");
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        throw std::runtime_error("smtp sink: pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    const std::string script = ScriptPath().string();
    const std::string folder = m_folder.string();
    char* argv[] = {const_cast<char*>("/usr/bin/python3"), const_cast<char*>(script.c_str()),
                    const_cast<char*>(folder.c_str()), nullptr};
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    m_stdin = toChild[1];
    if (rc != 0) {
        ::close(fromChild[0]);
        ::close(m_stdin);
        std::filesystem::remove_all(m_folder);
        throw std::runtime_error("smtp sink: cannot start /usr/bin/python3");
    }
    m_pid = pid;

    // Wait for "ready PORT": the server then accepts connections.
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (output.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fromChild[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char chunk[256];
        ssize_t n = ::read(fromChild[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fromChild[0]);
    unsigned port = 0;
    if (output.rfind("ready ", 0) == 0)
        port = static_cast<unsigned>(std::strtoul(output.c_str() + 6, nullptr, 10));
    if (port == 0 || port > 65535) {
        Stop();
        throw std::runtime_error("smtp sink: server did not start: " + output);
    }
    m_port = static_cast<std::uint16_t>(port);
}

SmtpSink::~SmtpSink() { Stop(); }

void SmtpSink::Stop()
{
    if (m_stdin >= 0) {
        ::close(m_stdin);
        m_stdin = -1;
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
        m_folder.clear();
    }
}

std::vector<SmtpSink::Message> SmtpSink::Messages() const
{
    std::vector<Message> messages;
    for (std::size_t n = 1;; ++n) {
        const auto base = m_folder / std::to_string(n);
        auto envelope = base;
        envelope += ".env";
        if (!std::filesystem::exists(envelope))
            break;
        Message message;
        std::istringstream lines(ReadFile(envelope));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("from ", 0) == 0)
                message.mailFrom = line.substr(5);
            else if (line.rfind("rcpt ", 0) == 0)
                message.rcptTos.push_back(line.substr(5));
        }
        auto data = base;
        data += ".eml";
        message.data = ReadFile(data);
        messages.push_back(std::move(message));
    }
    return messages;
}

bool SmtpSink::WaitForMessages(std::size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (Messages().size() >= count)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace quillo::test
