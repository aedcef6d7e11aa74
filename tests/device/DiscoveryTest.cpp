// Finding the interface: HID arrival, the audio search and its name rules,
// removal.
#include "DeviceTestSupport.h"
#include "support/TestNames.h"

#include <algorithm>

namespace
{
using namespace k71test;

int deviceListReads()
{
    int count = 0;
    for (const auto& read : sim::propertyReads())
        if (read.object == audioSystemObject && read.address == propertyAddress("dev#", "glob", 0))
            ++count;
    return count;
}

class Discovery : public DeviceLink
{
};

struct NameCase
{
    const char* name;
    const char* maker;
    bool accepted;
};

class AudioNameRule : public DeviceLink, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(AudioNameRule, AcceptsByPrefixOrByNameAndMaker)
{
    sim::InterfaceConfig config;
    config.audioDevices.front().name = GetParam().name;
    config.audioDevices.front().manufacturer = GetParam().maker;
    sim::plugInterface(config);
    const AudioObjectID device = sim::interfaceInputDevice();
    registerDeviceLink();
    settle();

    if (GetParam().accepted)
    {
        EXPECT_EQ(gInAudioObjectID, device);
        EXPECT_EQ(gOutAudioObjectID, device);
        EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
        EXPECT_TRUE(sim::sleepCalls().empty());
    }
    else
    {
        EXPECT_EQ(gInAudioObjectID, 0u);
        EXPECT_EQ(gOutAudioObjectID, 0u);
        EXPECT_TRUE(recorder.events().empty());
        EXPECT_EQ(sim::sleepCalls(), std::vector<unsigned int>(5, 1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AudioNameRule,
    ::testing::Values(NameCase{"K71VT", "Tavrin", true}, NameCase{"K71VT", "Someone", true},
                      NameCase{"K71VT USB", "", true}, NameCase{"K71VTX", "Someone", true},
                      NameCase{"k71vt", "Tavrin", true}, NameCase{"K71vT", "TAVRIN", true},
                      NameCase{"k71vt", "Someone", false}, NameCase{"k71vt", "Tavrin Inc", false},
                      NameCase{"k71vt USB", "Tavrin", false}, NameCase{"K71", "Tavrin", false},
                      NameCase{"Built-in", "Tavrin", false}, NameCase{"", "Tavrin", false}),
    [](const auto& info) {
        return testName({info.param.name, info.param.maker});
    });

TEST_F(Discovery, OneDeviceServesBothDirections)
{
    sim::plugInterface();
    const AudioObjectID device = sim::interfaceInputDevice();
    registerDeviceLink();
    settle();

    EXPECT_EQ(gInAudioObjectID, device);
    EXPECT_EQ(gOutAudioObjectID, device);
    EXPECT_EQ(ghidInterface, sim::interfaceHidDevices().front());
    const auto registrations = sim::listenerRegistrations();
    ASSERT_EQ(registrations.size(), 2u);
    for (const auto& registration : registrations)
    {
        EXPECT_EQ(registration.object, device);
        EXPECT_EQ(registration.address, propertyAddress("****", "****", 0xFFFFFFFF));
        EXPECT_EQ(registration.listener, &myAudioObjectPropertyListenerProc);
        EXPECT_EQ(registration.clientData, &mydeviceStruct);
    }
    // The output pass adds the same listener again; the platform keeps it once and answers 0.
    EXPECT_EQ(registrations[0].status, 0);
    EXPECT_EQ(registrations[1].status, 0);
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
}

// Which id an accepted device gets by the status of its listener add, with what the ids
// held before the search.
enum class Held
{
    none,
    device,
    other
};

struct StoreCase
{
    const char* what;
    bool hasInput, hasOutput;
    bool listenerRefused;
    Held inputBefore, outputBefore;
    Held inputAfter, outputAfter;
};

class StoreRule : public DeviceLink, public ::testing::WithParamInterface<StoreCase>
{
};

TEST_P(StoreRule, StatusOfTheListenerAddDecidesTheId)
{
    const auto& c = GetParam();
    sim::AudioDeviceConfig config;
    config.hasInput = c.hasInput;
    config.hasOutput = c.hasOutput;
    const AudioObjectID device = sim::plugAudioDevice(config);
    if (c.listenerRefused)
        sim::refuseListeners(device);
    const AudioObjectID other = device + 1000;
    const auto id = [&](Held held) {
        return held == Held::device ? device : held == Held::other ? other : 0;
    };
    gInAudioObjectID = id(c.inputBefore);
    gOutAudioObjectID = id(c.outputBefore);

    CreateInputDeviceArray("K71VT", "Tavrin", &mydeviceStruct);

    EXPECT_EQ(gInAudioObjectID, id(c.inputAfter));
    EXPECT_EQ(gOutAudioObjectID, id(c.outputAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, StoreRule,
    ::testing::Values(
        StoreCase{"Added", true, true, false, Held::none, Held::none, Held::device, Held::device},
        StoreCase{"AddedReplaces", true, true, false, Held::other, Held::other, Held::device,
                  Held::device},
        StoreCase{"RefusedAlone", true, true, true, Held::none, Held::none, Held::none, Held::none},
        StoreCase{"RefusedInputTakesTheOutputs", true, true, true, Held::none, Held::device,
                  Held::device, Held::device},
        StoreCase{"RefusedOutputTakesTheInputs", true, true, true, Held::device, Held::none,
                  Held::device, Held::device},
        StoreCase{"RefusedKeepsOthers", true, true, true, Held::other, Held::other, Held::other,
                  Held::other},
        StoreCase{"RefusedInputOnly", true, false, true, Held::other, Held::device, Held::device,
                  Held::device},
        StoreCase{"RefusedOutputOnly", false, true, true, Held::device, Held::other, Held::device,
                  Held::device}),
    [](const auto& info) { return std::string(info.param.what); });

// Roads on which the listener is already on the audio device when the search adds it
// again. Each road plugs, drives and settles, and tells what the passes must give.
struct RoadOutcome
{
    AudioObjectID input, output;
    std::vector<TAVRIN_CallbackEvent> events;
    std::size_t sleeps;
};

struct WatchedRoad
{
    const char* what;
    RoadOutcome (*drive)();
};

class WatchedDevice : public DeviceLink, public ::testing::WithParamInterface<WatchedRoad>
{
  public:
    // Only the HID function goes and comes back; the audio device stays.
    static RoadOutcome hidReplugged()
    {
        sim::plugInterface();
        settle();
        const AudioObjectID device = sim::interfaceInputDevice();
        sim::unplugHidDevice(sim::interfaceHidDevices().front());
        sim::plugHidDevice({});
        settle();
        return {device, device, {TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED, TAVRIN_CB_PLUGGED}, 0};
    }

    // The first search finds no output; while it sleeps the whole interface is unplugged
    // and plugged again, so the second search attaches the new device before the removal
    // and the new arrival are handled.
    static RoadOutcome interfaceRepluggedWhileSearching()
    {
        sim::plugInterface(sim::InterfaceConfig::inputOnly());
        sim::setSleepHook(
            [](unsigned int)
            {
                if (sim::sleepCalls().size() == 1)
                {
                    sim::unplugInterface();
                    sim::plugInterface();
                }
            });
        settle();
        const AudioObjectID device = sim::interfaceInputDevice();
        return {device, device, {TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED, TAVRIN_CB_PLUGGED}, 1};
    }

    // A later input-only device takes the input pass; the output pass adds to the two-way
    // device again.
    static RoadOutcome inputOnlyDeviceAfter()
    {
        sim::plugInterface();
        const AudioObjectID extra = plugInputOnly();
        settle();
        return {extra, sim::interfaceOutputDevice(), {TAVRIN_CB_PLUGGED}, 0};
    }

    static RoadOutcome inputOnlyDeviceBefore()
    {
        plugInputOnly();
        sim::plugInterface();
        settle();
        const AudioObjectID device = sim::interfaceOutputDevice();
        return {device, device, {TAVRIN_CB_PLUGGED}, 0};
    }

  private:
    static AudioObjectID plugInputOnly()
    {
        sim::AudioDeviceConfig config;
        config.name = "K71VT In";
        config.hasOutput = false;
        return sim::plugAudioDevice(config);
    }
};

TEST_P(WatchedDevice, AttachesWithTheIdsOfThePasses)
{
    registerDeviceLink();
    const RoadOutcome expected = GetParam().drive();

    EXPECT_EQ(gInAudioObjectID, expected.input);
    EXPECT_EQ(gOutAudioObjectID, expected.output);
    EXPECT_EQ(recorder.events(), expected.events);
    EXPECT_EQ(sim::sleepCalls().size(), expected.sleeps);
    const auto registrations = sim::listenerRegistrations();
    EXPECT_TRUE(std::all_of(registrations.begin(), registrations.end(),
                            [](const auto& registration) { return registration.status == 0; }));

    // One registration per device, however often it was added: one change, one event.
    recorder.clear();
    ASSERT_TRUE(sim::setMute(expected.output, audioScopeOutput, 1));
    settle();
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PROPERTY_CHANGED}));
}

INSTANTIATE_TEST_SUITE_P(
    Roads, WatchedDevice,
    ::testing::Values(WatchedRoad{"HidReplugged", &WatchedDevice::hidReplugged},
                      WatchedRoad{"InterfaceRepluggedWhileSearching",
                                  &WatchedDevice::interfaceRepluggedWhileSearching},
                      WatchedRoad{"InputOnlyDeviceAfter", &WatchedDevice::inputOnlyDeviceAfter},
                      WatchedRoad{"InputOnlyDeviceBefore", &WatchedDevice::inputOnlyDeviceBefore}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(Discovery, DevicesWithOneDirectionAreTakenOnlyInTheirPass)
{
    sim::plugInterface(sim::InterfaceConfig::separateDevices());
    const auto devices = sim::interfaceAudioDevices();
    registerDeviceLink();
    settle();

    EXPECT_EQ(gInAudioObjectID, devices[0]);
    EXPECT_EQ(gOutAudioObjectID, devices[1]);
    const auto registrations = sim::listenerRegistrations();
    ASSERT_EQ(registrations.size(), 2u);
    EXPECT_EQ(registrations[0].object, devices[0]);
    EXPECT_EQ(registrations[1].object, devices[1]);
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
}

TEST_F(Discovery, LaterAcceptedDeviceOfAPassWins)
{
    sim::plugInterface();
    sim::AudioDeviceConfig second;
    second.name = "K71VT 2";
    const AudioObjectID later = sim::plugAudioDevice(second);
    registerDeviceLink();
    settle();

    EXPECT_EQ(gInAudioObjectID, later);
    EXPECT_EQ(gOutAudioObjectID, later);
}

TEST_F(Discovery, OnlyInputFoundGivesFiveSearchesFiveSleepsAndNoEvent)
{
    sim::plugInterface(sim::InterfaceConfig::inputOnly());
    registerDeviceLink();
    settle();

    EXPECT_EQ(deviceListReads(), 5);
    EXPECT_EQ(sim::sleepCalls(), std::vector<unsigned int>(5, 1));
    EXPECT_TRUE(recorder.events().empty());
    EXPECT_EQ(gInAudioObjectID, sim::interfaceInputDevice());
    EXPECT_EQ(gOutAudioObjectID, 0u);
    EXPECT_EQ(ghidInterface, sim::interfaceHidDevices().front());
}

TEST_F(Discovery, OutputAppearingWhileSearchingKeepsTheInputFoundEarlier)
{
    sim::plugInterface(sim::InterfaceConfig::inputOnly());
    const AudioObjectID input = sim::interfaceInputDevice();
    AudioObjectID output = 0;
    sim::setSleepHook(
        [&](unsigned int)
        {
            if (sim::sleepCalls().size() == 2)
            {
                sim::AudioDeviceConfig config;
                config.name = "K71VT Out";
                config.hasInput = false;
                output = sim::plugAudioDevice(config);
            }
        });
    registerDeviceLink();
    settle();

    EXPECT_EQ(deviceListReads(), 3);
    EXPECT_EQ(sim::sleepCalls().size(), 2u);
    EXPECT_EQ(gInAudioObjectID, input);
    EXPECT_EQ(gOutAudioObjectID, output);
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
}

TEST_F(Discovery, DeviceAlreadyPresentIsReportedOnceTheLoopRuns)
{
    sim::plugInterface();
    registerDeviceLink();
    EXPECT_TRUE(recorder.events().empty());
    EXPECT_EQ(ghidInterface, nullptr);

    settle();
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
    const auto details = recorder.details();
    EXPECT_TRUE(details.front().onMessageThread);
    EXPECT_EQ(details.front().reserved, nullptr);
}

TEST_F(Discovery, RegistrationInstallsTheHidManagerAndTheUnarmedUsbNotification)
{
    registerDeviceLink();
    EXPECT_EQ(mydeviceStruct.vendorID, 0x5E31);
    EXPECT_EQ(mydeviceStruct.productID, 0x00B4);
    EXPECT_STREQ(mydeviceStruct.hidProductName, "K71VT");
    EXPECT_STREQ(mydeviceStruct.audioDeviceName, "K71VT");
    EXPECT_STREQ(mydeviceStruct.audioManufacturer, "Tavrin");
    EXPECT_EQ(mydeviceStruct.userData, &recorder);

    const auto managers = sim::hidManagers();
    ASSERT_EQ(managers.size(), 1u);
    EXPECT_TRUE(managers[0].hasMatching);
    ASSERT_EQ(managers[0].matching.size(), 1u);
    EXPECT_EQ(managers[0].matching[0].vendorID, 0x5E31);
    EXPECT_EQ(managers[0].matching[0].productID, 0x00B4);
    EXPECT_TRUE(managers[0].matchingCallback && managers[0].removalCallback);
    EXPECT_EQ(managers[0].matchingContext, &mydeviceStruct);
    EXPECT_EQ(managers[0].removalContext, &mydeviceStruct);
    EXPECT_TRUE(managers[0].scheduled && managers[0].opened);

    const auto notifications = sim::serviceNotifications();
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0].notificationType, "IOServiceMatched");
    EXPECT_EQ(notifications[0].matching.className, "IOUSBDevice");
    EXPECT_EQ(notifications[0].matching.numbers.at("VendorID"), 0x5E31);
    EXPECT_EQ(notifications[0].callback, &plugCallback);
    EXPECT_EQ(notifications[0].refcon, &mydeviceStruct);
    EXPECT_TRUE(notifications[0].sourceScheduled);
    EXPECT_NE(gNotifyPort, nullptr);

    // Arrival goes through the HID manager alone: one search, not two.
    sim::plugInterface();
    settle();
    EXPECT_EQ(deviceListReads(), 1);
}

TEST_F(Discovery, DeviceWithoutProductIsIgnored)
{
    sim::InterfaceConfig config;
    config.hidDevices.front().product.reset();
    sim::plugInterface(config);
    registerDeviceLink();
    settle();

    EXPECT_EQ(ghidInterface, nullptr);
    EXPECT_TRUE(recorder.events().empty());
    EXPECT_EQ(deviceListReads(), 0);

    sim::unplugInterface();
    settle();
    EXPECT_TRUE(recorder.events().empty());
}

struct HidIdentityCase
{
    const char* what;
    std::optional<std::int32_t> vendorID;
    std::optional<std::int32_t> productID;
};

class HidIdentity : public DeviceLink, public ::testing::WithParamInterface<HidIdentityCase>
{
};

// The manager's matching set already filters; the callbacks check again on their own.
TEST_P(HidIdentity, CallbacksIgnoreOtherOrMissingIds)
{
    registerDeviceLink();
    sim::plugInterface();
    settle();
    ghidInterface = nullptr;
    recorder.clear();

    sim::HidDeviceConfig config;
    config.vendorID = GetParam().vendorID;
    config.productID = GetParam().productID;
    const IOHIDDeviceRef other = sim::plugHidDevice(config);
    Handle_DeviceMatchingCallback(&mydeviceStruct, 0, nullptr, other);
    Handle_DeviceRemovalCallback(&mydeviceStruct, 0, nullptr, other);

    EXPECT_EQ(ghidInterface, nullptr);
    EXPECT_TRUE(recorder.events().empty());
    EXPECT_NE(gInAudioObjectID, 0u);
}

INSTANTIATE_TEST_SUITE_P(Ids, HidIdentity,
                         ::testing::Values(HidIdentityCase{"vendor", 0x5E32, 0x00B4},
                                           HidIdentityCase{"product", 0x5E31, 0x00B5},
                                           HidIdentityCase{"novendor", std::nullopt, 0x00B4},
                                           HidIdentityCase{"noproduct", 0x5E31, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.what); });

struct RemovalCase
{
    const char* product;
    bool unplugged;
};

class RemovalName : public DeviceLink, public ::testing::WithParamInterface<RemovalCase>
{
};

TEST_P(RemovalName, MatchesTheProductNameIgnoringCase)
{
    sim::InterfaceConfig config;
    config.hidDevices.front().product = std::string(GetParam().product);
    sim::plugInterface(config);
    registerDeviceLink();
    settle();
    ASSERT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));

    AudioObjectID inDuringCallback = 0, outDuringCallback = 0;
    recorder.onEvent = [&](TAVRIN_CallbackEvent event)
    {
        if (event == TAVRIN_CB_UNPLUGGED)
        {
            inDuringCallback = gInAudioObjectID;
            outDuringCallback = gOutAudioObjectID;
        }
    };
    const AudioObjectID device = gInAudioObjectID;
    sim::unplugHidDevice(sim::interfaceHidDevices().front());
    settle();

    if (GetParam().unplugged)
    {
        EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED}));
        EXPECT_EQ(inDuringCallback, device);
        EXPECT_EQ(outDuringCallback, device);
        EXPECT_EQ(gInAudioObjectID, 0u);
        EXPECT_EQ(gOutAudioObjectID, 0u);
    }
    else
    {
        EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
        EXPECT_EQ(gInAudioObjectID, device);
    }
    // The handle is the panel's to forget.
    EXPECT_EQ(ghidInterface, sim::interfaceHidDevices().front());
}

INSTANTIATE_TEST_SUITE_P(Products, RemovalName,
                         ::testing::Values(RemovalCase{"K71VT", true}, RemovalCase{"k71vt", true},
                                           RemovalCase{"K71Vt", true},
                                           RemovalCase{"K71VT USB", false},
                                           RemovalCase{"Other", false}),
                         [](const auto& info) { return testName({info.param.product}); });

TEST_F(Discovery, SecondMatchingDeviceReplacesTheHandleAndSearchesAgain)
{
    sim::InterfaceConfig config;
    config.hidDevices.push_back(sim::HidDeviceConfig{});
    sim::plugInterface(config);
    const auto hid = sim::interfaceHidDevices();
    registerDeviceLink();
    settle();

    EXPECT_EQ(ghidInterface, hid[1]);
    EXPECT_EQ(deviceListReads(), 2);
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED, TAVRIN_CB_PLUGGED}));
    EXPECT_TRUE(sim::hidCloses().empty());

    // Removing the first one, not the handle kept, still detaches.
    sim::unplugHidDevice(hid[0]);
    settle();
    EXPECT_EQ(recorder.events(),
              events({TAVRIN_CB_PLUGGED, TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED}));
    EXPECT_EQ(gInAudioObjectID, 0u);
    EXPECT_EQ(gOutAudioObjectID, 0u);
    EXPECT_EQ(ghidInterface, hid[1]);
}

TEST_F(Discovery, UnplugAndReplugFindsTheNewDevices)
{
    registerDeviceLink();
    sim::plugInterface();
    settle();
    const AudioObjectID first = gInAudioObjectID;

    sim::unplugInterface();
    settle();
    EXPECT_EQ(gInAudioObjectID, 0u);

    sim::plugInterface();
    settle();
    EXPECT_NE(gInAudioObjectID, 0u);
    EXPECT_NE(gInAudioObjectID, first);
    EXPECT_EQ(gInAudioObjectID, sim::interfaceInputDevice());
    EXPECT_EQ(recorder.events(),
              events({TAVRIN_CB_PLUGGED, TAVRIN_CB_UNPLUGGED, TAVRIN_CB_PLUGGED}));
}

TEST_F(Discovery, NullCallbackRaisesNothing)
{
    registerDeviceLink();
    mydeviceStruct.eventCallback = nullptr;
    sim::plugInterface();
    settle();
    sim::setMute(sim::interfaceOutputDevice(), audioScopeOutput, 1);
    sim::unplugInterface();
    settle();

    EXPECT_TRUE(recorder.events().empty());
    EXPECT_EQ(gInAudioObjectID, 0u);
}
} // namespace
