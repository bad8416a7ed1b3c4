#include "platform/spawn_detached.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

bool SpawnDetached(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0].empty())
        return false;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    // The grandchild reports a failed exec through a close-on-exec pipe; end of file means the
    // program is running. The child in between exits at once, so init adopts the grandchild.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild == 0) {
            int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, STDIN_FILENO);
                dup2(devnull, STDOUT_FILENO);  // the browser's chatter is not ours to show
                dup2(devnull, STDERR_FILENO);
            }
            execvp(args[0], args.data());
            int err = errno;
            ssize_t ignored = write(report[1], &err, sizeof err);
            (void)ignored;
            _exit(127);
        }
        if (grandchild < 0) {
            int err = errno;
            ssize_t ignored = write(report[1], &err, sizeof err);
            (void)ignored;
        }
        _exit(0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got;
    do {
        got = read(report[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == 0;
}
