// Sleep and wake messages.
#include "DeviceTestSupport.h"

namespace
{
using namespace k71test;

struct PowerCase
{
    const char* what;
    natural_t message;
    std::vector<TAVRIN_CallbackEvent> events;
    bool answered;
};

class PowerMessage : public DeviceLink, public ::testing::WithParamInterface<PowerCase>
{
};

TEST_P(PowerMessage, RaisesAndAnswersAsTheMessageAsks)
{
    registerDeviceLink();
    ASSERT_NE(root_port, 0u);
    std::size_t answersDuringEvent = 99;
    recorder.onEvent = [&](TAVRIN_CallbackEvent)
    { answersDuringEvent = sim::powerAnswers().size(); };

    sim::sendPowerMessage(GetParam().message, 4711);
    EXPECT_TRUE(recorder.events().empty()) << "delivered through the message loop";
    settle();

    EXPECT_EQ(recorder.events(), GetParam().events);
    for (const auto& event : recorder.details())
        EXPECT_TRUE(event.onMessageThread);
    const auto answers = sim::powerAnswers();
    if (GetParam().answered)
    {
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].port, root_port);
        EXPECT_EQ(answers[0].notificationID, 4711);
    }
    else
        EXPECT_TRUE(answers.empty());
    if (!GetParam().events.empty())
    {
        EXPECT_EQ(answersDuringEvent, 0u) << "the event comes before the answer";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Messages, PowerMessage,
    ::testing::Values(
        PowerCase{"CanSleep", powerMessageCanSystemSleep, {}, true},
        PowerCase{"WillSleep", powerMessageSystemWillSleep, {TAVRIN_CB_WILL_SLEEP}, true},
        PowerCase{"WillPowerOn", powerMessageSystemWillPowerOn, {TAVRIN_CB_WILL_POWER_ON}, false},
        PowerCase{
            "HasPoweredOn", powerMessageSystemHasPoweredOn, {TAVRIN_CB_HAS_POWERED_ON}, false},
        PowerCase{"Other", 0xE0000010, {}, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DeviceLink, FailedPowerRegistrationLeavesSleepUnanswered)
{
    sim::setPowerRegistrationFails(true);
    registerDeviceLink();
    EXPECT_EQ(root_port, 0u);

    for (const natural_t message : {powerMessageCanSystemSleep, powerMessageSystemWillSleep,
                                    powerMessageSystemWillPowerOn, powerMessageSystemHasPoweredOn})
        sim::sendPowerMessage(message, 1);
    settle();
    EXPECT_TRUE(recorder.events().empty());
    EXPECT_TRUE(sim::powerAnswers().empty());
    // The rest of the registration still runs.
    EXPECT_EQ(sim::hidManagers().size(), 1u);
}

TEST_F(DeviceLink, SleepAndWakeLeaveTheDeviceStateAlone)
{
    sim::plugInterface();
    registerDeviceLink();
    settle();
    const AudioObjectID device = gInAudioObjectID;
    const IOHIDDeviceRef hid = ghidInterface;

    sim::sendPowerMessage(powerMessageSystemWillSleep, 1);
    sim::sendPowerMessage(powerMessageSystemHasPoweredOn, 2);
    settle();
    EXPECT_EQ(recorder.events(),
              events({TAVRIN_CB_PLUGGED, TAVRIN_CB_WILL_SLEEP, TAVRIN_CB_HAS_POWERED_ON}));
    EXPECT_EQ(gInAudioObjectID, device);
    EXPECT_EQ(gOutAudioObjectID, device);
    EXPECT_EQ(ghidInterface, hid);
}
} // namespace
