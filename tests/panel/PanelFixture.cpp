#include "PanelFixture.h"

#include "support/GoldenReports.h"

#include <array>
#include <sstream>

namespace k71test
{
namespace
{
// As the simulator records a report.
std::vector<std::uint8_t> asSent(const golden::ReportBytes& bytes)
{
    return {bytes.begin(), bytes.end()};
}

std::string objectLabel(AudioObjectID object)
{
    if (object == 0)
        return "0";
    const auto in = sim::interfaceInputDevice();
    const auto out = sim::interfaceOutputDevice();
    if (object == in && object == out)
        return "dev";
    if (object == in)
        return "in";
    if (object == out)
        return "out";
    return "#" + std::to_string(object);
}

std::string valueText(const sim::PropertyWrite& write)
{
    std::ostringstream text;
    switch (write.address.selector)
    {
    case audioPropertyNominalSampleRate:
        text << write.asDouble();
        break;
    case audioPropertyPhysicalFormat:
        text << "format " << write.asStreamDescription().sampleRate;
        break;
    case audioPropertyVolumeDecibels:
    case audioPropertyVolumeScalar:
        text << write.asFloat();
        break;
    case audioPropertyDataSource:
        if (write.asUInt32() == audioDataSourceAnalog)
            text << "analog";
        else if (write.asUInt32() == audioDataSourceDigital)
            text << "digital";
        else
            text << std::hex << write.asUInt32();
        break;
    default:
        text << write.asUInt32();
        break;
    }
    return text.str();
}
} // namespace

std::string describeReport(const sim::HidReport& report)
{
    const auto& bytes = report.bytes;
    std::string prefix;
    if (report.type != hidReportTypeOutput || report.reportID != 0)
        prefix = "(not output report 0) ";
    if (bytes == asSent(golden::attach))
        return prefix + "attach";
    if (bytes == asSent(golden::monitoringOn))
        return prefix + "monitoring on";
    if (bytes == asSent(golden::monitoringOff))
        return prefix + "monitoring off";
    if (bytes.size() == golden::channelStatusFrame.size())
    {
        const auto flags = bytes[golden::channelStatusFlagIndex];
        const auto rate = bytes[golden::channelStatusRateIndex];
        if (bytes == asSent(golden::channelStatus(flags, rate)))
            return prefix + "status " + golden::hexText(std::array{flags, rate});
    }
    return prefix + "bytes" + (bytes.empty() ? "" : " " + golden::hexText(bytes));
}

Lines reportLines()
{
    Lines lines;
    for (const auto& report : sim::hidReports())
        lines.push_back(describeReport(report));
    return lines;
}

std::string describeWrite(const sim::PropertyWrite& write)
{
    std::string text = objectLabel(write.object) + " " + fourCCToString(write.address.selector) +
                       "/" + fourCCToString(write.address.scope) + "/" +
                       std::to_string(write.address.element) + " = " + valueText(write);
    if (write.status != 0)
        text += " !" + fourCCToString((FourCharCode)write.status);
    return text;
}

Lines writeLines()
{
    Lines lines;
    for (const auto& write : sim::propertyWrites())
        lines.push_back(describeWrite(write));
    return lines;
}

juce::File settingsFile()
{
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
        .getChildFile("K71 VT")
        .getChildFile("K71 VT.settings");
}

void PanelInWindow::SetUp()
{
    sim::resetSimulation();
    settingsFile().getParentDirectory().deleteRecursively();
    // Away from the faders, so no group links by hovering.
    juce::Desktop::setMousePosition({0, 0});

    window = std::make_unique<juce::DocumentWindow>("K71VT", juce::Colours::lightgrey,
                                                    juce::DocumentWindow::allButtons);
    window->setUsingNativeTitleBar(true);
    panel = new MainComponent();
    window->setContentOwned(panel, true);
    window->setTopLeftPosition(100, 100);
    window->setVisible(true);
}

void PanelInWindow::TearDown()
{
    deletePanel();
    sim::resetSimulation();
}

void PanelInWindow::deletePanel()
{
    window.reset();
    panel = nullptr;
}

void PanelInWindow::attach(const sim::InterfaceConfig& config)
{
    sim::plugInterface(config);
    ASSERT_TRUE(pumpUntil([this] { return panel->deviceAttached; }));
    settle();
}

void PanelInWindow::detach()
{
    sim::unplugInterface();
    ASSERT_TRUE(pumpUntil(
        [this] {
            return !panel->sliderGroupIn->isVisible() && gInAudioObjectID == 0 &&
                   gOutAudioObjectID == 0;
        }));
}

void PanelInWindow::settle()
{
    for (int round = 0; round < 50; ++round)
    {
        ASSERT_TRUE(sim::waitForAudioNotifications());
        // The events the notifications raised are posted to this thread.
        flushPostedMessages();
        if (!panel->isTimerRunning(MainComponent::readBackTimer))
            return;
        ASSERT_TRUE(
            pumpUntil([this] { return !panel->isTimerRunning(MainComponent::readBackTimer); }));
    }
    FAIL() << "the panel kept reading back";
}

void PanelInWindow::chooseConCopyAndMonitoring()
{
    click(*panel->buttonCon);
    click(*panel->buttonCopy);
    click(*panel->buttonToggleMonitoring);
    settle();
}

void PanelInWindow::click(juce::Button& button)
{
    button.triggerClick();
    // The click is a posted message.
    flushPostedMessages();
}
} // namespace k71test
