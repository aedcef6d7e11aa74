// Later launches of the real program: what they hand over, what ends them at once, and
// what they wait for; and the single-instance rule with odd entries in place of the lock.
#include "PanelSession.h"

#include "ipc/InstanceLock.h"
#include "ipc/LocalRequestServer.h"
#include "ipc/LocalSocket.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const std::string title = "K71VT v2.0.0.0";
// A launch that spins until its time is up uses about 3 s of CPU; one that waits with
// pauses or ends at once, a small part of it. A sanitizer's runtime makes the launch's own
// start cost about ten times as much (0.2 s on an idle machine, 1 s seen under load).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double cpuBoundSeconds = 2.0;
#else
constexpr double cpuBoundSeconds = 1.0;
#endif

std::string homeFile(const char* name)
{
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory)
        .getChildFile(name)
        .getFullPathName()
        .toStdString();
}

struct Outcome
{
    std::optional<int> status;
    std::string stderrText;
    double cpuSeconds = 0;
};

// Runs a later launch to its end; meanwhile, a moment after its start, does meanwhile.
Outcome launch(const std::vector<std::string>& arguments,
               const std::function<void()>& meanwhile = nullptr)
{
    const std::string errors = homeFile("launch.err");
    e2e::ProgramProcess later(e2e::Launch{arguments, {}, false, errors});
    if (meanwhile)
    {
        k71test::pumpFor(500);
        meanwhile();
    }
    Outcome outcome;
    outcome.status = later.waitForExit(15000);
    outcome.stderrText = juce::File(errors).loadFileAsString().toStdString();
    outcome.cpuSeconds = later.cpuSeconds();
    return outcome;
}

class LaterLaunch : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(e2e::sim("--timeout 300 status").rfind("plugged ", 0), 0u)
            << "a K71VT panel that this test did not start answers";
        e2e::prepareDisplay();
        e2e::settingsFile().deleteFile();
    }

    // The real panel, once its window is up and its channel answers.
    void startPanel()
    {
        panel = std::make_unique<e2e::ProgramProcess>();
        ASSERT_TRUE(k71test::pumpUntil([] { return e2e::findWindow(title) != 0; }, 30000));
        ASSERT_TRUE(
            k71test::pumpUntil([] { return e2e::sim("status").rfind("plugged ", 0) == 0; }, 30000));
    }

    std::unique_ptr<e2e::ProgramProcess> panel;
};

// What the running instance does with a launch, played by the test: it holds the lock
// and answers on its endpoint with reply, or has no endpoint when there is none.
// Counts the requests it had.
std::unique_ptr<ipc::LocalRequestServer> standInEndpoint(const std::string& reply,
                                                         std::atomic<int>& requests)
{
    return std::make_unique<ipc::LocalRequestServer>(
        "k71-test-stand", "stand-in", ipc::localsocket::endpointPath("K71VT", "instance"), 1 << 20,
        [reply, &requests](const std::string&) -> std::optional<std::string>
        {
            ++requests;
            return reply;
        });
}

struct LaunchCase
{
    const char* name;
    std::vector<std::string> arguments;
    // The real panel runs; otherwise the test holds the lock and plays the endpoint.
    bool realPanel;
    std::optional<std::string> reply;
    // The endpoint comes only after the launch has started, as when the panel starts.
    bool endpointLater;
    int status;
    std::string stderrText;
    // How many requests the stand-in endpoint may have had: one for an answer that
    // counts, a few for one retried with pauses.
    int fewestRequests = 0, mostRequests = 0;
};

std::ostream& operator<<(std::ostream& out, const LaunchCase& c)
{
    return out << c.name;
}

class LaterLaunchCases : public LaterLaunch, public testing::WithParamInterface<LaunchCase>
{
};

TEST_P(LaterLaunchCases, EndsAsItMustWithoutSpinning)
{
    const auto& c = GetParam();
    std::unique_ptr<ipc::InstanceLock> lock;
    std::unique_ptr<ipc::LocalRequestServer> endpoint;
    std::atomic<int> requests{0};
    if (c.realPanel)
        startPanel();
    else
    {
        lock = std::make_unique<ipc::InstanceLock>("K71VT");
        ASSERT_EQ(lock->state(), ipc::InstanceLock::State::held);
        if (c.reply && !c.endpointLater)
            endpoint = standInEndpoint(*c.reply, requests);
    }

    const auto outcome = launch(
        c.arguments, !c.endpointLater ? std::function<void()>()
                                      : [&] { endpoint = standInEndpoint(*c.reply, requests); });
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.stderrText, c.stderrText);
    EXPECT_LT(outcome.cpuSeconds, cpuBoundSeconds);
    endpoint.reset();
    EXPECT_GE(requests, c.fewestRequests);
    EXPECT_LE(requests, c.mostRequests);
    EXPECT_EQ(e2e::countWindows(title), c.realPanel ? 1u : 0u);
    if (panel != nullptr)
    {
        EXPECT_TRUE(panel->running());
    }
}

const std::string didNotTake = "K71VT: the running K71VT did not take this launch (";

INSTANTIATE_TEST_SUITE_P(
    Cases, LaterLaunchCases,
    testing::Values(
        // Ends at once: trying again cannot change these.
        LaunchCase{"TooLong",
                   {std::string(40000, 'a')},
                   true,
                   {},
                   false,
                   1,
                   didNotTake + "the command line is too long: 40000 bytes, at most 32768)\n"},
        LaunchCase{"RefusedByThePanel",
                   {"/DEFAULT"},
                   false,
                   "refused: not today\n",
                   false,
                   1,
                   didNotTake + "it refused the command line: not today)\n",
                   1,
                   1},
        // Bytes that are not UTF-8 arrive as text; an overlong NUL is no end of the text.
        LaunchCase{"NotUtf8",
                   {"caf\xe9.wav", "a\xc0\x80"
                                   "b"},
                   true,
                   {},
                   false,
                   0,
                   ""},
        // Tried again with pauses until the time is up.
        LaunchCase{"NoEndpoint",
                   {"/DEFAULT"},
                   false,
                   {},
                   false,
                   1,
                   didNotTake + "it did not answer in time)\n"},
        LaunchCase{"LetGoUnanswered",
                   {"/DEFAULT"},
                   false,
                   "",
                   false,
                   1,
                   didNotTake + "it did not answer in time)\n",
                   2,
                   100},
        LaunchCase{"EndpointComesLater", {"/DEFAULT"}, false, "ok\n", true, 0, "", 1, 1}),
    [](const testing::TestParamInfo<LaunchCase>& info) { return std::string(info.param.name); });

// Anything but this user's own lock file in its place: the launch says so and goes on as
// a later one, handing over to the running panel, else ending; never a second panel.
TEST_F(LaterLaunch, AnOddEntryInPlaceOfTheLockNeverGivesASecondPanel)
{
    const std::string path = ipc::localsocket::endpointPath("K71VT", "lock");
    const std::string target = homeFile("elsewhere");
    struct OddEntry
    {
        const char* kind;
        std::function<bool()> make;
    };
    std::vector<OddEntry> entries = {
        {"a folder", [&] { return mkdir(path.c_str(), 0700) == 0; }},
        {"a named pipe", [&] { return mkfifo(path.c_str(), 0600) == 0; }},
        {"a symbolic link",
         [&] {
             return close(creat(target.c_str(), 0600)) == 0 &&
                    symlink(target.c_str(), path.c_str()) == 0;
         }},
    };
    if (geteuid() == 0)
        entries.push_back({"a file of another user", [&] {
                               return close(creat(path.c_str(), 0600)) == 0 &&
                                      chown(path.c_str(), 65534, 65534) == 0;
                           }});
    else
        std::cout << "a file of another user: skipped, only root can make one\n";
    const auto putInPlace = [&](const OddEntry& entry)
    {
        unlink(path.c_str());
        rmdir(path.c_str());
        unlink(target.c_str());
        return entry.make();
    };
    const auto blocked = [&](const OddEntry& entry)
    {
        return "K71VT: the single-instance lock cannot be taken: " + path + " is " + entry.kind +
               ", not this user's lock file\n";
    };

    startPanel();
    for (const auto& entry : entries)
    {
        ASSERT_TRUE(putInPlace(entry)) << entry.kind;
        const auto outcome = launch({"/defaults2"});
        EXPECT_EQ(outcome.status, 0) << entry.kind;
        EXPECT_EQ(outcome.stderrText, blocked(entry));
        EXPECT_EQ(e2e::countWindows(title), 1u) << entry.kind;
    }
    panel->sendSignal(SIGTERM);
    ASSERT_EQ(panel->waitForExit(10000), 0);

    for (const auto& entry : entries)
    {
        ASSERT_TRUE(putInPlace(entry)) << entry.kind;
        const auto outcome = launch({});
        EXPECT_EQ(outcome.status, 1) << entry.kind;
        EXPECT_EQ(outcome.stderrText,
                  blocked(entry) + "K71VT: no running K71VT took this launch, and without the "
                                   "lock no other one starts\n");
        EXPECT_EQ(e2e::countWindows(title), 0u) << entry.kind;
    }
    unlink(path.c_str());
}
} // namespace
