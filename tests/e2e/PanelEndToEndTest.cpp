// The real program, started as a user would, driven by real X input at the
// controls' positions and watched through k71vt-sim.
#include "PanelSession.h"

#include "support/MessageLoop.h"

#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <iomanip>
#include <map>
#include <sstream>

namespace
{

const std::string title = "K71VT v2.0.0.0";
constexpr int contentWidth = 320, contentHeight = 290;

// --- the reports the panel sends ------------------------------------------------------

std::string report(const std::map<int, int>& bytes)
{
    std::ostringstream out;
    out << "hid id=0" << std::hex << std::setfill('0');
    for (int i = 0; i < 27; ++i)
        out << " " << std::setw(2) << (bytes.count(i) != 0 ? bytes.at(i) : 0);
    out << " status=0x0";
    return out.str();
}
const std::string attach = report({{0, 0x16}, {1, 0x34}, {2, 0x1a}, {4, 0x01}, {21, 0x80}});
std::string monitoring(bool on)
{
    return report({{0, 0x16}, {1, 0x34}, {2, 0x2c}, {4, 0x01}, {5, on ? 0x05 : 0x01}, {21, 0x80}});
}
// flags: bit 0 "Pro", bit 2 "NoneCopy"; rate code 0x20 for 48 kHz, 0x30 for 32 kHz.
std::string channelStatus(int flags, int rateCode = 0x20)
{
    return report({{21, 0x02}, {24, flags}, {25, rateCode}, {26, 0x04}});
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

struct Fraction
{
    float x, y, w, h;
    int extraX = 0;
};
const Fraction button32{0.7475f, 0.326667f, 0.1575f, 0.0733333f};
const Fraction buttonDigital{0.0425f, 0.323333f, 0.1375f, 0.0733333f};
const Fraction buttonCon{0.73f, 0.666667f, 0.1875f, 0.0733333f, 1};
const Fraction buttonCopy{0.7175f, 0.863333f, 0.215f, 0.0733333f};
const Fraction buttonMuteOut{0.46f, 0.88f, 0.1175f, 0.0733333f};
const Fraction buttonMonitoring{0.335f, 0.106667f, 0.135f, 0.0566667f};

juce::Point<int> centreOf(const Fraction& f)
{
    const int bar = e2e::menuBarHeight();
    const float height = (float)(contentHeight - bar);
    const int x = (int)(f.x * contentWidth) + f.extraX;
    const int y = (int)(f.y * height) + bar;
    return {x + (int)(f.w * contentWidth) / 2, y + (int)(f.h * height) / 2};
}

// The output group's left fader, in design units of the 400 x 300 background:
// group at (192, 58), fader 17 wide from its y 7 over 162.
juce::Point<int> outputFaderAt(float designY)
{
    const int bar = e2e::menuBarHeight();
    const double scaleX = contentWidth / 400.0;
    const double scaleY = (contentHeight - bar) / 300.0;
    return {(int)((192 + 8.5) * scaleX), bar + (int)((58 + 7 + designY) * scaleY)};
}

// --- the fixture -----------------------------------------------------------------------

class PanelEndToEnd : public testing::Test
{
  protected:
    void SetUp() override
    {
        e2e::prepareDisplay();
        e2e::settingsFile().deleteFile();
    }

    // Starts the program and waits until the panel is alive: its window is up and the
    // attach has been answered by the read-back.
    unsigned long start(std::unique_ptr<e2e::ProgramProcess>& program,
                        const std::vector<std::string>& arguments = {})
    {
        program = std::make_unique<e2e::ProgramProcess>(arguments);
        EXPECT_TRUE(waitForReports(8, 30000));
        // Found only now: the window is made again when it takes the native title bar.
        unsigned long window = 0;
        EXPECT_TRUE(k71test::pumpUntil([&] { return (window = e2e::findWindow(title)) != 0; }));
        return window;
    }

    static bool waitForReports(std::size_t count, int timeoutMs = 5000)
    {
        return k71test::pumpUntil([&] { return e2e::reports().size() >= count; }, timeoutMs);
    }

    static bool waitFor(const std::function<std::vector<std::string>()>& records,
                        const std::vector<std::string>& expected, int timeoutMs = 5000)
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
            });
    }

    static void clickAt(unsigned long window, const Fraction& control)
    {
        const auto at = centreOf(control);
        e2e::click(window, at.x, at.y);
    }

    static std::string setting(const juce::String& key)
    {
        auto xml = juce::parseXML(e2e::settingsFile());
        if (xml == nullptr)
            return "<no file>";
        for (auto* value : xml->getChildWithTagNameIterator("VALUE"))
            if (value->getStringAttribute("name") == key)
                return value->getStringAttribute("val").toStdString();
        return "<missing>";
    }

    e2e::ProgramLock lock;
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
    const auto startWrites = e2e::writes();
    ASSERT_EQ(startWrites.size(), 1u) << joined(startWrites);
    EXPECT_NE(startWrites[0].find(" 'ssrc' 'inpt' 0 0x1000b01 status=0"), std::string::npos);

    // Each click: the partner that goes off runs its handler first.
    e2e::sim("clear");
    clickAt(window, buttonCon);
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(proNoneCopy), channelStatus(conNoneCopy)}))
        << joined(e2e::reports());

    e2e::sim("clear");
    clickAt(window, buttonCopy);
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(conNoneCopy), channelStatus(conCopy)}))
        << joined(e2e::reports());

    e2e::sim("clear");
    clickAt(window, buttonMonitoring);
    EXPECT_TRUE(waitFor(e2e::reports, {monitoring(true)})) << joined(e2e::reports());

    e2e::sim("clear");
    clickAt(window, buttonMuteOut);
    EXPECT_TRUE(k71test::pumpUntil(
        []
        {
            const auto all = e2e::writes();
            return all.size() == 1 &&
                   all[0].find(" 'mute' 'outp' 0 1 status=0") != std::string::npos;
        }))
        << joined(e2e::writes());

    e2e::sim("clear");
    clickAt(window, buttonDigital);
    EXPECT_TRUE(k71test::pumpUntil(
        []
        {
            const auto all = e2e::writes();
            return all.size() >= 2 &&
                   all[0].find(" 'ssrc' 'inpt' 0 0x1000b01 ") != std::string::npos &&
                   all[1].find(" 'ssrc' 'inpt' 0 0x1010b02 ") != std::string::npos;
        }))
        << joined(e2e::writes());
    EXPECT_TRUE(waitFor(e2e::reports, {channelStatus(conCopy), channelStatus(conCopy)}));

    // 32 kHz goes through the physical format; the read-back then reports the new code.
    e2e::sim("clear");
    clickAt(window, button32);
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
        }))
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
        }))
        << joined(e2e::writes());
    EXPECT_TRUE(waitFor(e2e::reports, {monitoring(false), channelStatus(proNoneCopy)}))
        << joined(e2e::reports());
}

TEST_F(PanelEndToEnd, UnplugDarkensThePanelAndPlugRestoresTheStoredSwitches)
{
    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    clickAt(window, buttonCon);
    clickAt(window, buttonCopy);
    clickAt(window, buttonMonitoring);
    ASSERT_TRUE(waitFor(e2e::reports, {monitoring(true)}));

    e2e::sim("unplug");
    e2e::sim("clear");
    // Dark: the controls no longer answer.
    clickAt(window, buttonMonitoring);
    clickAt(window, buttonCon);
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

    const auto startedAt = juce::Time::getMillisecondCounter();
    e2e::ProgramProcess reset({"/DEFAULT"});
    EXPECT_EQ(reset.waitForExit(3000), 0);
    EXPECT_LT(juce::Time::getMillisecondCounter() - startedAt, 3000u);
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
    EXPECT_EQ(other.waitForExit(3000), 0);
    EXPECT_TRUE(k71test::pumpUntil([&] { return e2e::hasFocus(window); }));
    k71test::pumpFor(300);
    EXPECT_EQ(e2e::reports(), std::vector<std::string>());
    EXPECT_EQ(e2e::writes(), std::vector<std::string>());
    EXPECT_TRUE(program->running());
}

TEST_F(PanelEndToEnd, ACrashedInstanceDoesNotStopTheNextStart)
{
    std::unique_ptr<e2e::ProgramProcess> crashed;
    ASSERT_NE(start(crashed), 0u);
    crashed->crash(); // its endpoints stay behind

    std::unique_ptr<e2e::ProgramProcess> program;
    const auto window = start(program);
    ASSERT_NE(window, 0u);
    e2e::focusNothing();
    e2e::ProgramProcess later({"/defaults2"});
    EXPECT_EQ(later.waitForExit(3000), 0);
    EXPECT_TRUE(k71test::pumpUntil([&] { return e2e::hasFocus(window); }));
    EXPECT_TRUE(program->running());
}

TEST_F(PanelEndToEnd, CloseButtonStoresTheSettingsAndARestartPutsTheWindowBack)
{
    {
        std::unique_ptr<e2e::ProgramProcess> program;
        const auto window = start(program);
        ASSERT_NE(window, 0u);
        clickAt(window, buttonCon);
        clickAt(window, buttonMonitoring);
        ASSERT_TRUE(waitFor(e2e::reports, {channelStatus(conNoneCopy), monitoring(true)}));
        e2e::run("xdotool windowmove " + std::to_string(window) + " 100 120");
        ASSERT_TRUE(k71test::pumpUntil([&] { return e2e::geometry(window).x == 100; }));
        k71test::pumpFor(200); // the program hears of the move through the X server

        e2e::requestClose(window);
        EXPECT_EQ(program->waitForExit(10000), 0);
    }
    EXPECT_EQ(setting("WindowPosition").rfind("100 120 320 290", 0), 0u)
        << setting("WindowPosition");
    EXPECT_EQ(setting("MON"), "true");
    EXPECT_EQ(setting("PRO_CON"), "true");
    EXPECT_EQ(setting("COPY_NONE"), "false");

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
    clickAt(window, buttonCopy);
    ASSERT_TRUE(waitFor(e2e::reports, {channelStatus(proNoneCopy), channelStatus(0x01)}));

    EXPECT_TRUE(e2e::chooseMenuItem(window, 0, true));
    EXPECT_EQ(program->waitForExit(10000), 0);
    EXPECT_EQ(setting("WindowPosition").rfind("640 455 320 290", 0), 0u)
        << setting("WindowPosition");
    EXPECT_EQ(setting("MON"), "false");
    EXPECT_EQ(setting("PRO_CON"), "false");
    EXPECT_EQ(setting("COPY_NONE"), "true");
}
} // namespace
