#include "panel/mac_call.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
CommandRunner& currentRunner()
{
    static CommandRunner runner = startDetachedCommand;
    return runner;
}

juce::File findProgram(const juce::String& name)
{
    if (name.containsChar('/'))
        return juce::File::getCurrentWorkingDirectory().getChildFile(name);

    const auto path = juce::SystemStats::getEnvironmentVariable("PATH", "/usr/bin:/bin");
    for (const auto& directory : juce::StringArray::fromTokens(path, ":", ""))
    {
        if (directory.isEmpty() || !juce::File::isAbsolutePath(directory))
            continue;
        const auto candidate = juce::File(directory).getChildFile(name);
        if (candidate.existsAsFile() && access(candidate.getFullPathName().toRawUTF8(), X_OK) == 0)
            return candidate;
    }
    return {};
}
} // namespace

const juce::Array<juce::StringArray>& audioSettingsCommands()
{
    static const juce::Array<juce::StringArray> commands{
        juce::StringArray{"pavucontrol"},
        juce::StringArray{"pwvucontrol"},
        juce::StringArray{"gnome-control-center", "sound"},
    };
    return commands;
}

juce::String openAudioSettingsApplication()
{
    for (const auto& command : audioSettingsCommands())
        if (currentRunner()(command))
            return command.joinIntoString(" ");
    return {};
}

void setCommandRunner(CommandRunner runner)
{
    currentRunner() = runner ? std::move(runner) : CommandRunner(startDetachedCommand);
}

bool startDetachedCommand(const juce::StringArray& command)
{
    if (command.isEmpty())
        return false;

    const auto program = findProgram(command[0]);
    if (program == juce::File())
        return false;

    // Everything the child needs is built before fork: between fork and exec
    // only async-signal-safe calls are allowed.
    const std::string programPath = program.getFullPathName().toStdString();
    std::vector<std::string> arguments;
    for (const auto& argument : command)
        arguments.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The exec's errno comes back through this pipe; a successful exec closes
    // it empty.
    int execStatus[2];
    if (pipe2(execStatus, O_CLOEXEC) != 0)
        return false;

    const pid_t intermediate = fork();
    if (intermediate < 0)
    {
        close(execStatus[0]);
        close(execStatus[1]);
        return false;
    }

    if (intermediate == 0)
    {
        // The intermediate child exits at once, so the program is adopted by
        // init and never becomes our zombie.
        setsid();
        const pid_t programPid = fork();
        if (programPid != 0)
            _exit(programPid > 0 ? 0 : 1);

#ifdef CLOSE_RANGE_CLOEXEC
        // The panel's own descriptors stay with the panel.
        close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0)
            dup2(devNull, STDIN_FILENO);
        execv(programPath.c_str(), argv.data());
        const int error = errno;
        [[maybe_unused]] const auto written = write(execStatus[1], &error, sizeof error);
        _exit(127);
    }

    close(execStatus[1]);
    int waitStatus = 0;
    while (waitpid(intermediate, &waitStatus, 0) < 0 && errno == EINTR)
    {
    }

    int execError = 0;
    ssize_t bytesRead;
    do
        bytesRead = read(execStatus[0], &execError, sizeof execError);
    while (bytesRead < 0 && errno == EINTR);
    close(execStatus[0]);

    const bool intermediateSucceeded = WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
    return intermediateSucceeded && bytesRead == 0;
}
