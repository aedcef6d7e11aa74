// Hostile and slow local clients against the request server. Each case runs in a
// child process: a server thread killed by force would end the whole process, and
// the exit status says which check failed.
#include "ipc/LocalRequestServer.h"
#include "ipc/LocalSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <future>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;
constexpr std::size_t bigReplyBytes = 1024 * 1024;

// The clients below run in processes of their own and use plain system calls only.
int connectTo(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    for (;;)
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0)
            return fd;
        close(fd);
        usleep(10000);
    }
}

void send(int fd, const char* text)
{
    ::send(fd, text, std::strlen(text), MSG_NOSIGNAL);
}

[[noreturn]] void neverReads(const std::string& path)
{
    send(connectTo(path), "big\n");
    for (;;)
        pause();
}

[[noreturn]] void readsSlowly(const std::string& path)
{
    const int fd = connectTo(path);
    send(fd, "big\n");
    static char chunk[64 * 1024];
    for (;;)
    {
        std::size_t got = 0;
        while (got < sizeof(chunk))
        {
            const ssize_t n = recv(fd, chunk + got, sizeof(chunk) - got, 0);
            if (n <= 0)
                _exit(0);
            got += (std::size_t)n;
        }
        usleep(900000);
    }
}

[[noreturn]] void holdsAHalfSentLine(const std::string& path)
{
    send(connectTo(path), "bi");
    for (;;)
        pause();
}

// Comes back with a new half line each time the server lets the last one go.
[[noreturn]] void reconnectsWithHalfLines(const std::string& path)
{
    for (;;)
    {
        const int fd = connectTo(path);
        send(fd, "bi");
        char byte;
        while (recv(fd, &byte, 1, 0) > 0)
        {
        }
        close(fd);
    }
}

struct SlowClientCase
{
    const char* name;
    int processes;
    void (*behave)(const std::string& path);
};

std::ostream& operator<<(std::ostream& out, const SlowClientCase& c)
{
    return out << c.name;
}

class LocalRequestServerSlowClients : public testing::TestWithParam<SlowClientCase>
{
};

enum ChildFailure
{
    notListening = 10,
    goodClientNotAnswered = 11,
    shutdownTooSlow = 12
};

int serveWhileClientsMisbehave(const SlowClientCase& c, const std::string& path)
{
    std::vector<pid_t> clients;
    for (int i = 0; i < c.processes; ++i)
        if (const pid_t pid = fork(); pid == 0)
            c.behave(path);
        else
            clients.push_back(pid);

    int result = 0;
    auto server = std::make_unique<ipc::LocalRequestServer>(
        "k71-test-server", "test server", path, 64,
        [](const std::string& line) -> std::optional<std::string>
        { return line == "big" ? std::string(bigReplyBytes, 'x') + "\n" : line + " done\n"; });
    if (!server->isListening())
        result = notListening;
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the clients are in

    for (int i = 0; i < 3 && result == 0; ++i)
        if (ipc::localsocket::request(path, "status", 3000, 64) != "status done\n")
            result = goodClientNotAnswered;

    const auto stopping = Clock::now();
    server.reset();
    if (result == 0 && Clock::now() - stopping > std::chrono::milliseconds(2000))
        result = shutdownTooSlow;

    for (const pid_t pid : clients)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return result;
}

TEST_P(LocalRequestServerSlowClients, AnswersAGoodClientMeanwhileAndStopsInTime)
{
    const auto& c = GetParam();
    const std::string path = ipc::localsocket::endpointPath("ServerTestApp", "test");
    ASSERT_FALSE(path.empty());

    // The child is this program started afresh, so it may start threads of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const int result = serveWhileClientsMisbehave(c, path);
            // The child made a HOME of its own, and nothing else will remove it.
            const std::string removeHome = "rm -rf '" + std::string(std::getenv("HOME")) + "'";
            _exit(std::system(removeHome.c_str()) == 0 ? result : result + 100);
        },
        testing::ExitedWithCode(0), "")
        << "10: not listening, 11: good client not answered, 12: shutdown too slow";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocalRequestServerSlowClients,
    testing::Values(SlowClientCase{"NeverReads", 1, neverReads},
                    SlowClientCase{"Reads64KiBEvery900ms", 1, readsSlowly},
                    SlowClientCase{"HoldsAHalfSentLine", 1, holdsAHalfSentLine},
                    SlowClientCase{"SixtyFourReconnectWithHalfLines", 64, reconnectsWithHalfLines},
                    SlowClientCase{"ManySlowReaders", 8, readsSlowly}),
    [](const testing::TestParamInfo<SlowClientCase>& info) { return info.param.name; });
} // namespace

namespace
{
// The voluntary context switches of this process's thread with that name, or -1.
long wakeUpsOfThread(const std::string& name)
{
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    long found = -1;
    while (const dirent* task = readdir(tasks))
    {
        const std::string folder = std::string("/proc/self/task/") + task->d_name;
        std::string comm;
        std::getline(std::ifstream(folder + "/comm"), comm);
        if (comm != name)
            continue;
        std::ifstream status(folder + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
                found = std::stol(line.substr(line.find(':') + 1));
    }
    closedir(tasks);
    return found;
}

// The panel keeps its endpoints all day: while nobody calls, their threads sleep.
TEST(LocalRequestServerIdle, SleepsUntilAClientComesAndStillAnswers)
{
    const std::string path = ipc::localsocket::endpointPath("ServerTestApp", "idle");
    ipc::LocalRequestServer server("k71-idle-server", "idle test server", path, 64,
                                   [](const std::string& line) -> std::optional<std::string>
                                   { return line + " done\n"; });
    ASSERT_TRUE(server.isListening());
    EXPECT_EQ(ipc::localsocket::request(path, "first", 3000, 64), "first done\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the connection is gone

    const long before = wakeUpsOfThread("k71-idle-server");
    ASSERT_GE(before, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_LE(wakeUpsOfThread("k71-idle-server") - before, 1);

    EXPECT_EQ(ipc::localsocket::request(path, "second", 3000, 64), "second done\n");
}
} // namespace

namespace
{
// A listener whose backlog is full, as when something floods it with connections.
TEST(LocalSocketRequest, TheTimeoutCoversConnecting)
{
    const std::string path = ipc::localsocket::endpointPath("ServerTestApp", "full");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    unlink(path.c_str());
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    std::vector<int> queued;
    for (int i = 0; i < 8; ++i)
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        queued.push_back(fd);
    }

    const auto started = Clock::now();
    auto asked = std::async(std::launch::async,
                            [&] { return ipc::localsocket::request(path, "status", 300, 64); });
    const bool returned = asked.wait_for(std::chrono::seconds(3)) == std::future_status::ready;
    const auto took = Clock::now() - started;
    close(listener); // lets a connect that still waits give up
    EXPECT_TRUE(returned);
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    EXPECT_FALSE(asked.get().has_value());
    for (const int fd : queued)
        close(fd);
    unlink(path.c_str());
}
} // namespace

namespace
{
// The task's folder of this process's thread with that name, or "".
std::string taskFolderOf(const std::string& name)
{
    DIR* tasks = opendir("/proc/self/task");
    std::string found;
    while (const dirent* task = tasks != nullptr ? readdir(tasks) : nullptr)
    {
        const std::string folder = std::string("/proc/self/task/") + task->d_name;
        std::string comm;
        std::getline(std::ifstream(folder + "/comm"), comm);
        if (comm == name)
            found = folder;
    }
    if (tasks != nullptr)
        closedir(tasks);
    return found;
}

// Time on the CPU so far, read again through a descriptor opened while there were some.
long long cpuNanoseconds(int schedstat)
{
    char text[128] = {};
    return pread(schedstat, text, sizeof(text) - 1, 0) > 0 ? std::atoll(text) : -1;
}

int openDescriptors()
{
    int count = -1; // the folder's own
    if (DIR* fds = opendir("/proc/self/fd"))
    {
        while (const dirent* entry = readdir(fds))
            count += entry->d_name[0] != '.';
        closedir(fds);
    }
    return count;
}

void setOpenFileLimit(rlim_t soft)
{
    rlimit limit;
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = soft;
    setrlimit(RLIMIT_NOFILE, &limit);
}

// Runs check in a child process of its own (the descriptor limit is the whole process's)
// and expects it to end with 0.
template <typename Check> void inChildProcess(Check check, const char* stderrPattern = "")
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const int result = check();
            const std::string removeHome = "rm -rf '" + std::string(std::getenv("HOME")) + "'";
            _exit(std::system(removeHome.c_str()) == 0 ? result : result + 100);
        },
        testing::ExitedWithCode(0), stderrPattern);
}

std::optional<std::string> done(const std::string& line)
{
    return line + " done\n";
}

enum ExhaustionFailure
{
    noThread = 20,
    spins = 21,
    notAnsweredAgain = 22
};

// No descriptor left for the connections that wait: the thread rests instead of trying
// again at once, and answers once descriptors come back.
TEST(LocalRequestServerOutOfDescriptors, DoesNotSpinAndAnswersAgainWhenTheyComeBack)
{
    const std::string path = ipc::localsocket::endpointPath("ServerTestApp", "emfile");
    inChildProcess(
        [&]
        {
            rlimit saved;
            getrlimit(RLIMIT_NOFILE, &saved);
            auto server = std::make_unique<ipc::LocalRequestServer>("k71-emfile", "test server",
                                                                    path, 64, done);
            // The thread names itself once it runs.
            std::string task;
            for (int tries = 0; tries < 1000 && (task = taskFolderOf("k71-emfile")).empty();
                 ++tries)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const int schedstat = open((task + "/schedstat").c_str(), O_RDONLY);
            if (schedstat < 0)
                return (int)noThread;
            setOpenFileLimit((rlim_t)openDescriptors());

            std::vector<pid_t> clients;
            for (int i = 0; i < 8; ++i)
                if (const pid_t pid = fork(); pid == 0)
                {
                    setrlimit(RLIMIT_NOFILE, &saved);
                    reconnectsWithHalfLines(path);
                }
                else
                    clients.push_back(pid);

            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // they wait
            const long long cpuBefore = cpuNanoseconds(schedstat);
            const auto before = Clock::now();
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            const long long cpu = cpuNanoseconds(schedstat) - cpuBefore;
            const auto wall =
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before);
            int result = cpu * 10 > wall.count() ? (int)spins : 0; // spinning takes it all

            setrlimit(RLIMIT_NOFILE, &saved);
            for (const pid_t pid : clients)
            {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
            if (result == 0 &&
                ipc::localsocket::request(path, "status", 5000, 64) != "status done\n")
                result = notAnsweredAgain;
            server.reset();
            close(schedstat);
            return result;
        });
}

enum FatalFailure
{
    stillListening = 30,
    endpointLeft = 31,
    notSaidOnce = 32,
    clientWaits = 33
};

// A failure the server cannot go on after: said once, and the endpoint goes, so that a
// client finds nobody there at once instead of waiting for an answer.
TEST(LocalRequestServerFailure, ClosesTheEndpointAndSaysSoOnce)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's runtime needs descriptors this test takes away";
#endif
    const std::string path = ipc::localsocket::endpointPath("ServerTestApp", "fatal");
    inChildProcess(
        [&]
        {
            int captured[2];
            pipe2(captured, O_NONBLOCK);
            const int realStderr = dup(2);
            dup2(captured[1], 2);
            rlimit saved;
            getrlimit(RLIMIT_NOFILE, &saved);

            auto server = std::make_unique<ipc::LocalRequestServer>("k71-fatal", "test server",
                                                                    path, 64, done);
            const int client = connectTo(path);
            // Fewer descriptors allowed than the server watches: its poll fails for good.
            setOpenFileLimit(1);
            send(client, "bi");
            const auto deadline = Clock::now() + std::chrono::seconds(10);
            while (server->isListening() && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            setrlimit(RLIMIT_NOFILE, &saved);

            int result = server->isListening() ? (int)stillListening : 0;
            if (struct stat info; result == 0 && stat(path.c_str(), &info) == 0)
                result = endpointLeft;
            auto failure = ipc::localsocket::RequestFailure::noAnswer;
            if (result == 0 && (ipc::localsocket::requestOnce(path, "x", 3000, 64, &failure) ||
                                failure != ipc::localsocket::RequestFailure::nobodyListens))
                result = clientWaits;
            server.reset();
            close(client);

            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            char text[4096] = {};
            const ssize_t n = read(captured[0], text, sizeof(text) - 1);
            const std::string said = n > 0 ? std::string(text, (std::size_t)n) : std::string();
            dup2(realStderr, 2);
            std::fputs(said.c_str(), stderr);
            const std::string line = "test server at " + path +
                                     ": stopped (poll: Invalid argument); running without it\n";
            if (result == 0 && said != line)
                result = notSaidOnce;
            return result;
        },
        "stopped \\(poll: Invalid argument\\)");
}

// The socket's mode comes from the socket itself, not from the process's umask, which
// other threads share.
TEST(LocalSocketListen, TheEndpointIsThisUsersOnlyAndTheUmaskIsLeftAlone)
{
    const mode_t before = umask(0);
    const std::string path = ipc::localsocket::endpointPath("ServerTestApp", "mode");
    std::string why;
    const int fd = ipc::localsocket::listenAt(path, why);
    const mode_t during = umask(before);
    ASSERT_GE(fd, 0) << why;
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(during, 0u);
    close(fd);
    unlink(path.c_str());
}
} // namespace
