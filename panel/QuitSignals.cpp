#include "panel/QuitSignals.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr int quitSignals[] = {SIGTERM, SIGHUP};

std::atomic<int> signalPipe{-1};

extern "C" void onQuitSignal(int)
{
    const int savedErrno = errno;
    if (const int fd = signalPipe.load(); fd >= 0)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = write(fd, &byte, 1);
    }
    errno = savedErrno;
}
} // namespace

QuitSignals::QuitSignals(const std::string& programName, std::function<void()> onQuitRequest)
    : onQuit(std::move(onQuitRequest))
{
    const auto cannotCatch = [&programName](const char* what)
    {
        std::fprintf(stderr,
                     "%s: SIGTERM and SIGHUP cannot be caught (%s: %s); they end the program "
                     "without storing its settings\n",
                     programName.c_str(), what, std::strerror(errno));
    };
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        pipeFds[0] = pipeFds[1] = -1;
        cannotCatch("pipe2");
        return;
    }
    signalPipe = pipeFds[1];

    juce::LinuxEventLoop::registerFdCallback(pipeFds[0],
                                             [this](int fd)
                                             {
                                                 char drained[64];
                                                 while (read(fd, drained, sizeof(drained)) > 0)
                                                 {
                                                 }
                                                 onQuit();
                                             });

    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : quitSignals)
        if (sigaction(signalNumber, &action, nullptr) != 0)
        {
            cannotCatch("sigaction");
            return;
        }
}

QuitSignals::~QuitSignals()
{
    if (pipeFds[0] < 0)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : quitSignals)
        sigaction(signalNumber, &action, nullptr);
    signalPipe = -1;
    juce::LinuxEventLoop::unregisterFdCallback(pipeFds[0]);
    close(pipeFds[0]);
    close(pipeFds[1]);
}
