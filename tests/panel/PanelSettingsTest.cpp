// The settings file and the factory defaults.
#include "PanelFixture.h"
#include "panel/SettingsKeys.h"

using namespace k71test;

namespace
{
const Lines factoryLevelAndMuteWrites = {
    "dev vold/outp/1 = 0",   "dev vold/outp/2 = 0",   "dev vold/inpt/1 = 0", "dev vold/inpt/2 = 0",
    "dev vold/outp/0 = 224", "dev vold/outp/1 = 224", "dev mute/outp/0 = 0", "dev mute/inpt/0 = 0",
};

Lines concat(Lines first, const Lines& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
} // namespace

TEST_F(PanelInWindow, SettingsFileLiesInTheUserDataFolderAsXml)
{
    auto* settings = panel->appProperties.getUserSettings();
    EXPECT_EQ(settings->getFile(), settingsFile());
    EXPECT_TRUE(settings->getFile().getFullPathName().contains("/.config/K71 VT/"));

    const auto options = panelSettingsOptions();
    EXPECT_EQ(options.millisecondsBeforeSaving, 3000);
    EXPECT_EQ(options.storageFormat, juce::PropertiesFile::storeAsXML);
    EXPECT_FALSE(options.ignoreCaseOfKeyNames);
}

TEST_F(PanelInWindow, SavedSwitchesReachTheFileAfterThreeSeconds)
{
    panel->buttonToggleMonitoring->setToggleState(true, juce::dontSendNotification);
    panel->buttonCon->setToggleState(true, juce::dontSendNotification);
    const auto savedAt = juce::Time::getMillisecondCounter();
    panel->saveProperties();
    auto& settings = *panel->appProperties.getUserSettings();
    EXPECT_EQ(settings.getValue(settingskeys::monitoring), "true");
    EXPECT_EQ(settings.getValue(settingskeys::consumerFormat), "true");
    EXPECT_EQ(settings.getValue(settingskeys::copyPermitted), "false");

    EXPECT_FALSE(settingsFile().existsAsFile());
    ASSERT_TRUE(pumpUntil([] { return settingsFile().existsAsFile(); }, 6000));
    // The framework's save timer may run a little early, never at once.
    EXPECT_GE(juce::Time::getMillisecondCounter() - savedAt, 2500u);
    const auto stored = juce::parseXML(settingsFile());
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->getTagName(), "PROPERTIES");
    // Spelled out: stored files of earlier versions carry these key texts.
    EXPECT_EQ(stored->getChildByAttribute("name", "MON")->getStringAttribute("val"), "true");
    EXPECT_EQ(stored->getChildByAttribute("name", "COPY_NONE")->getStringAttribute("val"), "false");
}

TEST_F(PanelInWindow, QuittingWhileDetachedWritesNoSwitches)
{
    deletePanel();
    EXPECT_FALSE(settingsFile().existsAsFile());
}

TEST_F(PanelInWindow, FactoryDefaultsFromTheFactoryState)
{
    attach();
    sim::clearRecords();

    panel->setFactoryDefaults();
    settle();

    EXPECT_EQ(writeLines(), concat({"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000"},
                                   factoryLevelAndMuteWrites));
    EXPECT_EQ(reportLines(), Lines{"monitoring off"});
}

TEST_F(PanelInWindow, FactoryDefaultsFromDigitalConCopyAndMonitoring)
{
    attach();
    for (auto* button : {panel->buttonDigital.get(), panel->buttonCon.get(),
                         panel->buttonCopy.get(), panel->buttonToggleMonitoring.get(),
                         panel->buttonMuteIn.get(), panel->buttonMuteOut.get()})
    {
        click(*button);
        settle();
    }
    ASSERT_TRUE(sim::setVolumeDb(sim::interfaceInputDevice(), audioScopeInput, 1, -6.0f));
    settle();
    ASSERT_EQ(panel->sliderGroupIn->leftSlider.getValue(), -6.0);
    ASSERT_TRUE(panel->buttonMuteIn->getToggleState() && panel->buttonMuteOut->getToggleState());
    sim::clearRecords();

    panel->setFactoryDefaults();
    // Off at once, from the device, not only from the read-back that follows.
    EXPECT_FALSE(panel->buttonMuteIn->getToggleState());
    EXPECT_FALSE(panel->buttonMuteOut->getToggleState());
    settle();

    EXPECT_EQ(writeLines(), concat(concat({"dev nsrt/****/0 = 48000", "dev nsrt/****/0 = 48000"},
                                          factoryLevelAndMuteWrites),
                                   {"dev ssrc/inpt/0 = digital", "dev ssrc/inpt/0 = analog"}));
    EXPECT_EQ(reportLines(), (Lines{
                                 "monitoring off", // the switch going off
                                 "monitoring off", // the direct call
                                 "status 00 20",   // "Digital" going off
                                 "status 00 20",   // "Analog"
                                 "status 00 20",   // "Con" going off
                                 "status 01 20",   // "Pro"
                                 "status 01 20",   // "Copy" going off
                                 "status 05 20",   // "NoneCopy"
                                 "status 05 20",   // the read-back the writes caused
                             }));
    EXPECT_TRUE(panel->buttonAnalog->getToggleState());
    EXPECT_TRUE(panel->buttonPro->getToggleState());
    EXPECT_TRUE(panel->buttonNoneCopy->getToggleState());
    EXPECT_FALSE(panel->buttonToggleMonitoring->getToggleState());
    EXPECT_FALSE(panel->buttonMuteIn->getToggleState());
    EXPECT_FALSE(panel->buttonMuteOut->getToggleState());
    EXPECT_EQ(panel->sliderGroupIn->leftSlider.getValue(), 0.0);
    EXPECT_EQ(panel->levelLabelIn->getText(), "0.0 dB  ");
    // The output's main and left channel end with 224 dB written, clamped by
    // the device.
    EXPECT_EQ(sim::volumeDb(sim::interfaceOutputDevice(), audioScopeOutput, 1), 0.0f);
    // Factory defaults write no settings key.
    EXPECT_FALSE(panel->appProperties.getUserSettings()->containsKey(settingskeys::consumerFormat));
}

TEST_F(PanelInWindow, FactoryDefaultsWhileDetachedSetThePanelOnly)
{
    panel->sliderGroupIn->leftSlider.setValue(-10.0, juce::dontSendNotification);
    panel->buttonMuteOut->setToggleState(true, juce::dontSendNotification);
    panel->buttonMuteIn->setToggleState(true, juce::dontSendNotification);

    panel->setFactoryDefaults();
    // The groups announce their new levels by posted messages.
    flushPostedMessages();

    EXPECT_EQ(reportLines(), Lines{});
    for (const auto& write : sim::propertyWrites())
        EXPECT_EQ(write.object, 0u);
    EXPECT_TRUE(panel->buttonAnalog->getToggleState());
    EXPECT_TRUE(panel->buttonPro->getToggleState());
    EXPECT_TRUE(panel->buttonNoneCopy->getToggleState());
    EXPECT_FALSE(panel->buttonMuteOut->getToggleState());
    EXPECT_FALSE(panel->buttonMuteIn->getToggleState());
    EXPECT_EQ(panel->sliderGroupIn->leftSlider.getValue(), 0.0);
    // The groups are disabled, so the labels stay empty.
    EXPECT_EQ(panel->levelLabelIn->getText(), "");
    EXPECT_EQ(panel->levelLabelOut->getText(), "");

    // The next attach restores from the file, selecting partners of buttons
    // that are on: three reports for each.
    auto& settings = *panel->appProperties.getUserSettings();
    settings.setValue(settingskeys::consumerFormat, "true");
    settings.setValue(settingskeys::copyPermitted, "true");
    attach();
    const auto reports = reportLines();
    ASSERT_GE(reports.size(), 8u);
    EXPECT_EQ(Lines(reports.begin(), reports.begin() + 8),
              (Lines{"attach", "monitoring off", "status 05 20", "status 04 20", "status 04 20",
                     "status 04 20", "status 00 20", "status 00 20"}));
}
