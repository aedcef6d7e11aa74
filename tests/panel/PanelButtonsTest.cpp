// Every control button's handler on an attached panel, including the two
// handlers of a radio group change, the outgoing one first. Each table row
// is what the virtual K71 VT saw after the click and the read-back it caused.
#include "PanelFixture.h"

using namespace k71test;

namespace
{
using ButtonMember = std::unique_ptr<juce::ImageButton> MainComponent::*;

struct ClickCase
{
    const char* name;
    std::vector<ButtonMember> before;
    ButtonMember clicked;
    Lines writes;
    Lines reports;
};

void PrintTo(const ClickCase& c, std::ostream* out)
{
    *out << c.name;
}

class PanelClick : public PanelInWindow, public testing::WithParamInterface<ClickCase>
{
};

// Attached: 48000 Hz, analog source, "Pro", "NoneCopy", monitoring off.
const ClickCase clickCases[] = {
    {"rate44while48",
     {},
     &MainComponent::button44,
     {"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 44100",
      "dev nsrt/****/0 = 44100"},
     {"status 05 00"}},
    {"rate32while48",
     {},
     &MainComponent::button32,
     {"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000", "dev pft /****/0 = format 32000",
      "dev pft /****/0 = format 32000"},
     {"status 05 30"}},
    {"rate48again",
     {},
     &MainComponent::button48,
     {"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000"},
     {}},
    {"muteOut", {}, &MainComponent::buttonMuteOut, {"dev mute/outp/0 = 1"}, {"status 05 20"}},
    {"muteOutTwice",
     {&MainComponent::buttonMuteOut},
     &MainComponent::buttonMuteOut,
     {"dev mute/outp/0 = 0"},
     {"status 05 20"}},
    {"muteIn", {}, &MainComponent::buttonMuteIn, {"dev mute/inpt/0 = 1"}, {"status 05 20"}},
    {"muteInTwice",
     {&MainComponent::buttonMuteIn},
     &MainComponent::buttonMuteIn,
     {"dev mute/inpt/0 = 0"},
     {"status 05 20"}},
    {"digitalWhileAnalog",
     {},
     &MainComponent::buttonDigital,
     {"dev ssrc/inpt/0 = analog", "dev ssrc/inpt/0 = digital"},
     {"status 05 20", "status 05 20", "status 05 20"}},
    {"analogAgain",
     {},
     &MainComponent::buttonAnalog,
     {"dev ssrc/inpt/0 = analog"},
     {"status 05 20"}},
    {"conWhilePro", {}, &MainComponent::buttonCon, {}, {"status 05 20", "status 04 20"}},
    {"proAgain", {}, &MainComponent::buttonPro, {}, {"status 05 20"}},
    {"copyWhileNoneCopy", {}, &MainComponent::buttonCopy, {}, {"status 05 20", "status 01 20"}},
    {"noneCopyWhileCopy",
     {&MainComponent::buttonCopy},
     &MainComponent::buttonNoneCopy,
     {},
     {"status 01 20", "status 05 20"}},
    {"monitoringOn", {}, &MainComponent::buttonToggleMonitoring, {}, {"monitoring on"}},
    {"monitoringOff",
     {&MainComponent::buttonToggleMonitoring},
     &MainComponent::buttonToggleMonitoring,
     {},
     {"monitoring off"}},
    {"linkNeverActs", {}, &MainComponent::buttonLink, {}, {}},
};
} // namespace

TEST_P(PanelClick, SendsExactlyThis)
{
    const auto& c = GetParam();
    attach();
    for (auto member : c.before)
    {
        click(*(panel->*member));
        settle();
    }
    sim::clearRecords();

    click(*(panel->*c.clicked));
    settle();

    EXPECT_EQ(writeLines(), c.writes);
    EXPECT_EQ(reportLines(), c.reports);
}

INSTANTIATE_TEST_SUITE_P(EveryHandler, PanelClick, testing::ValuesIn(clickCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelInWindow, FlagsFollowTheirButtons)
{
    attach();
    click(*panel->buttonCon);
    click(*panel->buttonCopy);
    click(*panel->buttonDigital);
    click(*panel->buttonToggleMonitoring);
    settle();
    EXPECT_EQ(panel->proConFlag, 1);
    EXPECT_EQ(panel->copyNoneFlag, 1);
    EXPECT_EQ(panel->inputSourceIndex, 1);
    EXPECT_EQ(panel->monitoringOn, 1);
    EXPECT_TRUE(panel->buttonCon->getToggleState());
    EXPECT_FALSE(panel->buttonPro->getToggleState());

    // A handler acts on the button it is given, whatever its toggle.
    sim::clearRecords();
    panel->buttonClicked(panel->buttonPro.get());
    EXPECT_EQ(panel->proConFlag, 0);
    EXPECT_EQ(reportLines(), Lines{"status 01 20"});
}

TEST_F(PanelInWindow, AMuteClickSuspendsTheReadBackForFiftyMilliseconds)
{
    attach();
    const auto clickedAt = juce::Time::getMillisecondCounter();
    panel->buttonMuteOut->setToggleState(true, juce::dontSendNotification);
    panel->buttonClicked(panel->buttonMuteOut.get());
    EXPECT_TRUE(panel->userEditInProgress);
    EXPECT_EQ(panel->getTimerInterval(MainComponent::userEditTimer), 50);

    ASSERT_TRUE(pumpUntil([this] { return !panel->userEditInProgress; }));
    EXPECT_GE(juce::Time::getMillisecondCounter() - clickedAt, 50u);
    EXPECT_FALSE(panel->isTimerRunning(MainComponent::userEditTimer));
    settle();
    EXPECT_TRUE(panel->buttonMuteOut->getToggleState());
}

TEST_F(PanelInWindow, DetachedButtonsIgnoreClicks)
{
    sim::clearRecords();
    for (auto* button : {panel->button44.get(), panel->buttonMuteOut.get(),
                         panel->buttonDigital.get(), panel->buttonToggleMonitoring.get()})
        click(*button);
    EXPECT_EQ(writeLines(), Lines{});
    EXPECT_EQ(reportLines(), Lines{});
    EXPECT_FALSE(panel->buttonDigital->getToggleState());
}
