#pragma once

// The device link: finds the K71 VT through the HID manager and among the
// audio devices, reports its attach, detach, property changes and the
// system's sleep and wake through one event callback, sets the sample rate
// of both audio devices, and builds the HID command reports.
//
// Events 1, 2, 5, 6 and 7 are raised on the message thread (inside the HID and
// power callbacks), event 3 on the audio notification thread.

#include "platform/AudioHardware.h"
#include "platform/HidManager.h"
#include "platform/PowerManagement.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// A value shared between the message thread and the audio notification thread. Reads
// and writes are atomic with relaxed order, so it reads like the plain variable it
// stands for: `if (ghidInterface != nullptr)`, `ghidInterface = nullptr`.
template <typename T> class RelaxedAtomic
{
  public:
    constexpr RelaxedAtomic() noexcept : value() {}
    constexpr RelaxedAtomic(T initial) noexcept : value(initial) {}
    RelaxedAtomic(const RelaxedAtomic&) = delete;
    RelaxedAtomic& operator=(const RelaxedAtomic&) = delete;

    operator T() const noexcept { return value.load(std::memory_order_relaxed); }
    T load() const noexcept { return value.load(std::memory_order_relaxed); }
    RelaxedAtomic& operator=(T newValue) noexcept
    {
        value.store(newValue, std::memory_order_relaxed);
        return *this;
    }

  private:
    std::atomic<T> value;
};

enum TAVRIN_CallbackEvent : std::uint32_t
{
    TAVRIN_CB_PLUGGED = 1,
    TAVRIN_CB_UNPLUGGED = 2,
    TAVRIN_CB_PROPERTY_CHANGED = 3,
    TAVRIN_CB_WILL_SLEEP = 5,
    TAVRIN_CB_WILL_POWER_ON = 6,
    TAVRIN_CB_HAS_POWERED_ON = 7
};

// Called with the descriptor's userData, a null reserved pointer and the event.
using TAVRIN_EventCallback = void (*)(void* userData, void* reserved, TAVRIN_CallbackEvent event);

struct TAVRIN_DeviceInfo
{
    // Set by the panel before RegisterDeviceCallBacks(). Atomic because event 3 reads
    // them on the notification thread; raising an event skips a null callback, so the
    // panel may clear it when it goes away.
    RelaxedAtomic<void*> userData;
    std::int32_t vendorID;
    std::int32_t productID;
    const char* hidProductName;    // not owned
    const char* audioDeviceName;   // not owned; the audio devices' names begin with it
    const char* audioManufacturer; // not owned
    RelaxedAtomic<TAVRIN_EventCallback> eventCallback;
};

// The one descriptor; its address is the context of every callback below.
extern TAVRIN_DeviceInfo mydeviceStruct;

// Ids of the interface's input and output audio devices, 0 while absent.
extern RelaxedAtomic<AudioObjectID> gInAudioObjectID;
extern RelaxedAtomic<AudioObjectID> gOutAudioObjectID;
// The interface's HID device, null while absent. The panel closes and clears it when it
// handles a detach.
extern RelaxedAtomic<IOHIDDeviceRef> ghidInterface;

extern io_connect_t root_port;
extern mach_port_t gMasterDevicePort;
extern IONotificationPortRef gNotifyPort;
extern RunLoopSourceRef gRunLoopSource;
extern io_iterator_t gPlugIter;

// Message thread, once: fills the identity fields of mydeviceStruct (vendor 0x5E31,
// product 0x00B4, "K71VT", "K71VT", "Tavrin"), keeping the userData and eventCallback
// the panel has set, and registers for power messages, the HID manager and the USB
// service notification. A device already attached is reported once the message loop
// runs.
void RegisterDeviceCallBacks();

void Handle_DeviceMatchingCallback(void* context, IOReturn result, void* sender,
                                   IOHIDDeviceRef device);
void Handle_DeviceRemovalCallback(void* context, IOReturn result, void* sender,
                                  IOHIDDeviceRef device);
void MySleepCallBack(void* context, io_service_t service, natural_t messageType,
                     void* messageArgument);

// Up to five searches for the audio devices, sleeping one second after each miss;
// raises TAVRIN_CB_PLUGGED when both are found. Runs inside the matching callback.
void plugCallback(void* context, io_iterator_t iterator);
// One search over all audio devices; sets the two ids and adds the listener.
void CreateInputDeviceArray(const std::string& name, const std::string& manufacturer,
                            void* context);
OSStatus myAudioObjectPropertyListenerProc(AudioObjectID object, UInt32 addressCount,
                                           const AudioObjectPropertyAddress* addresses,
                                           void* context);

// Sets the rate on the input, then the output device (32000 through the physical
// format) and returns whether both then report the same nominal rate; waits 300 ms once
// when they do not agree at once. Message thread.
bool hw_setSampleRate(double rate);

// --- HID command reports -------------------------------------------------------------

constexpr std::size_t TAVRIN_REPORT_SIZE = 27;
using TAVRIN_Report = std::array<std::uint8_t, TAVRIN_REPORT_SIZE>;

TAVRIN_Report AttachReport();
// Byte 5 is 0x05 while monitoring is on, 0x01 while off.
TAVRIN_Report MonitoringReport(bool monitoringOn);
// flagByte goes to byte 24, rateCode to byte 25.
TAVRIN_Report ChannelStatusReport(std::uint8_t flagByte, std::uint8_t rateCode);
// Bit 0 while "Pro" is chosen (proConFlag 0), bit 2 while "NoneCopy" is (copyNoneFlag 0).
std::uint8_t ChannelStatusFlagByte(int proConFlag, int copyNoneFlag);
// 32000 gives 0x30, 48000 gives 0x20, anything else 0x00 (the rate is truncated).
std::uint8_t ChannelStatusRateCode(double rate);
// The rate a channel-status report carries: the two devices' common nominal rate; when
// they differ, the output's rate if hw_setSampleRate() brings both to it, else 0.
double hw_channelStatusRate();
// Sends the report as output report 0 to ghidInterface; nothing without a handle.
void hw_sendReport(const TAVRIN_Report& report);

// --- routing record ------------------------------------------------------------------

struct TAVRIN_MixerEntry
{
    std::int64_t w1, w2, w3, w4, w5, w6;
};

struct TAVRIN_DeviceMixer
{
    std::int64_t head[11];
    TAVRIN_MixerEntry entries[32];
};
static_assert(sizeof(TAVRIN_DeviceMixer) == 1624, "the routing record is 1624 bytes");

// Nothing reads it and nothing of it goes to the device.
extern TAVRIN_DeviceMixer MyDeviceMixer;

// Every word to 0.
void MyDeviceMixerReset();
// The default routing into entries 0 to 5, 8 to 13, 16 to 21 and 24 to 29.
void MyDeviceMixerDefaultFill();
// Reset, then hw_sendLoopline(&MyDeviceMixer). The panel clears its routing dialog, when
// it has one, before calling this.
void MyDeviceMixerClear();
// Writes entries 18 and 24 of the record, alternating between the test pattern and zero
// on every call; no device I/O.
void hw_sendLoopline(void* record);

// Back to the state at process start: descriptor, ids, handle, ports, routing record and
// the pattern writer's alternation. For tests that start a fresh platform.
void resetDeviceLinkState();
