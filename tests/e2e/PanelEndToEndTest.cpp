// The real program, started as a user would, driven by real X input at the
// controls' positions and watched through k71vt-sim.
#include "PanelSession.h"

#include "ipc/InstanceLock.h"
#include "ipc/LocalSocket.h"
#include "panel/PanelLayout.h"
#include "support/GoldenReports.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

const std::string title = "K71VT v" K71_VERSION;
using e2e::setting;
constexpr int contentWidth = 320, contentHeight = 290;

// Bounds for a loaded machine: each wait ends as soon as its result is there.
constexpr int resultWaitMs = 20000; // a report, a write, a setting, the window's answer
constexpr int startWaitMs = 30000;  // a started panel alive, or its window up
constexpr int exitWaitMs = 30000;   // a program's exit

// --- the reports the panel sends ------------------------------------------------------

const std::string attach = k71test::golden::simulatorLogLine(k71test::golden::attach);
std::string monitoring(bool on)
{
    return k71test::golden::simulatorLogLine(k71test::golden::monitoring(on));
}
// flags: bit 0 "Pro", bit 2 "NoneCopy"; rate code 0x20 for 48 kHz, 0x30 for 32 kHz.
std::string channelStatus(int flags, int rateCode = 0x20)
{
    return k71test::golden::simulatorLogLine(
        k71test::golden::channelStatus((std::uint8_t)flags, (std::uint8_t)rateCode));
}
const int proNoneCopy = 0x05, conNoneCopy = 0x04, conCopy = 0x00;

// The attach with the factory switches: attach, monitoring off once, format and copy
// restored (two reports each), then the read-back's source switch and its own report.
std::vector<std::string> attachSequence(bool monitoringOn, int flags,
                                        bool monitoringChanged = false)
{
    std::vector<std::string> sequence = {attach, monitoring(monitoringOn)};
    if (monitoringChanged) // the switch's own handler, then the direct call
        sequence.push_back(monitoring(monitoringOn));
    sequence.insert(sequence.end(), 6, channelStatus(flags));
    return sequence;
}

// Whether expected appears in lines in this order (other lines may come between).
bool inOrder(const std::vector<std::string>& all, const std::vector<std::string>& expected)
{
    std::size_t next = 0;
    for (const auto& line : all)
        if (next < expected.size() && line == expected[next])
            ++next;
    return next == expected.size();
}

std::string joined(const std::vector<std::string>& all)
{
    std::string text;
    for (const auto& line : all)
        text += line + "\n";
    return text;
}

// --- the layout of the panel in a 320 x 290 content area ------------------------------

using panellayout::Placement;
namespace place = panellayout::placement;

juce::Point<int> centreOf(const Placement& f)
{
    const int bar = e2e::menuBarHeight();
    const auto area = panellayout::placedIn(f, (float)contentWidth, (float)(contentHeight - bar));
    return {area.x + area.width / 2, bar + area.y + area.height / 2};
}

// The output group's left fader, designY down its length in design units.
juce::Point<int> outputFaderAt(float designY)
{
    namespace faders = panellayout::faders;
    const int bar = e2e::menuBarHeight();
    const double scaleX = contentWidth / panellayout::designWidth;
    const double scaleY = (contentHeight - bar) / panellayout::designHeight;
    const double faderMiddle = faders::outputGroupX + faders::leftFaderX + faders::faderWidth / 2.0;
    return {(int)(faderMiddle * scaleX),
            bar + (int)((faders::groupY + faders::faderY + designY) * scaleY)};
}

// --- the fixture -----------------------------------------------------------------------

class PanelEndToEnd : public testing::Test
{
  protected:
    void SetUp() override
    {
        // Every panel of this test is its own: the test process has its own HOME and
        // runtime folder. One that answers before the test started one is not.
        ASSERT_FALSE(panelAnswers())
            << "a K71VT panel that this test did not start answers in "
            << ipc::localsocket::endpointFolder("K71VT") << "; is XDG_RUNTIME_DIR shared?";
        e2e::prepareDisplay();
        e2e::settingsFile().deleteFile();
    }

    static bool panelAnswers()
    {
        return e2e::sim("--timeout 300 status").rfind("plugged ", 0) == 0;
    }

    // Starts the program and waits until the panel is alive: its window is up and the
    // attach has been answered by the read-back.
    unsigned long start(std::unique_ptr<e2e::ProgramProcess>& program,
                        const std::vector<std::string>& arguments = {})
    {
        return start(program, e2e::Launch{arguments, {}, false, {}});
    }

    unsigned long start(std::unique_ptr<e2e::ProgramProcess>& program, const e2e::Launch& launch)
    {
        program = std::make_unique<e2e::ProgramProcess>(launch);
        EXPECT_TRUE(waitForReports(8, startWaitMs));
        // Found only now: the window is made again when it takes the native title bar.
        unsigned long window = 0;
        EXPECT_TRUE(k71test::pumpUntil([&] { return (window = e2e::findWindow(title)) != 0; },
                                       resultWaitMs));
        return window;
    }

    static bool waitForReports(std::size_t count, int timeoutMs = resultWaitMs)
    {
        return k71test::pumpUntil([&] { return e2e::reports().size() >= count; }, timeoutMs);
    }

    static bool waitFor(const std::function<std::vector<std::string>()>& records,
                        const std::vector<std::string>& expected, int timeoutMs = resultWaitMs)
    {
        return k71test::pumpUntil([&] { return inOrder(records(), expected); }, timeoutMs);
    }

    // Until a property write containing the text has been made.
    static bool waitForWrite(const std::string& text)
    {
        return k71test::pumpUntil(
            [&]
            {
                for (const auto& line : e2e::writes())
                    if (line.find(text) != std::string::npos)
                        return true;
                return false;
            },
            resultWaitMs);
    }

    static void clickAt(unsigned long window, const Placement& control)
    {
        const auto at = centreOf(control);
        e2e::click(window, at.x, at.y);
    }

    // The stored window position (its first four numbers) and the three switches, under
    // the keys as the file spells them.
    static void expectStored(const std::string& position, const char* mon, const char* proCon,
                             const char* copyNone)
    {
        EXPECT_EQ(setting("WindowPosition").rfind(position, 0), 0u) << setting("WindowPosition");
        EXPECT_EQ(setting("MON"), mon);
        EXPECT_EQ(setting("PRO_CON"), proCon);
        EXPECT_EQ(setting("COPY_NONE"), copyNone);
    }
};

TEST_F(PanelEndToEnd, StartsCentredAndAliveAndTheControlsReachTheDevice)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);

    EXPECT_EQ(e2e::windowName(window), title);
    const auto frame = e2e::geometry(window);
    EXPECT_EQ(frame.width, contentWidth);
    EXPECT_EQ(frame.height, contentHeight);
    EXPECT_EQ(frame.x, (1600 - contentWidth) / 2); // the test's X screen is 1600 x 1200
    EXPECT_EQ(frame.y, (1200 - contentHeight) / 2);
    EXPECT_EQ(e2e::reports(), attachSequence(false, proNoneCopy)) << joined(e2e::reports());
    // Threads are few, and each shows its name to the system (at most 15 characters).
    EXPECT_EQ(program->threadNames(),
              (std::vector<std::string>{"JUCE Timer", "K71VT", "k71-handover", "k71-notify",
                                        "k71-sim-channel"}));
    const auto startWrites = e2e::writes();
    ASSERT_EQ(startWrites.size(), 1u) << joined(startWrites);
    EXPECT_NE(startWrites[0].find(" 'ssrc' 'inpt' 0 0x1000b01 status=0"), std::string::npos);

    // Each click: the partner that goes off runs its handler first.
    e2e::sim("clear");
    clickAt(window, place::buttonCon);
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(proNoneCopy), channelStatus(conNoneCopy)}))
        << joined(e2e::reports());

    e2e::sim("clear");
    clickAt(window, place::buttonCopy);
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(conNoneCopy), channelStatus(conCopy)}))
        << joined(e2e::reports());

    e2e::sim("clear");
    clickAt(window, place::buttonToggleMonitoring);
    EXPECT_TRUE(waitFor(e2e::reports, {monitoring(true)})) << joined(e2e::reports());

    e2e::sim("clear");
    clickAt(window, place::buttonMuteOut);
    EXPECT_TRUE(k71test::pumpUntil(
        []
        {
            const auto all = e2e::writes();
            return all.size() == 1 &&
                   all[0].find(" 'mute' 'outp' 0 1 status=0") != std::string::npos;
        },
        resultWaitMs))
        << joined(e2e::writes());

    e2e::sim("clear");
    clickAt(window, place::buttonDigital);
    EXPECT_TRUE(k71test::pumpUntil(
        []
        {
            const auto all = e2e::writes();
            return all.size() >= 2 &&
                   all[0].find(" 'ssrc' 'inpt' 0 0x1000b01 ") != std::string::npos &&
                   all[1].find(" 'ssrc' 'inpt' 0 0x1010b02 ") != std::string::npos;
        },
        resultWaitMs))
        << joined(e2e::writes());
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(conCopy), channelStatus(conCopy)}));

    // 32 kHz goes through the physical format; the read-back then reports the new code.
    e2e::sim("clear");
    clickAt(window, place::button32);
    EXPECT_TRUE(waitForWrite(" 'pft ' '****' 0 rate=32000 ")) << joined(e2e::writes());
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(conCopy, 0x30)})) << joined(e2e::reports());

    // A fader drag writes all four levels, the output's left one lowered.
    e2e::sim("clear");
    const auto from = outputFaderAt(40), to = outputFaderAt(120);
    e2e::drag(window, from.x, from.y, to.x, to.y);
    EXPECT_TRUE(k71test::pumpUntil(
        []
        {
            const auto all = e2e::writes();
            if (all.size() < 4)
                return false;
            const auto last = std::vector<std::string>(all.end() - 4, all.end());
            return last[0].find(" 'vold' 'inpt' 1 ") != std::string::npos &&
                   last[1].find(" 'vold' 'inpt' 2 ") != std::string::npos &&
                   last[2].find(" 'vold' 'outp' 1 -") != std::string::npos &&
                   last[3].find(" 'vold' 'outp' 2 ") != std::string::npos;
        },
        resultWaitMs))
        << joined(e2e::writes());

    // Config > Factory Defaults: levels, the odd 224 dB, mutes, then the factory switches.
    e2e::sim("clear");
    EXPECT_TRUE(e2e::chooseMenuItem(window, 1, false));
    EXPECT_TRUE(k71test::pumpUntil(
        []
        {
            std::vector<std::string> tails;
            for (const auto& line : e2e::writes())
                tails.push_back(line.substr(line.find(' ', 6) + 1));
            return inOrder(tails, {"'vold' 'outp' 1 0 status=0", "'vold' 'outp' 2 0 status=0",
                                   "'vold' 'inpt' 1 0 status=0", "'vold' 'inpt' 2 0 status=0",
                                   "'vold' 'outp' 0 224 status=0", "'vold' 'outp' 1 224 status=0",
                                   "'mute' 'outp' 0 0 status=0", "'mute' 'inpt' 0 0 status=0",
                                   "'ssrc' 'inpt' 0 0x1010b02 status=0",
                                   "'ssrc' 'inpt' 0 0x1000b01 status=0"});
        },
        resultWaitMs))
        << joined(e2e::writes());
    EXPECT_TRUE(waitFor(e2e::reports, {monitoring(false), channelStatus(proNoneCopy)}))
        << joined(e2e::reports());
}

TEST_F(PanelEndToEnd, UnplugDarkensThePanelAndPlugRestoresTheStoredSwitches)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    clickAt(window, place::buttonCon);
    clickAt(window, place::buttonCopy);
    clickAt(window, place::buttonToggleMonitoring);
    ASSERT_TRUE(waitFor(e2e::reports, {monitoring(true)}));

    e2e::sim("unplug");
    // The panel took the detach once it saved the switches, which reach the file a
    // little later; clicks before that still find it lit.
    ASSERT_TRUE(k71test::pumpUntil([] { return setting("MON") == "true"; }, resultWaitMs))
        << setting("MON");
    e2e::sim("clear");
    // Dark: the controls no longer answer.
    clickAt(window, place::buttonToggleMonitoring);
    clickAt(window, place::buttonCon);
    k71test::pumpFor(300);
    EXPECT_EQ(e2e::reports(), std::vector<std::string>());

    e2e::sim("plug");
    EXPECT_TRUE(waitForReports(8));
    EXPECT_EQ(e2e::reports(), attachSequence(true, conCopy)) << joined(e2e::reports());
}

TEST_F(PanelEndToEnd, SecondLaunchesHandTheirCommandLineToTheRunningPanel)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    e2e::sim("clear");

    // Exit 0 says the running panel took it: a launch gives up after its own 3 s.
    e2e::ProgramProcess reset({"/DEFAULT"});
    EXPECT_EQ(reset.waitForExit(exitWaitMs), 0);
    EXPECT_TRUE(waitForWrite(" 'vold' 'outp' 0 224 ")) << joined(e2e::writes());
    // The cleared position reaches the file with the next save.
    EXPECT_TRUE(k71test::pumpUntil([] { return setting("WindowPosition").empty(); }, 6000))
        << setting("WindowPosition");
    // The factory switches were already set, so only the monitoring report comes.
    ASSERT_TRUE(waitFor(e2e::reports, {monitoring(false)})) << joined(e2e::reports());

    // Anything else only brings the window forward, with the keyboard focus.
    e2e::focusNothing();
    ASSERT_FALSE(e2e::hasFocus(window));
    k71test::pumpFor(200);
    e2e::sim("clear");
    e2e::ProgramProcess other({"/defaults2"});
    EXPECT_EQ(other.waitForExit(exitWaitMs), 0);
    EXPECT_TRUE(k71test::pumpUntil([&] { return e2e::hasFocus(window); }, resultWaitMs));
    k71test::pumpFor(300);
    EXPECT_EQ(e2e::reports(), std::vector<std::string>());
    EXPECT_EQ(e2e::writes(), std::vector<std::string>());
    EXPECT_TRUE(program->running());
}

TEST_F(PanelEndToEnd, ACrashedInstanceDoesNotStopTheNextStart)
{
    std::unique_ptr<e2e::ProgramProcess> crashed;
    ASSERT_NE(start(crashed), 0u);
    crashed->crash(); // its endpoints and its lock file stay behind
    const std::string folder = ipc::localsocket::endpointFolder("K71VT");
    ASSERT_TRUE(juce::File(folder + "/K71VT.lock").existsAsFile());
    ASSERT_TRUE(juce::File(folder + "/K71VT.instance").exists());

    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    e2e::focusNothing();
    e2e::ProgramProcess later({"/defaults2"});
    EXPECT_EQ(later.waitForExit(exitWaitMs), 0);
    EXPECT_TRUE(k71test::pumpUntil([&] { return e2e::hasFocus(window); }, resultWaitMs));
    EXPECT_TRUE(program->running());
}

TEST_F(PanelEndToEnd, CloseButtonStoresTheSettingsAndARestartPutsTheWindowBack)
{
    {
        std::unique_ptr<e2e::ProgramProcess> program;
        const auto window = start(program);
        ASSERT_NE(window, 0u);
        clickAt(window, place::buttonCon);
        clickAt(window, place::buttonToggleMonitoring);
        ASSERT_TRUE(waitFor(e2e::reports, {channelStatus(conNoneCopy), monitoring(true)}));
        e2e::run("xdotool windowmove " + std::to_string(window) + " 100 120");
        ASSERT_TRUE(
            k71test::pumpUntil([&] { return e2e::geometry(window).x == 100; }, resultWaitMs));
        // The server tells the program of the move before it passes on the close request.
        e2e::requestClose(window);
        EXPECT_EQ(program->waitForExit(exitWaitMs), 0);
    }
    expectStored("100 120 320 290", "true", "true", "false");

    std::unique_ptr<e2e::ProgramProcess> again;
    const auto window = start(again);
    ASSERT_NE(window, 0u);
    const auto frame = e2e::geometry(window);
    EXPECT_EQ(frame.x, 100);
    EXPECT_EQ(frame.y, 120);
    EXPECT_TRUE(waitForReports(9));
    EXPECT_EQ(e2e::reports(), attachSequence(true, conNoneCopy, true)) << joined(e2e::reports());
}

TEST_F(PanelEndToEnd, CloseMenuItemQuitsAndStoresTheSettings)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    clickAt(window, place::buttonCopy);
    ASSERT_TRUE(waitFor(e2e::reports, {channelStatus(proNoneCopy), channelStatus(0x01)}));

    EXPECT_TRUE(e2e::chooseMenuItem(window, 0, true));
    EXPECT_EQ(program->waitForExit(exitWaitMs), 0);
    expectStored("640 455 320 290", "false", "false", "true");
}

// Logout, shutdown and service managers quit with these: the same road as Close.
class PanelQuitSignal : public PanelEndToEnd, public testing::WithParamInterface<int>
{
};

TEST_P(PanelQuitSignal, QuitsAndStoresTheSettingsLikeClose)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    clickAt(window, place::buttonCon); // within the settings' save delay
    ASSERT_TRUE(waitFor(e2e::reports, {channelStatus(conNoneCopy)}));

    program->sendSignal(GetParam());
    EXPECT_EQ(program->waitForExit(10000), 0);
    expectStored("640 455 320 290", "false", "true", "false");
}

INSTANTIATE_TEST_SUITE_P(Signals, PanelQuitSignal, testing::Values(SIGTERM, SIGHUP),
                         [](const testing::TestParamInfo<int>& info)
                         { return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGHUP"); });

// A control-channel client that takes a long reply slowly: 64 KiB every 0.9 s.
class SlowReader
{
  public:
    explicit SlowReader(const std::string& request)
    {
        const std::string path = ipc::localsocket::endpointPath("K71VT", "sim");
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        ::send(fd, (request + "\n").data(), request.size() + 1, MSG_NOSIGNAL);
        reader = std::thread(
            [this]
            {
                std::vector<char> chunk(64 * 1024);
                while (!stop && recv(fd, chunk.data(), chunk.size(), MSG_WAITALL) > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(900));
            });
    }
    ~SlowReader()
    {
        stop = true;
        shutdown(fd, SHUT_RDWR);
        reader.join();
        close(fd);
    }
    bool connected = false;

  private:
    int fd = -1;
    std::atomic<bool> stop{false};
    std::thread reader;
};

TEST_F(PanelEndToEnd, QuitWithASlowControlClientEndsInTimeAndStoresTheSettings)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    // A record listing of about 1 MB, that takes such a client many seconds: a report
    // per click.
    const auto at = centreOf(place::buttonToggleMonitoring);
    e2e::run("xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(at.x) +
             " " + std::to_string(at.y) + " click --repeat 10000 --delay 0 1");
    ASSERT_TRUE(waitForReports(10000, 60000)) << e2e::reports().size();

    SlowReader slow("log");
    ASSERT_TRUE(slow.connected);
    k71test::pumpFor(300);
    const auto quitAt = juce::Time::getMillisecondCounter();
    program->sendSignal(SIGTERM);
    EXPECT_EQ(program->waitForExit(10000), 0);
    EXPECT_LT(juce::Time::getMillisecondCounter() - quitAt, 4500u);
    EXPECT_EQ(setting("WindowPosition").rfind("640 455 320 290", 0), 0u)
        << setting("WindowPosition");
}

TEST_F(PanelEndToEnd, AnEndpointThatCannotBeMadeIsReportedOnceAndThePanelRuns)
{
    const std::string path = ipc::localsocket::endpointPath("K71VT", "sim");
    ASSERT_TRUE(juce::File(path).replaceWithText("not a socket"));
    const std::string errors = juce::File::getSpecialLocation(juce::File::userHomeDirectory)
                                   .getChildFile("panel.err")
                                   .getFullPathName()
                                   .toStdString();

    e2e::ProgramProcess program(e2e::Launch{{}, {}, false, errors});
    unsigned long window = 0;
    ASSERT_TRUE(
        k71test::pumpUntil([&] { return (window = e2e::findWindow(title)) != 0; }, startWaitMs));
    program.sendSignal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10000), 0);
    EXPECT_EQ(juce::File(errors).loadFileAsString().toStdString(),
              "K71VT: the k71vt-sim control channel at " + path +
                  ": cannot be made (something else is in its place); running without it\n");
}

// Launches with the user's runtime folder named and without it meet the same panel.
// A private /run/user for this test alone needs a mount namespace of its own (root).
TEST_F(PanelEndToEnd, SameUserWithAndWithoutRuntimeFolderGetsOnePanel)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: the test puts a private /run/user in a mount namespace";
    if (unshare(CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", "/run/user", "tmpfs", 0, "mode=0755") != 0)
        GTEST_SKIP() << "no mount namespace of its own here: " << std::strerror(errno);
    const std::string userRuntime = "/run/user/" + std::to_string(getuid());
    ASSERT_EQ(mkdir(userRuntime.c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", userRuntime.c_str(), 1); // where k71vt-sim looks too

    std::unique_ptr<e2e::ProgramProcess> program;
    ASSERT_NE(start(program), 0u);
    e2e::sim("clear");

    e2e::ProgramProcess later(e2e::Launch{{"/DEFAULT"}, {{"XDG_RUNTIME_DIR", ""}}, false, {}});
    EXPECT_EQ(later.waitForExit(exitWaitMs), 0);
    EXPECT_TRUE(waitForWrite(" 'vold' 'outp' 0 224 ")) << joined(e2e::writes());
    EXPECT_EQ(e2e::countWindows(title), 1u);
    EXPECT_TRUE(program->running());
}

// Another user's panel is no reason to end, nor a panel to hand over to.
TEST_F(PanelEndToEnd, TwoUsersEachGetAPanel)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to start the second user's panel (setpriv --reuid nobody)";

    // The other user's own home and runtime folder, beside this test's home.
    const auto home = juce::File::getSpecialLocation(juce::File::userHomeDirectory)
                          .getSiblingFile("nobody-" + juce::String(getpid()));
    ASSERT_TRUE(home.getChildFile("run").createDirectory());
    const std::string homePath = home.getFullPathName().toStdString();
    e2e::run("chown -R nobody:nogroup '" + homePath + "' && chmod 0700 '" + homePath + "/run'");
    const e2e::Launch asOther{
        {}, {{"HOME", homePath}, {"XDG_RUNTIME_DIR", homePath + "/run"}}, true, {}};

    e2e::ProgramProcess other(asOther);
    ASSERT_TRUE(k71test::pumpUntil([] { return e2e::countWindows(title) == 1; }, startWaitMs));
    std::unique_ptr<e2e::ProgramProcess> program;
    ASSERT_NE(start(program), 0u);
    EXPECT_TRUE(k71test::pumpUntil([] { return e2e::countWindows(title) == 2; }))
        << e2e::countWindows(title);

    // Later launches of either user reach that user's own panel.
    auto laterAsOther = asOther;
    laterAsOther.arguments = {"/defaults2"};
    e2e::ProgramProcess otherLater(laterAsOther);
    EXPECT_EQ(otherLater.waitForExit(exitWaitMs), 0);
    e2e::ProgramProcess later({"/defaults2"});
    EXPECT_EQ(later.waitForExit(exitWaitMs), 0);
    k71test::pumpFor(500);
    EXPECT_EQ(e2e::countWindows(title), 2u);
    EXPECT_TRUE(program->running());
    EXPECT_TRUE(other.running());
    other.crash();
    e2e::run("rm -rf '" + homePath + "'");
}

TEST(SimTool, UsageNeedsNoPanelAndUnknownRequestsListTheKnownOnes)
{
    struct Case
    {
        std::string arguments;
        int status;
        std::string startOfOutput;
    };
    const std::vector<Case> cases = {
        {"", 0, "usage: k71vt-sim [--timeout <ms>] <request>\nrequests:\n"},
        {"--help", 0, "usage: k71vt-sim [--timeout <ms>] <request>\nrequests:\n"},
        {"-h", 0, "usage: k71vt-sim [--timeout <ms>] <request>\nrequests:\n"},
        {"--bogus", 2,
         "k71vt-sim: unknown request '--bogus' (requests: plug, unplug, status, volume, mute, "
         "rate, source, power, reports, writes, log, clear)\n"},
        {"--timeout x status", 2, "k71vt-sim: --timeout takes a number of milliseconds\n"},
        {"--timeout 200 status", 1, "k71vt-sim: no running K71VT program answered\n"},
    };
    for (const auto& c : cases)
    {
        const std::string output = e2e::run(std::string(K71_SIM_TOOL_PATH) + " " + c.arguments +
                                            " 2>&1; echo \"status $?\"");
        EXPECT_EQ(output.rfind(c.startOfOutput, 0), 0u) << c.arguments << ":\n" << output;
        EXPECT_NE(output.find("status " + std::to_string(c.status) + "\n"), std::string::npos)
            << c.arguments << ":\n"
            << output;
    }
    // Only the usage on stdout, nothing on stderr.
    EXPECT_EQ(e2e::run(std::string(K71_SIM_TOOL_PATH) + " --help 2>/dev/null").rfind("usage:", 0),
              0u);
}

TEST_F(PanelEndToEnd, DamagedOrHugeSettingsAndLeftoversOfKilledSavesGiveANormalStart)
{
    std::string huge = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n";
    for (int entry = 0; entry < 115000; ++entry)
        huge += "  <VALUE name=\"KEY" + std::to_string(entry) + "\" val=\"a value\"/>\n";
    huge += "</PROPERTIES>\n";
    const struct
    {
        const char* name;
        std::string bytes;
        const char* keptAs;
    } cases[] = {
        {"garbage", "\x01 not settings <<<", "unreadable"},
        {"a huge valid file", huge, "too-large"},
    };

    const auto folder = e2e::settingsFile().getParentDirectory();
    for (const auto& damaged : cases)
    {
        SCOPED_TRACE(damaged.name);
        folder.deleteRecursively();
        ASSERT_TRUE(folder.createDirectory());
        ASSERT_TRUE(
            e2e::settingsFile().replaceWithData(damaged.bytes.data(), damaged.bytes.size()));
        for (const char* leftover : {"K71 VT_temp5eed.settings", "K71 VT_temp1f2e3d4c.settings"})
            ASSERT_TRUE(folder.getChildFile(leftover).replaceWithText("<PROPERTIES>"));

        // Alive within the usual bound, with the factory switches.
        std::unique_ptr<e2e::ProgramProcess> program;
        const auto window = start(program);
        ASSERT_NE(window, 0u);
        EXPECT_EQ(e2e::reports(), attachSequence(false, proNoneCopy)) << joined(e2e::reports());

        EXPECT_TRUE(e2e::chooseMenuItem(window, 0, true));
        EXPECT_EQ(program->waitForExit(10000), 0);
        EXPECT_NE(setting("WindowPosition"), "<missing>");
        juce::MemoryBlock kept;
        ASSERT_TRUE(juce::File(e2e::settingsFile().getFullPathName() + "." + damaged.keptAs + "-1")
                        .loadFileAsData(kept));
        EXPECT_TRUE(kept.toString().toStdString() == damaged.bytes);
        EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories), 2);
    }
}
} // namespace
