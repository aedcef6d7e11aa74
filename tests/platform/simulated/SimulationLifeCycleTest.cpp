// HID delivery, the reset for tests and quitting while a listener waits.
#include "device/DeviceTestSupport.h"

#include "platform/SystemSleep.h"

#include <thread>

namespace
{
using namespace k71test;

class SimulationLifeCycle : public DeviceLink
{
};

struct HidLog
{
    static void arrived(void* context, IOReturn, void*, IOHIDDeviceRef device)
    {
        static_cast<HidLog*>(context)->arrivals.push_back(device);
    }
    static void removed(void* context, IOReturn, void*, IOHIDDeviceRef device)
    {
        static_cast<HidLog*>(context)->removals.push_back(device);
    }
    std::vector<IOHIDDeviceRef> arrivals, removals;
};

IOHIDManagerRef openManager(HidLog& log, const std::vector<HidMatchingEntry>* matching)
{
    const IOHIDManagerRef manager = IOHIDManagerCreate(nullptr, 0);
    if (matching != nullptr)
        IOHIDManagerSetDeviceMatchingMultiple(manager, *matching);
    IOHIDManagerRegisterDeviceMatchingCallback(manager, &HidLog::arrived, &log);
    IOHIDManagerRegisterDeviceRemovalCallback(manager, &HidLog::removed, &log);
    IOHIDManagerScheduleWithMainRunLoop(manager);
    IOHIDManagerOpen(manager, 0);
    return manager;
}

TEST_F(SimulationLifeCycle, HidCallbacksArePostedAndFollowTheMatchingSet)
{
    HidLog all, k71Only, none;
    const IOHIDDeviceRef present = sim::plugHidDevice({});
    const std::vector<HidMatchingEntry> k71{{0x5E31, 0x00B4}}, empty;
    openManager(all, nullptr);
    openManager(k71Only, &k71);
    openManager(none, &empty);
    sim::HidDeviceConfig otherConfig;
    otherConfig.productID = 0x0001;
    const IOHIDDeviceRef other = sim::plugHidDevice(otherConfig);
    sim::unplugHidDevice(present);
    EXPECT_TRUE(all.arrivals.empty()) << "nothing runs inside the plug call";

    settle();
    EXPECT_EQ(all.arrivals, (std::vector<IOHIDDeviceRef>{present, other}));
    EXPECT_EQ(all.removals, (std::vector<IOHIDDeviceRef>{present}));
    EXPECT_EQ(k71Only.arrivals, (std::vector<IOHIDDeviceRef>{present}));
    EXPECT_EQ(k71Only.removals, (std::vector<IOHIDDeviceRef>{present}));
    EXPECT_TRUE(none.arrivals.empty());

    // The unplugged handle still answers its properties, but takes no reports.
    std::string product;
    EXPECT_TRUE(IOHIDDeviceGetProperty(present, "Product", &product));
    EXPECT_EQ(product, "K71VT");
    const std::uint8_t byte = 1;
    EXPECT_EQ(IOHIDDeviceSetReport(present, hidReportTypeOutput, 0, &byte, 1),
              hidReturnNotAttached);
    EXPECT_EQ(IOHIDDeviceClose(other, 0), hidReturnSuccess);
    EXPECT_EQ(IOHIDDeviceSetReport(other, hidReportTypeOutput, 0, &byte, 1), hidReturnNotOpen);
    EXPECT_EQ(sim::hidCloses(), (std::vector<IOHIDDeviceRef>{other}));
    EXPECT_EQ(sim::hidReports().size(), 2u);
}

TEST_F(SimulationLifeCycle, ResetDropsPendingCallbacksAndClearsTheDeviceLink)
{
    sim::plugInterface();
    registerDeviceLink();
    settle();
    ASSERT_NE(gInAudioObjectID, 0u);
    MyDeviceMixerClear();
    sim::unplugInterface(); // removal posted, not yet delivered

    sim::resetSimulation();
    settle();
    EXPECT_EQ(recorder.events(), events({TAVRIN_CB_PLUGGED}));
    EXPECT_EQ(mydeviceStruct.eventCallback, nullptr);
    EXPECT_EQ(mydeviceStruct.userData, nullptr);
    EXPECT_EQ(mydeviceStruct.vendorID, 0);
    EXPECT_EQ(gInAudioObjectID, 0u);
    EXPECT_EQ(gOutAudioObjectID, 0u);
    EXPECT_EQ(ghidInterface, nullptr);
    EXPECT_EQ(root_port, 0u);
    EXPECT_TRUE(sim::hidManagers().empty());
    EXPECT_TRUE(sim::hidReports().empty());
    EXPECT_TRUE(sim::sleepCalls().empty());
    EXPECT_FALSE(sim::interfacePlugged());
    for (const auto& entry : MyDeviceMixer.entries)
        EXPECT_EQ(entry.w1, 0);
}

// A listener that waits for the message thread, the way the panel's callback does,
// while the message thread is busy elsewhere.
struct LockingListener
{
    static OSStatus listener(AudioObjectID, UInt32, const AudioObjectPropertyAddress*, void* data)
    {
        auto* self = static_cast<LockingListener*>(data);
        self->waiting = true;
        const juce::MessageManagerLock lock(juce::Thread::getCurrentThread());
        self->gained = lock.lockWasGained();
        self->finished = true;
        return 0;
    }
    std::atomic<bool> waiting{false}, gained{false}, finished{false};
};

TEST_F(SimulationLifeCycle, StoppingNeverHangsWhileAListenerWaitsForTheMessageThread)
{
    const AudioObjectID device = sim::plugAudioDevice({});
    LockingListener locking;
    const auto everything = propertyAddress("****", "****", 0xFFFFFFFF);
    ASSERT_EQ(
        AudioObjectAddPropertyListener(device, &everything, &LockingListener::listener, &locking),
        0);
    sim::setMute(device, audioScopeOutput, 1);
    // Not pumping: the message thread stays busy here until the listener waits.
    while (!locking.waiting)
        std::this_thread::yield();

    const auto start = juce::Time::getMillisecondCounter();
    sim::resetSimulation();
    EXPECT_LT(juce::Time::getMillisecondCounter() - start, 2000u);
    EXPECT_TRUE(locking.finished);
    EXPECT_FALSE(locking.gained);

    // The next change starts a fresh notification thread.
    const AudioObjectID next = sim::plugAudioDevice({});
    LockingListener again;
    ASSERT_EQ(AudioObjectAddPropertyListener(next, &everything, &LockingListener::listener, &again),
              0);
    sim::setMute(next, audioScopeOutput, 1);
    ASSERT_TRUE(sim::waitForAudioNotifications());
    EXPECT_TRUE(again.gained) << "waiting keeps the message loop running";
}

struct CountingListener
{
    static OSStatus listener(AudioObjectID, UInt32, const AudioObjectPropertyAddress*, void* data)
    {
        ++static_cast<CountingListener*>(data)->calls;
        return 0;
    }
    std::atomic<int> calls{0};
};

TEST_F(SimulationLifeCycle, ShutdownSilencesListenersUntilTheNextReset)
{
    const auto everything = propertyAddress("****", "****", 0xFFFFFFFF);
    CountingListener before;
    const AudioObjectID device = sim::plugAudioDevice({});
    ASSERT_EQ(
        AudioObjectAddPropertyListener(device, &everything, &CountingListener::listener, &before),
        0);
    sim::shutdownSimulation();
    EXPECT_TRUE(sim::setMute(device, audioScopeOutput, 1)) << "values still change";
    EXPECT_TRUE(sim::waitForAudioNotifications());
    EXPECT_EQ(before.calls, 0);

    sim::resetSimulation();
    CountingListener after;
    const AudioObjectID next = sim::plugAudioDevice({});
    ASSERT_EQ(
        AudioObjectAddPropertyListener(next, &everything, &CountingListener::listener, &after), 0);
    sim::setMute(next, audioScopeOutput, 1);
    ASSERT_TRUE(sim::waitForAudioNotifications());
    EXPECT_EQ(after.calls, 1);
}

TEST_F(SimulationLifeCycle, SleepHookRunsOnTheCallersThread)
{
    unsigned int hooked = 0;
    sim::setSleepHook([&](unsigned int seconds) { hooked = seconds; });
    EXPECT_EQ(platform::sleep(3), 0u);
    EXPECT_EQ(hooked, 3u);
    EXPECT_EQ(sim::sleepCalls(), std::vector<unsigned int>{3});
}
} // namespace
