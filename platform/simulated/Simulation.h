#pragma once

// The hardware side of the simulated platform: plugging devices (the virtual
// K71 VT of platform/simulated/VirtualK71VT.h is made of them), changing
// properties as the hardware would, injecting power messages, and the in-order
// records of everything the system did to the platform. Tests and the
// simulator channel drive it; the program reaches it only through
// platform::startBackend() and stopBackend().
//
// Threads: every call here may be made from any thread. Listener calls run on
// the one notification thread "k71-notify"; HID and power callbacks are
// posted to the JUCE message thread. Nothing here calls a listener or a
// callback synchronously.

#include "platform/AudioHardware.h"
#include "platform/HidManager.h"
#include "platform/PowerManagement.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace sim
{
// --- configuration ------------------------------------------------------------------

struct HidDeviceConfig
{
    std::optional<std::int32_t> vendorID = 0x5E31;
    std::optional<std::int32_t> productID = 0x00B4;
    std::optional<std::string> product = std::string("K71VT");
};

struct AudioDeviceConfig
{
    std::string name = "K71VT";
    std::string manufacturer = "Tavrin";
    std::string uid; // empty: one is made from the object id
    bool hasInput = true;
    bool hasOutput = true;
    double sampleRate = 48000.0;
    // Rates a nominal-rate write accepts, and rates a physical-format write accepts.
    std::vector<double> nominalRates = {44100.0, 48000.0, 88200.0, 96000.0};
    std::vector<double> physicalRates = {32000.0, 44100.0, 48000.0, 88200.0, 96000.0};
    float inputMinDb = -40.0f, inputMaxDb = 12.0f;
    float outputMinDb = -55.0f, outputMaxDb = 0.0f;
    float volumeDb = 0.0f; // start level of every channel
    UInt32 dataSource = audioDataSourceAnalog;
};

// --- single devices ------------------------------------------------------------------

// Other devices on the system, or extra ones beside the interface. Object ids are never
// reused, not even across resetSimulation().
AudioObjectID plugAudioDevice(const AudioDeviceConfig& config);
void unplugAudioDevice(AudioObjectID device);
IOHIDDeviceRef plugHidDevice(const HidDeviceConfig& config);
void unplugHidDevice(IOHIDDeviceRef device);
std::vector<AudioObjectID> audioDevices(); // every plugged audio device, in 'dev#' order

// --- the hardware side of the audio devices -----------------------------------------

using PropertyValue = std::variant<double, float, UInt32, std::string, AudioStreamDescription>;

struct PropertyChange
{
    AudioObjectPropertyAddress address;
    PropertyValue value;
};

// Changes properties as the device itself would: no accepted-rate or read-only check,
// levels still clamped, the two volume views kept together, followers of the rate
// updated. Listeners hear every address that changed in one call. Returns false when
// the object or an address does not exist (nothing is changed then).
bool changeProperties(AudioObjectID device, const std::vector<PropertyChange>& changes);
bool setNominalRate(AudioObjectID device, double rate);
bool setVolumeDb(AudioObjectID device, AudioObjectPropertyScope scope,
                 AudioObjectPropertyElement element, float decibels);
bool setMute(AudioObjectID device, AudioObjectPropertyScope scope, UInt32 muted);
bool setDataSource(AudioObjectID device, UInt32 source);
bool setPlayThru(AudioObjectID device, UInt32 on);

// Calls the listeners with these addresses without changing anything (an address that
// does not exist makes the listener's read of it fail).
void notifyListeners(AudioObjectID device, const std::vector<AudioObjectPropertyAddress>& changed);
// The property disappears from the device: reads and writes of it fail afterwards.
bool removeProperty(AudioObjectID device, const AudioObjectPropertyAddress& address);

// Which rates writes are accepted for; empty lists refuse every rate.
void setAcceptedRates(AudioObjectID device, const std::vector<double>& nominalRates,
                      const std::vector<double>& physicalRates);
void refuseAllRates(AudioObjectID device);
// The follower takes every new rate of the leader, as a shared clock would (0 stops it).
void setRateFollows(AudioObjectID follower, AudioObjectID leader);
// Adding a listener to the device fails from now on (false: succeeds again).
void refuseListeners(AudioObjectID device, bool refuses = true);

// Direct reads for assertions; nullopt when the property does not exist.
std::optional<double> nominalRate(AudioObjectID device);
std::optional<float> volumeDb(AudioObjectID device, AudioObjectPropertyScope scope,
                              AudioObjectPropertyElement element);
std::optional<UInt32> mute(AudioObjectID device, AudioObjectPropertyScope scope);
std::optional<UInt32> dataSource(AudioObjectID device);

// Blocks until the notification thread has delivered everything pending, including
// what the listeners' own writes caused. On the message thread it keeps the message
// loop running meanwhile, so a listener waiting for the message thread can finish.
// False on timeout.
bool waitForAudioNotifications(int timeoutMs = 5000);

// --- power -----------------------------------------------------------------------------

// IORegisterForSystemPower answers 0 while set.
void setPowerRegistrationFails(bool fails);
// Posts a power message to every scheduled power registration (message thread).
void sendPowerMessage(natural_t messageType, std::intptr_t argument);

// --- sleep -----------------------------------------------------------------------------

// Runs inside platform::sleep on the caller's thread (for example to plug a device
// while the device link waits); null for none.
void setSleepHook(std::function<void(unsigned int seconds)> hook);

// --- records -----------------------------------------------------------------------------

struct PropertyWrite
{
    AudioObjectID object = 0;
    AudioObjectPropertyAddress address;
    std::vector<std::uint8_t> data;
    OSStatus status = 0;

    double asDouble() const;
    float asFloat() const;
    UInt32 asUInt32() const;
    AudioStreamDescription asStreamDescription() const;
};

struct PropertyRead
{
    AudioObjectID object = 0;
    AudioObjectPropertyAddress address;
    OSStatus status = 0;
};

struct ListenerRegistration
{
    AudioObjectID object = 0;
    AudioObjectPropertyAddress address;
    AudioObjectPropertyListenerProc listener = nullptr;
    void* clientData = nullptr;
    OSStatus status = 0;
};

struct HidReport
{
    IOHIDDeviceRef device = nullptr;
    IOHIDReportType type = hidReportTypeOutput;
    CFIndex reportID = 0;
    std::vector<std::uint8_t> bytes;
    IOReturn status = 0;
};

struct HidManagerRecord
{
    IOHIDManagerRef manager = nullptr;
    bool hasMatching = false;
    std::vector<HidMatchingEntry> matching;
    bool matchingCallback = false, removalCallback = false;
    void* matchingContext = nullptr;
    void* removalContext = nullptr;
    bool scheduled = false, opened = false;
};

struct PowerAnswer
{
    io_connect_t port = 0;
    std::intptr_t notificationID = 0;
};

struct ServiceNotification
{
    std::string notificationType;
    ServiceMatching matching;
    IOServiceMatchingCallback callback = nullptr;
    void* refcon = nullptr;
    bool sourceScheduled = false;
};

// Thread-safe snapshots, each in the order things happened.
std::vector<PropertyWrite> propertyWrites(); // every AudioObjectSetPropertyData call
std::vector<PropertyRead> propertyReads();   // every AudioObjectGetPropertyData call
std::vector<ListenerRegistration> listenerRegistrations();
std::vector<HidReport> hidReports();     // every IOHIDDeviceSetReport call
std::vector<IOHIDDeviceRef> hidCloses(); // every IOHIDDeviceClose call
std::vector<HidManagerRecord> hidManagers();
std::vector<PowerAnswer> powerAnswers(); // every IOAllowPowerChange call
std::vector<ServiceNotification> serviceNotifications();
std::vector<unsigned int> sleepCalls(); // every platform::sleep call
// Forgets the records above, nothing else.
void clearRecords();

// Runs after every AudioObjectGetPropertyData call, on the caller's thread, with what
// the call recorded (for example to change a device between two reads of the device
// link); null for none.
void setReadHook(std::function<void(const PropertyRead& read)> hook);

// --- life cycle --------------------------------------------------------------------------

// A fresh platform, as in a new process: stops the notification thread (dropping what is
// pending), unplugs everything, forgets every HID manager, power registration, listener,
// hook and record, and runs the reset hooks (test support registers one that clears
// the device link's globals). Object ids and handles are never reused afterwards.
// Message thread only.
void resetSimulation();

// Called by resetSimulation() after the platform is reset.
void addResetHook(void (*hook)());

// Stops the notification thread for good: a listener call that waits for the message
// thread through a juce::MessageManagerLock watching this thread gives up, and the call
// returns once the thread has ended. Call it when the program quits, before the objects
// the listeners reach are deleted. Also runs at process exit. A later resetSimulation()
// brings the notification thread back, for tests that quit a program and go on.
void shutdownSimulation();
} // namespace sim
