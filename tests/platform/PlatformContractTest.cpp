// What the device link relies on from any backend behind the platform interface. Each
// backend's test program runs these against its own bench.

#include "platform/AudioHardware.h"
#include "platform/HidManager.h"
#include "platform/PlatformBench.h"
#include "platform/PowerManagement.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr std::int32_t k71VendorID = 0x5E31;
constexpr std::int32_t k71ProductID = 0x00B4;

std::vector<AudioObjectID> deviceList()
{
    const auto address = propertyAddress("dev#", "glob", 0);
    UInt32 size = 0;
    if (AudioObjectGetPropertyDataSize(audioSystemObject, &address, 0, nullptr, &size) != 0)
        return {};
    std::vector<AudioObjectID> devices(size / sizeof(AudioObjectID));
    if (devices.empty() || AudioObjectGetPropertyData(audioSystemObject, &address, 0, nullptr,
                                                      &size, devices.data()) != 0)
        return {};
    devices.resize(size / sizeof(AudioObjectID));
    return devices;
}

std::string nameOf(AudioObjectID device)
{
    const auto address = propertyAddress("lnam", "glob", 0);
    std::string name;
    UInt32 size = sizeof(name);
    if (AudioObjectGetPropertyData(device, &address, 0, nullptr, &size, &name) != 0)
        return {};
    return name;
}

AudioObjectID interfaceAudioDevice()
{
    for (const auto device : deviceList())
        if (nameOf(device).rfind("K71VT", 0) == 0)
            return device;
    return 0;
}

// Records the HID manager's callbacks with the thread they came on.
struct HidEvents
{
    std::vector<IOHIDDeviceRef> matched, removed;
    bool allOnTheMessageThread = true;

    static void onMatch(void* context, IOReturn, void*, IOHIDDeviceRef device)
    {
        static_cast<HidEvents*>(context)->note(device, true);
    }
    static void onRemoval(void* context, IOReturn, void*, IOHIDDeviceRef device)
    {
        static_cast<HidEvents*>(context)->note(device, false);
    }
    void note(IOHIDDeviceRef device, bool match)
    {
        allOnTheMessageThread &= juce::MessageManager::getInstance()->isThisTheMessageThread();
        (match ? matched : removed).push_back(device);
    }
};

IOHIDManagerRef openManager(HidEvents& events)
{
    const auto manager = IOHIDManagerCreate(nullptr, 0);
    IOHIDManagerSetDeviceMatchingMultiple(manager, {{k71VendorID, k71ProductID}});
    IOHIDManagerRegisterDeviceMatchingCallback(manager, &HidEvents::onMatch, &events);
    IOHIDManagerRegisterDeviceRemovalCallback(manager, &HidEvents::onRemoval, &events);
    IOHIDManagerScheduleWithMainRunLoop(manager);
    EXPECT_EQ(IOHIDManagerOpen(manager, 0), hidReturnSuccess);
    return manager;
}

class PlatformContract : public ::testing::Test
{
  protected:
    void SetUp() override { k71test::bench::freshPlatform(); }
    void TearDown() override
    {
        if (k71test::bench::canAttachInterface())
            k71test::bench::detachInterface();
    }
};
} // namespace

TEST_F(PlatformContract, TheDeviceListIsWholeIdsAndUnknownObjectsAndPropertiesFail)
{
    const auto devices = propertyAddress("dev#", "glob", 0);
    UInt32 size = 1;
    ASSERT_EQ(AudioObjectGetPropertyDataSize(audioSystemObject, &devices, 0, nullptr, &size), 0);
    EXPECT_EQ(size % sizeof(AudioObjectID), 0u);

    // A failed read leaves the caller's data alone.
    const auto rate = propertyAddress("nsrt", "****", 0);
    double value = -1.0;
    UInt32 valueSize = sizeof(value);
    EXPECT_NE(AudioObjectGetPropertyData(0x7FFFFFF0, &rate, 0, nullptr, &valueSize, &value), 0);
    EXPECT_EQ(value, -1.0);
    const auto unknown = propertyAddress("zzzz", "glob", 0);
    EXPECT_NE(AudioObjectGetPropertyDataSize(audioSystemObject, &unknown, 0, nullptr, &size), 0);
    const float level = 0.0f;
    const auto volume = propertyAddress("vold", "outp", 1);
    EXPECT_NE(AudioObjectSetPropertyData(0x7FFFFFF0, &volume, 0, nullptr, sizeof(level), &level),
              0);
}

TEST_F(PlatformContract, WithoutAnInterfaceTheHidManagerReportsNothing)
{
    if (k71test::bench::canAttachInterface())
        k71test::bench::detachInterface();
    HidEvents events;
    openManager(events);
    k71test::pumpFor(200);
    EXPECT_TRUE(events.matched.empty());
    EXPECT_EQ(interfaceAudioDevice(), 0u);
}

TEST_F(PlatformContract, AnAttachedInterfaceIsMatchedOnTheMessageThreadAndItsRemovalToo)
{
    if (!k71test::bench::canAttachInterface())
        GTEST_SKIP() << "no interface can appear on this backend";
    HidEvents events;
    openManager(events);
    k71test::bench::attachInterface();
    ASSERT_TRUE(k71test::pumpUntil([&] { return !events.matched.empty(); }));
    std::int32_t vendor = 0, product = 0;
    EXPECT_TRUE(IOHIDDeviceGetProperty(events.matched[0], "VendorID", &vendor));
    EXPECT_TRUE(IOHIDDeviceGetProperty(events.matched[0], "ProductID", &product));
    EXPECT_EQ(vendor, k71VendorID);
    EXPECT_EQ(product, k71ProductID);
    EXPECT_NE(interfaceAudioDevice(), 0u);

    k71test::bench::detachInterface();
    ASSERT_TRUE(k71test::pumpUntil([&] { return !events.removed.empty(); }));
    EXPECT_EQ(events.removed[0], events.matched[0]);
    EXPECT_TRUE(events.allOnTheMessageThread);
    EXPECT_EQ(interfaceAudioDevice(), 0u);
}

TEST_F(PlatformContract, ARepeatedListenerHearsAChangeOnceAndNotOnTheChangingThread)
{
    if (!k71test::bench::canAttachInterface())
        GTEST_SKIP() << "no interface can appear on this backend";
    k71test::bench::attachInterface();
    const auto device = interfaceAudioDevice();
    ASSERT_NE(device, 0u);

    struct Heard
    {
        std::atomic<int> calls{0};
        std::atomic<bool> onCallerThread{false};
        std::thread::id caller = std::this_thread::get_id();
    } heard;
    const auto listener = [](AudioObjectID, UInt32, const AudioObjectPropertyAddress*,
                             void* clientData) -> OSStatus
    {
        auto& h = *static_cast<Heard*>(clientData);
        h.onCallerThread = h.onCallerThread || std::this_thread::get_id() == h.caller;
        ++h.calls;
        return 0;
    };
    const auto volume = propertyAddress("vold", "outp", 1);
    ASSERT_EQ(AudioObjectAddPropertyListener(device, &volume, listener, &heard), 0);
    EXPECT_EQ(AudioObjectAddPropertyListener(device, &volume, listener, &heard), 0);

    k71test::bench::changeOutputLevelOnTheDevice(-12.0f);
    ASSERT_TRUE(k71test::pumpUntil([&] { return heard.calls > 0; }));
    k71test::pumpFor(200);
    EXPECT_EQ(heard.calls, 1);
    EXPECT_FALSE(heard.onCallerThread);

    float level = 0.0f;
    UInt32 size = sizeof(level);
    ASSERT_EQ(AudioObjectGetPropertyData(device, &volume, 0, nullptr, &size, &level), 0);
    EXPECT_FLOAT_EQ(level, -12.0f);
    k71test::bench::detachInterface(); // the listener goes with the device
}

TEST_F(PlatformContract, APowerRegistrationGivesAPortWithARunLoopSourceOrNothing)
{
    IONotificationPortRef port = nullptr;
    io_object_t notifier = 0;
    const auto root = IORegisterForSystemPower(
        nullptr, &port, [](void*, io_service_t, natural_t, void*) {}, &notifier);
    if (root == 0)
        return; // refused: nothing is delivered then
    ASSERT_NE(port, nullptr);
    EXPECT_NE(IONotificationPortGetRunLoopSource(port), nullptr);
}
