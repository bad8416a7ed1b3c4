#include "platform/win_exec.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr unsigned kStarted = 33;
constexpr unsigned kFileNotFound = 2;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsNotepad(const std::string& program)
{
    std::string name = Lower(program.substr(program.find_last_of("/\\") + 1));
    return name == "notepad.exe" || name == "notepad";
}

// The full path of an executable named on PATH (or given with a slash), empty when there is none.
bool IsExecutableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string FindProgram(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return IsExecutableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

// A program with its arguments. Seal builds the argument vector before fork, so that the child only
// calls functions that are safe there; a Launch is sealed where it is used and not copied after.
struct Launch {
    std::string path;
    std::vector<std::string> args;
    std::vector<char*> argv;

    void Seal()
    {
        argv.clear();
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
    }
    bool Empty() const { return path.empty(); }
};

Launch MakeLaunch(const std::string& path, const std::string& program,
                  const std::vector<std::string>& args)
{
    Launch launch;
    launch.path = path;
    launch.args.push_back(program);
    launch.args.insert(launch.args.end(), args.begin(), args.end());
    return launch;
}

[[noreturn]] void Exec(const Launch& launch)
{
    ::execve(launch.path.c_str(), launch.argv.data(), environ);
    ::_exit(127);
}

// Runs in the detached grandchild: tries the first launch and, when it is missing or fails, execs
// the second.
[[noreturn]] void RunDetached(const Launch& first, const Launch& second)
{
    if (!first.Empty()) {
        pid_t pid = ::fork();
        if (pid == 0)
            Exec(first);
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)
            && WEXITSTATUS(status) == 0)
            ::_exit(0);
    }
    if (!second.Empty())
        Exec(second);
    ::_exit(127);
}

unsigned Start(Launch& first, Launch& second)
{
    if (first.Empty() && second.Empty())
        return kFileNotFound;
    first.Seal();
    second.Seal();
    // Double fork: the intermediate child exits at once and is reaped here, so the program that
    // runs is adopted by init and never becomes our zombie.
    pid_t child = ::fork();
    if (child < 0)
        return 0;
    if (child == 0) {
        ::setsid();  // not in our session: closing the terminal we came from leaves the editor open
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGCHLD, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::close_range(3, ~0U, 0);  // our sockets and toolkit connections stay ours
        // Not the terminal we may have been started from: a handler that falls back to a text-mode
        // program must not take it over. Diagnostics still reach our standard error.
        int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            if (null > STDERR_FILENO)
                ::close(null);
        }
        pid_t grandchild = ::fork();
        if (grandchild == 0)
            RunDetached(first, second);
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kStarted : 0;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine)
{
    std::vector<std::string> words;
    if (!commandLine)
        return words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char* p = commandLine; *p; ++p) {
        char c = *p;
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

const std::vector<std::string>& TextEditorCandidates()
{
    static const std::vector<std::string> editors = {
        "gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma",
        "xed", "featherpad", "leafpad", "geany", "xedit",
    };
    return editors;
}

unsigned WinExec(const char* commandLine, int /*showCommand*/)
{
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty())
        return kFileNotFound;
    std::string program = words.front();
    std::vector<std::string> args(words.begin() + 1, words.end());

    if (!IsNotepad(program)) {
        std::string path = FindProgram(program);
        Launch direct = path.empty() ? Launch{} : MakeLaunch(path, program, args);
        Launch none;
        return Start(direct, none);
    }

    Launch viaDesktop;
    // xdg-open takes exactly one file; without one there is nothing for it to open.
    if (args.size() == 1) {
        std::string path = FindProgram("xdg-open");
        if (!path.empty())
            viaDesktop = MakeLaunch(path, "xdg-open", args);
    }
    Launch editor;
    for (const std::string& name : TextEditorCandidates()) {
        std::string path = FindProgram(name);
        if (!path.empty()) {
            editor = MakeLaunch(path, name, args);
            break;
        }
    }
    return Start(viaDesktop, editor);
}
