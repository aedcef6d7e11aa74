#include "ipc/InstanceHandOver.h"
#include "ipc/InstanceLock.h"
#include "ipc/LocalSocket.h"

#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <future>
#include <iostream>
#include <optional>

#include <fcntl.h>
#include <sys/wait.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
const juce::String appName = "HandOverTestApp";

struct Received
{
    juce::StringArray commandLines;
    bool allOnMessageThread = true;

    std::function<void(const juce::String&)> callback()
    {
        return [this](const juce::String& text)
        {
            allOnMessageThread &= juce::MessageManager::existsAndIsCurrentThread();
            commandLines.add(text);
        };
    }
};

// Runs work on another thread while the message loop keeps serving the endpoint.
template <typename Work> auto whileServing(Work work)
{
    auto result = std::async(std::launch::async, work);
    k71test::pumpUntil(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000);
    return result.get();
}

// Sends bytes exactly as given and returns what came back before the server closed.
std::string exchangeRaw(const std::string& path, const std::string& bytes)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
    {
        close(fd);
        return "<no connection>";
    }
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    std::string reply;
    char chunk[256];
    for (ssize_t n; (n = recv(fd, chunk, sizeof(chunk), 0)) > 0;)
        reply.append(chunk, (std::size_t)n);
    close(fd);
    return reply;
}

std::string endpoint()
{
    return ipc::localsocket::endpointPath(appName.toStdString(), "instance");
}

TEST(InstanceHandOver, DeliversWholeCommandLinesInOrderOnTheMessageThread)
{
    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    ASSERT_TRUE(listener.isListening());

    const juce::StringArray sent = {"/DEFAULT", "", "\"two words\" /defaults2", "line\nbreak",
                                    juce::String::fromUTF8("gr\xc3\xbc\xc3\x9f")};
    for (const auto& commandLine : sent)
        EXPECT_EQ(
            whileServing([&] { return ipc::handOverToRunningInstance(appName, commandLine); }),
            ipc::HandOver::taken)
            << commandLine;

    ASSERT_TRUE(k71test::pumpUntil([&] { return received.commandLines.size() == sent.size(); }));
    EXPECT_EQ(received.commandLines, sent);
    EXPECT_TRUE(received.allOnMessageThread);
}

TEST(InstanceHandOver, DropsMalformedAndOversizedInputAndKeepsServing)
{
    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    ASSERT_TRUE(listener.isListening());
    const std::string path = endpoint();

    const std::string tooLong =
        "commandline " +
        std::string(2 * (ipc::InstanceHandOverListener::maxCommandLineBytes + 1), 'a');
    // Lines the endpoint cannot read at all are dropped; a line that is no hand-over is
    // refused with the reason, so that the launch that sent it need not try again.
    const std::vector<std::pair<std::string, std::string>> malformed = {
        {"commandline 2f44\n\n", ""},                            // more than one line
        {"commandline 2f44", ""},                                // no end of line
        {std::string("comm\0andline\n", 13), ""},                // NUL in the line
        {tooLong + "\n", ""},                                    // beyond the line limit
        {std::string(300000, 'x'), ""},                          // endless line
        {"commandline 2f4\n", "refused: not hex\n"},             // half a byte
        {"commandline 2F44\n", "refused: not hex\n"},            // upper-case digits
        {"commandline zz\n", "refused: not hex\n"},              // not hex
        {"commandline ff\n", "refused: not UTF-8\n"},            // not UTF-8
        {"commandline 2f0044\n", "refused: holds a NUL byte\n"}, // NUL inside
        {"rm -rf ~\n", "refused: not a command line\n"},         // not a hand-over at all
    };
    for (const auto& [input, reply] : malformed)
        EXPECT_EQ(whileServing([&] { return exchangeRaw(path, input); }), reply)
            << input.substr(0, 40);

    EXPECT_TRUE(whileServing([&] { return exchangeRaw(path, "commandline 2f44\n"); }) == "ok\n");
    ASSERT_TRUE(k71test::pumpUntil([&] { return received.commandLines.size() == 1; }));
    EXPECT_EQ(received.commandLines[0], "/D");
    k71test::pumpFor(50);
    EXPECT_EQ(received.commandLines.size(), 1);
}

TEST(InstanceHandOver, DropsAConnectionThatStaysSilent)
{
    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    const std::string path = endpoint();

    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    char byte;
    const bool closedByServer =
        k71test::pumpUntil([&] { return recv(fd, &byte, 1, MSG_DONTWAIT) == 0; },
                           ipc::LocalRequestServer::requestTimeLimitMs + 1500);
    close(fd);
    EXPECT_TRUE(closedByServer);
}

TEST(InstanceHandOver, StaleEndpointDoesNotStopTheNextStartButALiveOneIsKept)
{
    const std::string path = endpoint();
    {
        // What a crashed instance leaves behind: a socket file nobody listens on.
        const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        unlink(path.c_str());
        ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        close(stale);
    }

    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    ASSERT_TRUE(listener.isListening());

    Received other;
    ipc::InstanceHandOverListener second(appName, other.callback());
    EXPECT_FALSE(second.isListening());

    EXPECT_EQ(whileServing([] { return ipc::handOverToRunningInstance(appName, "x"); }),
              ipc::HandOver::taken);
    ASSERT_TRUE(k71test::pumpUntil([&] { return received.commandLines.size() == 1; }));
    EXPECT_TRUE(other.commandLines.isEmpty());
}

TEST(InstanceHandOver, NoRunningInstanceMeansNoHandOver)
{
    EXPECT_EQ(ipc::handOverToRunningInstance(appName, "/DEFAULT", 100),
              ipc::HandOver::nobodyListens);
}

// Quitting stops the hand-overs first: what was taken still arrives, and a later launch
// finds nobody, so that it starts once this instance has gone instead of being dropped.
TEST(InstanceHandOver, StoppedItTakesNoMoreButDeliversWhatItTook)
{
    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    ASSERT_TRUE(listener.isListening());
    // The endpoint answers on its own thread; the command line waits in the message queue.
    EXPECT_EQ(ipc::handOverToRunningInstance(appName, "taken"), ipc::HandOver::taken);
    listener.stopTakingLaunches();
    EXPECT_FALSE(listener.isListening());
    EXPECT_EQ(ipc::handOverToRunningInstance(appName, "later", 300), ipc::HandOver::nobodyListens);
    ASSERT_TRUE(k71test::pumpUntil([&] { return received.commandLines.size() == 1; }));
    EXPECT_EQ(received.commandLines[0], "taken");
}

// What retrying cannot change is said as a refusal, with its reason.
TEST(InstanceHandOver, RefusalsSayWhy)
{
    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    ASSERT_TRUE(listener.isListening());
    std::string why;
    const juce::String longest(
        std::string(ipc::InstanceHandOverListener::maxCommandLineBytes, 'a'));
    EXPECT_EQ(whileServing([&] { return ipc::handOverToRunningInstance(appName, longest); }),
              ipc::HandOver::taken);
    EXPECT_EQ(ipc::handOverToRunningInstance(appName, longest + "a", 3000, &why),
              ipc::HandOver::refused);
    EXPECT_EQ(why, "the command line is too long: 32769 bytes, at most 32768");

    // A running instance that refuses: its reason reaches the launch, as text.
    ipc::LocalRequestServer refusing("k71-test-refuse", "refusing",
                                     ipc::localsocket::endpointPath("RefusingApp", "instance"),
                                     1 << 20,
                                     [](const std::string&) -> std::optional<std::string>
                                     { return std::string("refused: not \x1b[31mtoday\n"); });
    ASSERT_TRUE(refusing.isListening());
    EXPECT_EQ(ipc::handOverToRunningInstance("RefusingApp", "x", 3000, &why),
              ipc::HandOver::refused);
    EXPECT_EQ(why, "it refused the command line: not [31mtoday");
}

class EndpointFolder : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
            savedRuntime = runtime;
    }
    void TearDown() override
    {
        if (savedRuntime.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    }

    static mode_t modeOf(const std::string& path)
    {
        struct stat info;
        return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
    }

    const std::string home = std::getenv("HOME");
    std::string savedRuntime;
};

TEST_F(EndpointFolder, UsesAPrivateRuntimeFolderElseAPrivateFolderInTheHome)
{
    const std::string runtime = home + "/private-runtime";
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(ipc::localsocket::endpointFolder("App"), runtime);

    const std::string fallback = home + "/.App-run";
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ipc::localsocket::endpointFolder("App"), fallback);
    EXPECT_EQ(modeOf(fallback) & 0777, 0700u);

    const std::string open = home + "/open-runtime";
    mkdir(open.c_str(), 0700);
    chmod(open.c_str(), 0777);
    setenv("XDG_RUNTIME_DIR", open.c_str(), 1);
    EXPECT_EQ(ipc::localsocket::endpointFolder("App"), fallback);

    // A home folder someone widened is narrowed again before use.
    chmod(fallback.c_str(), 0777);
    EXPECT_EQ(ipc::localsocket::endpointFolder("App"), fallback);
    EXPECT_EQ(modeOf(fallback) & 0777, 0700u);
}

TEST_F(EndpointFolder, EndpointIsReachableByThisUserOnly)
{
    Received received;
    ipc::InstanceHandOverListener listener(appName, received.callback());
    ASSERT_TRUE(listener.isListening());
    const mode_t mode = modeOf(endpoint());
    EXPECT_TRUE(S_ISSOCK(mode));
    EXPECT_EQ(mode & 077, 0u);
    EXPECT_EQ(modeOf(ipc::localsocket::endpointFolder(appName.toStdString())) & 077, 0u);
}
} // namespace

namespace
{
TEST_F(EndpointFolder, UnusableRuntimeFoldersFallBackAsWhenUnset)
{
    unsetenv("XDG_RUNTIME_DIR");
    const std::string whenUnset = ipc::localsocket::endpointFolder("App");
    ASSERT_FALSE(whenUnset.empty());

    const std::string open = home + "/open-runtime";
    mkdir(open.c_str(), 0777);
    chmod(open.c_str(), 0777);
    const std::string file = home + "/file-runtime";
    close(creat(file.c_str(), 0600));
    const std::string privateFolder = home + "/private-runtime";
    mkdir(privateFolder.c_str(), 0700);
    const std::string link = home + "/link-runtime";
    symlink(privateFolder.c_str(), link.c_str());
    // Deep enough that "<folder>/App.instance" no longer fits a socket address.
    std::string deep = home;
    while (deep.size() < 100)
    {
        deep += "/deep";
        mkdir(deep.c_str(), 0700);
    }

    for (const std::string& runtime :
         {open, file, link, deep, std::string("relative"), std::string()})
    {
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        EXPECT_EQ(ipc::localsocket::endpointFolder("App"), whenUnset) << runtime;
    }
}

class InstanceLockFile : public testing::Test
{
  protected:
    void SetUp() override { unlink(ipc::InstanceLock("LockTestApp").path().c_str()); }
    using State = ipc::InstanceLock::State;
};

TEST_F(InstanceLockFile, OneHolderPerUserBesideTheEndpointsAndGoneWithItsProcess)
{
    std::optional<ipc::InstanceLock> first("LockTestApp");
    ASSERT_EQ(first->state(), State::held) << first->problem();
    EXPECT_EQ(first->path(), ipc::localsocket::endpointFolder("LockTestApp") + "/LockTestApp.lock");

    ipc::InstanceLock second("LockTestApp");
    EXPECT_EQ(second.state(), State::heldElsewhere);
    first.reset();
    EXPECT_EQ(second.tryToTake(), State::held);
}

TEST_F(InstanceLockFile, AKilledHolderLeavesNoLock)
{
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0)
    {
        ipc::InstanceLock lock("LockTestApp");
        const char held = lock.state() == State::held ? 'y' : 'n';
        [[maybe_unused]] const auto written = write(ready[1], &held, 1);
        for (;;)
            pause();
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    EXPECT_EQ(ipc::InstanceLock("LockTestApp").state(), State::heldElsewhere);

    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    ipc::InstanceLock next("LockTestApp");
    EXPECT_EQ(next.state(), State::held);
    struct stat info;
    EXPECT_EQ(stat(next.path().c_str(), &info), 0); // the file stayed; only its lock went
}

// Whatever stands in place of the lock file, nothing is taken through it, and the lock
// says what it found.
TEST_F(InstanceLockFile, AnEntryThatIsNotThisUsersLockFileBlocksIt)
{
    const std::string path = ipc::InstanceLock("LockTestApp").path();
    const std::string target = std::string(std::getenv("HOME")) + "/elsewhere.lock";
    struct Case
    {
        const char* name;
        std::function<bool()> make;
        const char* said;
    };
    const std::vector<Case> cases = {
        {"folder", [&] { return mkdir(path.c_str(), 0700) == 0; }, " is a folder"},
        {"named pipe", [&] { return mkfifo(path.c_str(), 0600) == 0; }, " is a named pipe"},
        {"link", [&] { return symlink(target.c_str(), path.c_str()) == 0; }, " is a symbolic link"},
        {"file of another user",
         [&] {
             return close(creat(path.c_str(), 0600)) == 0 && chown(path.c_str(), 65534, 65534) == 0;
         },
         " is a file of another user"},
    };
    for (const auto& c : cases)
    {
        unlink(path.c_str());
        rmdir(path.c_str());
        if (std::string(c.name) == "file of another user" && geteuid() != 0)
        {
            std::cout << "skipped: a file of another user needs root to make\n";
            continue;
        }
        ASSERT_TRUE(c.make()) << c.name << ": " << std::strerror(errno);
        ipc::InstanceLock lock("LockTestApp");
        EXPECT_EQ(lock.state(), State::blocked) << c.name;
        EXPECT_EQ(lock.problem(), path + c.said + ", not this user's lock file") << c.name;
        EXPECT_EQ(lock.tryToTake(), State::blocked) << c.name;
    }
    struct stat info;
    EXPECT_NE(stat(target.c_str(), &info), 0); // the link was not followed
    unlink(path.c_str());
}
} // namespace
