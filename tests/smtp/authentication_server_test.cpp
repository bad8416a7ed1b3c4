// The logins against a real server that implements them: npm's smtp-server on loopback
// (tests/smtp/node/login_server.js), accepting one user and refusing anything else.
#include "smtp/smtp_connection.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

extern char** environ;

namespace {

constexpr const char* kUser = "alice@example.test";
constexpr const char* kPassword = "s3cret pass+/=";

// The node server for the lifetime of this object. It stops when its standard input closes;
// the destructor also kills and reaps it should it linger.
class LoginServer {
public:
    LoginServer()
    {
        const std::filesystem::path folder = std::filesystem::path(QUILLO_SOURCE_DIR) / "tests/smtp/node";
        if (!std::filesystem::exists(folder / "node_modules/smtp-server"))
            throw std::runtime_error("smtp-server is not installed: run scripts/install-test-deps.sh");

        int input[2], output[2];
        if (::pipe2(input, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        if (::pipe2(output, O_CLOEXEC) != 0) {
            CloseBoth(input);
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        const std::string script = (folder / "login_server.js").string();
        const char* argv[] = {"node", script.c_str(), kUser, kPassword, nullptr};
        const int failed = posix_spawnp(&m_pid, "node", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        m_stdin = input[1];
        m_stdout = output[0];
        if (failed != 0) {
            m_pid = -1;
            Stop();
            throw std::runtime_error("cannot start node (is nodejs installed?)");
        }

        // The server prints "port N" once it listens.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::size_t lineEnd;
        while ((lineEnd = m_output.find('\n')) == std::string::npos) {
            if (!ReadOutput(deadline)) {
                Stop();
                throw std::runtime_error("the login server did not start: " + m_output);
            }
        }
        if (m_output.rfind("port ", 0) != 0) {
            Stop();
            throw std::runtime_error("the login server said: " + m_output);
        }
        m_port = std::stoi(m_output.substr(5, lineEnd - 5));
        m_output.erase(0, lineEnd + 1);
    }

    ~LoginServer() { Stop(); }
    LoginServer(const LoginServer&) = delete;
    LoginServer& operator=(const LoginServer&) = delete;

    int Port() const { return m_port; }

    // Stops the server and returns what it printed after its port: one line per login attempt.
    std::string Stop()
    {
        if (m_stdin >= 0) {
            ::close(m_stdin);
            m_stdin = -1;
        }
        if (m_stdout >= 0) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (ReadOutput(deadline)) {
            }
            ::close(m_stdout);
            m_stdout = -1;
        }
        if (m_pid > 0) {
            int status = 0;
            for (int i = 0; i < 50 && ::waitpid(m_pid, &status, WNOHANG) == 0; ++i)
                ::usleep(100'000);
            if (::waitpid(m_pid, &status, WNOHANG) == 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &status, 0);
            }
            m_pid = -1;
        }
        return m_output;
    }

private:
    static void CloseBoth(int fds[2])
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }

    // Appends what the server printed; false at its end of output or at the deadline.
    bool ReadOutput(std::chrono::steady_clock::time_point deadline)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{m_stdout, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char chunk[1024];
        const ssize_t count = ::read(m_stdout, chunk, sizeof chunk);
        if (count <= 0)
            return false;
        m_output.append(chunk, static_cast<std::size_t>(count));
        return true;
    }

    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    int m_port = 0;
    std::string m_output;
};

}  // namespace

// LOGIN and CRAM-MD5 succeed with the right password and are refused with a wrong one, as
// the server itself judged them. (smtp-server has no "AUTH LOGIN PLAIN" dialogue.)
TEST(AuthenticationAgainstRealServer, LogsInWithEachMechanismAndIsRefusedAWrongPassword)
{
    LoginServer server;
    struct Case {
        AuthMechanism mechanism;
        const char* password;
        bool accepted;
    };
    const Case cases[] = {
        {Login, kPassword, true},
        {CramMd5, kPassword, true},
        {Login, "wrong", false},
        {CramMd5, "wrong", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mechanism == Login ? "LOGIN" : "CRAM-MD5") + " with " + c.password);
        CSMTPConnection connection;
        connection.SetReplyTimeout(20000);
        const bool opened = connection.OpenSession("127.0.0.1", c.mechanism, kUser, c.password, server.Port(), nullptr);
        EXPECT_EQ(opened, c.accepted) << connection.GetLastReply();
        if (opened) {
            EXPECT_EQ(connection.GetLastReplyCode(), 235);
            EXPECT_TRUE(connection.CloseSession());
        } else {
            EXPECT_EQ(GetLastError(), WSAEPROTONOSUPPORT);  // the 535, not a time-out
            EXPECT_EQ(connection.GetLastReplyCode(), 221);  // OpenSession quit
        }
        EXPECT_FALSE(connection.IsConnected());
    }
    EXPECT_EQ(server.Stop(), std::string("login LOGIN ") + kUser + " ok\n" +
                                 "login CRAM-MD5 " + kUser + " ok\n" +
                                 "login LOGIN " + kUser + " refused\n" +
                                 "login CRAM-MD5 " + kUser + " refused\n");
}
