#pragma once

// The state of the simulated platform behind the OS-style calls and the
// simulation control of platform/simulated/Simulation.h. One mutex guards all of it;
// nothing calls a listener or a callback while holding it.

#include "platform/AudioHardware.h"
#include "platform/HidManager.h"
#include "platform/PowerManagement.h"
#include "platform/simulated/Simulation.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

struct HidDevice
{
    sim::HidDeviceConfig config;
    bool plugged = true;
    bool closed = false;
};

struct HidManager
{
    bool hasMatching = false;
    std::vector<HidMatchingEntry> matching;
    IOHIDDeviceCallback matchingCallback = nullptr;
    void* matchingContext = nullptr;
    IOHIDDeviceCallback removalCallback = nullptr;
    void* removalContext = nullptr;
    bool scheduled = false;
    bool opened = false;
};

struct RunLoopSource
{
    bool scheduled = false;
};

struct NotificationPort
{
    RunLoopSource source;
};

namespace sim::detail
{
struct AddressLess
{
    bool operator()(const AudioObjectPropertyAddress& a,
                    const AudioObjectPropertyAddress& b) const noexcept
    {
        if (a.selector != b.selector)
            return a.selector < b.selector;
        if (a.scope != b.scope)
            return a.scope < b.scope;
        return a.element < b.element;
    }
};

struct Listener
{
    AudioObjectPropertyAddress address;
    AudioObjectPropertyListenerProc proc = nullptr;
    void* clientData = nullptr;
};

struct AudioDevice
{
    AudioObjectID id = 0;
    AudioDeviceConfig config;
    // Keyed by the canonical address: device-wide properties under 'glob'. The scalar
    // volume is not stored; it is a view of the 'vold' entry.
    std::map<AudioObjectPropertyAddress, PropertyValue, AddressLess> values;
    std::set<AudioObjectPropertyAddress, AddressLess> removed;
    AudioObjectID rateLeader = 0;
    bool refusesListeners = false;
    std::vector<Listener> listeners;
};

// Changed addresses per device, in the order they changed.
using ChangeList = std::vector<std::pair<AudioObjectID, std::vector<AudioObjectPropertyAddress>>>;

struct PowerRegistration
{
    io_connect_t port = 0;
    void* refcon = nullptr;
    IOServiceInterestCallback callback = nullptr;
    NotificationPort* notificationPort = nullptr;
    io_object_t notifier = 0;
};

struct ServiceNotificationEntry
{
    ServiceNotification record;
    NotificationPort* port = nullptr;
};

struct Model
{
    std::mutex mutex;
    std::uint64_t generation = 0;

    std::vector<std::unique_ptr<AudioDevice>> audioDevices; // plug order
    std::vector<Listener> systemListeners;

    std::vector<std::unique_ptr<HidDevice>> hidDevices;
    std::vector<std::unique_ptr<HidManager>> hidManagers;
    std::vector<std::unique_ptr<NotificationPort>> ports;
    std::vector<PowerRegistration> powerRegistrations;
    bool powerRegistrationFails = false;
    std::vector<ServiceNotificationEntry> serviceNotifications;
    std::function<void(unsigned int)> sleepHook;
    std::function<void(const PropertyRead&)> readHook;

    bool interfacePlugged = false;
    std::vector<AudioObjectID> interfaceAudio;
    std::vector<HidDevice*> interfaceHid;

    std::vector<PropertyWrite> writes;
    std::vector<PropertyRead> reads;
    std::vector<ListenerRegistration> listenerRegistrations;
    std::vector<HidReport> hidReports;
    std::vector<IOHIDDeviceRef> hidCloses;
    std::vector<PowerAnswer> powerAnswers;
    std::vector<unsigned int> sleepCalls;

    // Objects of earlier resets: handles that tests or the device link still hold stay
    // valid memory, they just no longer take part.
    std::vector<std::unique_ptr<HidDevice>> retiredHidDevices;
    std::vector<std::unique_ptr<HidManager>> retiredHidManagers;
    std::vector<std::unique_ptr<NotificationPort>> retiredPorts;

    AudioDevice* findAudioDevice(AudioObjectID id);
    bool isActive(const HidManager* manager) const;
    bool isActive(const HidDevice* device) const;
};

Model& model();

// Object ids and port numbers are never reused, also across resets.
AudioObjectID nextObjectID();
std::uint32_t nextPortNumber();

// Runs fn on the message thread later, unless the simulation is reset meanwhile.
void postToMessageThread(std::uint64_t generation, std::function<void()> fn);

// --- audio properties (SimAudioProperties.cpp); call with the mutex held ---------------

void populateDevice(AudioDevice& device);
// The canonical address of an existing property, or false.
bool findProperty(const AudioDevice& device, const AudioObjectPropertyAddress& address,
                  AudioObjectPropertyAddress& canonical);
UInt32 propertySize(const AudioDevice& device, const AudioObjectPropertyAddress& canonical);
void copyProperty(const AudioDevice& device, const AudioObjectPropertyAddress& canonical,
                  void* data);
// A write by the system (checked like hardware would) or a change by the hardware side
// (fromHardware: no accepted-rate or read-only check).
OSStatus writeProperty(Model& model, AudioDevice& device,
                       const AudioObjectPropertyAddress& canonical, const void* data, UInt32 size,
                       bool fromHardware, ChangeList& changes);
bool valueMatchesProperty(const AudioObjectPropertyAddress& canonical, const PropertyValue& value);
bool listenerHears(const AudioObjectPropertyAddress& filter,
                   const AudioObjectPropertyAddress& changed);

// Posts the device's arrival or removal to every open and scheduled HID manager that
// matches it (HidManager.cpp); mutex held.
void announceHidDevice(Model& model, HidDevice* device, bool arrival);

// Plugs and unplugs with the mutex held; the changes go to the notification thread.
AudioObjectID addAudioDevice(Model& model, const AudioDeviceConfig& config);
void removeAudioDevice(Model& model, AudioObjectID id);
HidDevice* addHidDevice(Model& model, const HidDeviceConfig& config);
void removeHidDevice(Model& model, HidDevice* device);

// --- notifications (SimNotifications.cpp) ------------------------------------------------

// Queues the changes for the notification thread. Any thread; with or without the mutex.
void queueNotifications(const ChangeList& changes);
void queueNotification(AudioObjectID object, std::vector<AudioObjectPropertyAddress> addresses);
bool waitForNotifications(int timeoutMs);
// Ends the thread, dropping what is pending. restartable: later changes start it again.
void stopNotifications(bool restartable);
} // namespace sim::detail
