// Fader levels: the value labels and the volume writes, driven by the fader
// groups' action messages.
#include "PanelFixture.h"

using namespace k71test;

TEST_F(PanelInWindow, MovingAFaderShowsItsLevelAndWritesAllFour)
{
    attach();
    sim::clearRecords();

    panel->sliderGroupIn->leftSlider.setValue(-12.25, juce::sendNotificationSync);
    // The label follows at once, before any message.
    EXPECT_EQ(panel->levelLabelIn->getText(), "-12.3 dB");
    flushPostedMessages();

    EXPECT_EQ(writeLines(), (Lines{"dev vold/inpt/1 = -12.25", "dev vold/inpt/2 = 0",
                                   "dev vold/outp/1 = 0", "dev vold/outp/2 = 0"}));
    settle();
    ASSERT_TRUE(pumpUntil([this] { return !panel->userEditInProgress; }));
    EXPECT_EQ(panel->sliderGroupIn->leftSlider.getValue(), -12.25);

    panel->sliderGroupOut->rightSlider.setValue(-10.0, juce::sendNotificationSync);
    EXPECT_EQ(panel->levelLabelOut->getText(), "-10.00 dB");
    panel->sliderGroupOut->rightSlider.setValue(0.0, juce::sendNotificationSync);
    EXPECT_EQ(panel->levelLabelOut->getText(), "0.0 dB  ");
}

TEST_F(PanelInWindow, ActionMessages)
{
    attach();
    panel->sliderGroupIn->rightSlider.setValue(-5.75, juce::dontSendNotification);
    panel->sliderGroupOut->leftSlider.setValue(-20.0, juce::dontSendNotification);
    panel->sliderGroupOut->rightSlider.setValue(-40.25, juce::dontSendNotification);
    panel->levelLabelIn->setText("unchanged", juce::dontSendNotification);
    panel->levelLabelOut->setText("unchanged", juce::dontSendNotification);

    struct MessageCase
    {
        const char* message;
        const char* labelIn;
        const char* labelOut;
    };
    const MessageCase cases[] = {
        {"volume_updateRightsliderGroupOut", "unchanged", "-40.3 dB"},
        {"volume_updateLeftsliderGroupOut", "unchanged", "-20.0 dB"},
        {"volume_updateRightsliderGroupIn", "-5.8 dB ", "-20.0 dB"},
        {"volume_update+", "-5.8 dB ", "-20.0 dB"},
        {"volume_update-", "-5.8 dB ", "-20.0 dB"},
        {"Volume_update", "-5.8 dB ", "-20.0 dB"},
        {"volume_updateLeftsliderGroupIn", "0.0 dB  ", "-20.0 dB"},
        {"try_icon_clicked", "0.0 dB  ", "-20.0 dB"},
    };
    sim::clearRecords();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.message);
        panel->sliderGroupOut->sendActionMessage(c.message);
        flushPostedMessages();
        EXPECT_EQ(panel->levelLabelIn->getText(), c.labelIn);
        EXPECT_EQ(panel->levelLabelOut->getText(), c.labelOut);
        EXPECT_FALSE(panel->userEditInProgress);
    }
    EXPECT_EQ(writeLines(), Lines{});
    EXPECT_TRUE(window->isVisible());

    // Only the plain message writes, all four levels in order, and starts
    // the user edit.
    panel->actionListenerCallback("volume_update");
    EXPECT_TRUE(panel->userEditInProgress);
    EXPECT_EQ(panel->getTimerInterval(MainComponent::userEditTimer), 50);
    EXPECT_EQ(writeLines(), (Lines{"dev vold/inpt/1 = 0", "dev vold/inpt/2 = -5.75",
                                   "dev vold/outp/1 = -20", "dev vold/outp/2 = -40.25"}));
}

TEST_F(PanelInWindow, UserEditLastsFiftyMillisecondsAfterTheLastVolumeMessage)
{
    attach();
    panel->sliderGroupIn->sendActionMessage("volume_update");
    flushPostedMessages();
    pumpFor(30);
    const auto secondSent = juce::Time::getMillisecondCounter();
    panel->sliderGroupIn->sendActionMessage("volume_update");
    flushPostedMessages();
    ASSERT_TRUE(pumpUntil([this] { return !panel->userEditInProgress; }));
    EXPECT_GE(juce::Time::getMillisecondCounter() - secondSent, 50u);
    EXPECT_FALSE(panel->isTimerRunning(MainComponent::userEditTimer));
}

TEST_F(PanelInWindow, LevelLabelsOnAttachUseTwoFiguresForTheOutputPair)
{
    sim::InterfaceConfig config;
    config.audioDevices[0].volumeDb = -12.25f;
    attach(config);
    // setLevelLabels ran at the attach with the faders still at 0; the
    // read-back's announcements then show each moved fader by magnitude.
    EXPECT_EQ(panel->sliderGroupOut->leftSlider.getValue(), -12.25);
    ASSERT_TRUE(pumpUntil([this] { return panel->levelLabelOut->getText() == "-12.3 dB"; }));

    panel->setLevelLabels();
    EXPECT_EQ(panel->levelLabelIn->getText(), "-12.3 dB");
    EXPECT_EQ(panel->levelLabelInRight->getText(), "-12.3 dB");
    EXPECT_EQ(panel->levelLabelOut->getText(), "-12 dB  ");
    EXPECT_EQ(panel->levelLabelOutRight->getText(), "-12 dB  ");
}

TEST_F(PanelInWindow, LevelLabelsStayWhileTheGroupsAreDisabled)
{
    panel->levelLabelIn->setText("kept", juce::dontSendNotification);
    panel->setLevelLabels();
    EXPECT_EQ(panel->levelLabelIn->getText(), "kept");
    // Neither does an announced fader show in its label.
    panel->sliderGroupIn->leftSlider.setValue(-1.0, juce::dontSendNotification);
    panel->sliderGroupIn->sendActionMessage("volume_updateLeftsliderGroupIn");
    flushPostedMessages();
    EXPECT_EQ(panel->levelLabelIn->getText(), "kept");
}
