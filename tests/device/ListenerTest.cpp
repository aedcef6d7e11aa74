// The property listener: which changes raise event 3, and the rate rule that
// keeps both directions at one nominal rate.
#include "DeviceTestSupport.h"
#include "support/TestNames.h"

#include <cmath>

namespace
{
using namespace k71test;

class PropertyListener : public DeviceLink
{
  protected:
    // Attaches the given interface and forgets what the attach recorded.
    void attach(const sim::InterfaceConfig& config = sim::InterfaceConfig::standard())
    {
        sim::plugInterface(config);
        registerDeviceLink();
        settle();
        ASSERT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
        recorder.clear();
        sim::clearRecords();
    }

    std::vector<TAVRIN_CallbackEvent> eventsAfter(const std::function<void()>& change)
    {
        change();
        settle();
        return recorder.events();
    }
};

TEST_F(PropertyListener, WatchedChangesRaiseEventThreeOnTheNotificationThread)
{
    attach();
    const AudioObjectID device = gInAudioObjectID;
    const std::vector<std::function<bool()>> changes = {
        [&] { return sim::setMute(device, audioScopeInput, 1); },
        [&] { return sim::setMute(device, audioScopeOutput, 1); },
        [&] { return sim::setPlayThru(device, 1); },
        [&] { return sim::setDataSource(device, audioDataSourceDigital); },
        // 'vold' and 'volm' change together; only 'volm' raises.
        [&] { return sim::setVolumeDb(device, audioScopeOutput, 1, -10.0f); },
    };
    for (const auto& change : changes)
    {
        recorder.clear();
        ASSERT_TRUE(change());
        settle();
        const auto details = recorder.details();
        ASSERT_EQ(details.size(), 1u);
        EXPECT_EQ(details[0].event, TAVRIN_CB_PROPERTY_CHANGED);
        EXPECT_FALSE(details[0].onMessageThread);
        EXPECT_EQ(details[0].reserved, nullptr);
    }
    EXPECT_TRUE(sim::propertyWrites().empty());
}

TEST_F(PropertyListener, UnwatchedSelectorsRaiseNothing)
{
    attach();
    const AudioObjectID device = gInAudioObjectID;
    EXPECT_TRUE(eventsAfter(
                    [&]
                    {
                        sim::notifyListeners(device, {propertyAddress("vold", "outp", 1),
                                                      propertyAddress("pft ", "glob", 0),
                                                      propertyAddress("lnam", "glob", 0)});
                    })
                    .empty());
}

TEST_F(PropertyListener, ScalarVolumeRaisesOnlyWhenItsReadSucceeds)
{
    attach();
    const AudioObjectID device = gInAudioObjectID;
    EXPECT_EQ(
        eventsAfter([&] { sim::notifyListeners(device, {propertyAddress("volm", "inpt", 2)}); }),
        events({TAVRIN_CB_PROPERTY_CHANGED}));
    recorder.clear();
    // No such channel: the read fails.
    EXPECT_TRUE(
        eventsAfter([&] { sim::notifyListeners(device, {propertyAddress("volm", "inpt", 7)}); })
            .empty());
    // The scalar view gone: a level change still notifies it, but its read fails.
    ASSERT_TRUE(sim::removeProperty(device, propertyAddress("volm", "outp", 1)));
    EXPECT_TRUE(
        eventsAfter([&] { sim::setVolumeDb(device, audioScopeOutput, 1, -20.0f); }).empty());
}

struct ScalarCase
{
    const char* what;
    bool outputNotifies;
    AudioObjectPropertyAddress address;
    bool raises;
};

class ScalarSource : public PropertyListener, public ::testing::WithParamInterface<ScalarCase>
{
};

// With separate devices each has only its own direction's levels, so only a read from
// the device that notified finds the address.
TEST_P(ScalarSource, ReadsTheDeviceThatNotified)
{
    attach(sim::InterfaceConfig::separateDevices());
    const AudioObjectID notifier = GetParam().outputNotifies ? gOutAudioObjectID : gInAudioObjectID;
    const auto raised = eventsAfter([&] { sim::notifyListeners(notifier, {GetParam().address}); });

    EXPECT_EQ(raised.size(), GetParam().raises ? 1u : 0u);
    const auto reads = sim::propertyReads();
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].object, notifier);
    EXPECT_EQ(reads[0].address, GetParam().address);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ScalarSource,
    ::testing::Values(
        ScalarCase{"Input", false, propertyAddress("volm", "inpt", 1), true},
        ScalarCase{"Output", true, propertyAddress("volm", "outp", 2), true},
        ScalarCase{"InputAskedForOutput", false, propertyAddress("volm", "outp", 1), false},
        ScalarCase{"OutputAskedForInput", true, propertyAddress("volm", "inpt", 2), false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(PropertyListener, OneCallWithThreeWatchedAddressesRaisesThreeEvents)
{
    attach();
    const AudioObjectID device = gInAudioObjectID;
    EXPECT_EQ(eventsAfter(
                  [&]
                  {
                      ASSERT_TRUE(sim::changeProperties(
                          device, {{propertyAddress("mute", "inpt", 0), UInt32{1}},
                                   {propertyAddress("mute", "outp", 0), UInt32{1}},
                                   {propertyAddress("ssrc", "inpt", 0), audioDataSourceDigital}}));
                  }),
              events({TAVRIN_CB_PROPERTY_CHANGED, TAVRIN_CB_PROPERTY_CHANGED,
                      TAVRIN_CB_PROPERTY_CHANGED}));

    // The same when called directly, with one unwatched address among them.
    recorder.clear();
    const AudioObjectPropertyAddress addresses[] = {
        propertyAddress("thru", "inpt", 0), propertyAddress("dev#", "glob", 0),
        propertyAddress("volm", "inpt", 1), propertyAddress("mute", "outp", 0)};
    EXPECT_EQ(myAudioObjectPropertyListenerProc(device, 4, addresses, &mydeviceStruct), 0);
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PROPERTY_CHANGED, TAVRIN_CB_PROPERTY_CHANGED,
                                         TAVRIN_CB_PROPERTY_CHANGED}));
}

struct RateCase
{
    double rate;
    bool raises;
    bool outputNotifies = false;
};

class RateRule : public PropertyListener, public ::testing::WithParamInterface<RateCase>
{
};

// The hardware moves one direction's rate; the listener copies it to the other, whose
// own notification then finds both agreeing. Listed rates raise once per notification.
TEST_P(RateRule, NewRateIsCopiedToTheOtherDirection)
{
    sim::InterfaceConfig config = sim::InterfaceConfig::separateDevices();
    for (auto& device : config.audioDevices)
        device.sampleRate = 12345.0;
    attach(config);
    AudioObjectID notifier = gInAudioObjectID, follower = gOutAudioObjectID;
    if (GetParam().outputNotifies)
        std::swap(notifier, follower);
    const double rate = GetParam().rate;
    sim::setAcceptedRates(follower, {rate}, {});

    std::vector<std::size_t> writesAtEvents;
    recorder.onEvent = [&](TAVRIN_CallbackEvent)
    { writesAtEvents.push_back(sim::propertyWrites().size()); };
    ASSERT_TRUE(sim::setNominalRate(notifier, rate));
    settle();

    const auto writes = sim::propertyWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].object, follower);
    EXPECT_EQ(writes[0].address, propertyAddress("nsrt", "****", 0));
    EXPECT_EQ(writes[0].asDouble(), rate);
    EXPECT_EQ(writes[0].status, 0);
    EXPECT_EQ(sim::nominalRate(follower), rate);

    if (GetParam().raises)
    {
        EXPECT_EQ(recorder.events(),
                  events({TAVRIN_CB_PROPERTY_CHANGED, TAVRIN_CB_PROPERTY_CHANGED}));
        EXPECT_EQ(writesAtEvents.front(), 1u) << "the copy comes before the event";
    }
    else
    {
        EXPECT_TRUE(recorder.events().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rates, RateRule,
    ::testing::Values(RateCase{192000.0, true}, RateCase{176400.0, true}, RateCase{96000.0, true},
                      RateCase{88200.0, true}, RateCase{48000.0, true}, RateCase{32000.0, true},
                      RateCase{44100.0, true}, RateCase{22050.0, false}, RateCase{44100.5, false},
                      RateCase{8000.0, false}, RateCase{48000.0, true, true},
                      RateCase{32000.0, true, true}, RateCase{22050.0, false, true}),
    [](const auto& info)
    {
        const std::string rate = numberText(info.param.rate);
        return info.param.outputNotifies ? testName({rate, "FromOutput"}) : testName({rate});
    });

TEST_F(PropertyListener, RefusedCopyLeavesTheDirectionsApartWithoutRetrying)
{
    attach(sim::InterfaceConfig::separateDevices());
    const AudioObjectID input = gInAudioObjectID, output = gOutAudioObjectID;
    sim::refuseAllRates(output);

    EXPECT_EQ(eventsAfter([&] { sim::setNominalRate(input, 96000.0); }),
              events({TAVRIN_CB_PROPERTY_CHANGED}));
    const auto writes = sim::propertyWrites();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].object, output);
    EXPECT_NE(writes[0].status, 0);
    EXPECT_EQ(sim::nominalRate(output), 48000.0);
}

TEST_F(PropertyListener, FailedRateReadWritesNothingAndRaisesNothing)
{
    attach(sim::InterfaceConfig::separateDevices());
    EXPECT_TRUE(
        eventsAfter(
            [&] { sim::notifyListeners(gInAudioObjectID, {propertyAddress("nsrt", "glob", 3)}); })
            .empty());
    EXPECT_TRUE(sim::propertyWrites().empty());
}

TEST_F(PropertyListener, AfterDetachTheRateRuleTouchesOnlyObjectZero)
{
    attach(sim::InterfaceConfig::separateDevices());
    const AudioObjectID input = gInAudioObjectID;
    // Only the HID side goes; the audio device stays reachable and keeps notifying.
    sim::unplugHidDevice(sim::interfaceHidDevices().front());
    settle();
    ASSERT_EQ(gInAudioObjectID, 0u);
    recorder.clear();

    EXPECT_EQ(eventsAfter([&] { sim::setNominalRate(input, 44100.0); }),
              events({TAVRIN_CB_PROPERTY_CHANGED}));
    const auto writes = sim::propertyWrites();
    ASSERT_EQ(writes.size(), 2u);
    for (const auto& write : writes)
    {
        EXPECT_EQ(write.object, 0u);
        EXPECT_EQ(write.status, audioStatusNoSuchObject);
    }
}
} // namespace
