#include "support/PrivateXServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace k71test
{
bool PrivateXServer::start()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;

    pid = fork();
    if (pid < 0)
    {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0)
    {
        close(fds[0]);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0)
        {
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
        }
        // The server keeps none of the test's descriptors (a death test's status pipe
        // would never close) and ends with the test process, however that ends.
        dup2(fds[1], 3);
        close_range(4, ~0U, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const std::string fd = "3";
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1200x24",
               "-nolisten", "tcp", "-noreset", (char*)nullptr);
        _exit(127);
    }

    close(fds[1]);
    std::string number;
    // Xvfb compiles its keymap with a program of its own before it answers, which on a
    // loaded machine can take many seconds: the bound is generous.
    pollfd waitFor{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ready = left.count() > 0 ? poll(&waitFor, 1, (int)left.count()) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char c;
        const auto got = read(fds[0], &c, 1);
        if (got <= 0 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);

    if (number.empty())
    {
        stop();
        return false;
    }
    displayName = ":" + number;
    return true;
}

void endChildProcess(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    pid = -1;
}

void PrivateXServer::stop()
{
    endChildProcess(pid);
}
} // namespace k71test
