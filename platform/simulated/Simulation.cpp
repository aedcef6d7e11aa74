// The simulation control: single devices, the hardware side of the audio
// devices, power messages, records and the life cycle.
#include "platform/simulated/Simulation.h"

#include "platform/simulated/SimModel.h"

#include <algorithm>
#include <cstring>

using namespace sim::detail;

namespace sim::detail
{
namespace
{
void announceDeviceList(Model&)
{
    queueNotification(audioSystemObject, {{audioPropertyDevices, audioScopeGlobal, 0}});
}

std::vector<void (*)()>& resetHooks()
{
    static std::vector<void (*)()> hooks;
    return hooks;
}
} // namespace

AudioObjectID addAudioDevice(Model& m, const AudioDeviceConfig& config)
{
    auto device = std::make_unique<AudioDevice>();
    device->id = nextObjectID();
    device->config = config;
    populateDevice(*device);
    const AudioObjectID id = device->id;
    m.audioDevices.push_back(std::move(device));
    announceDeviceList(m);
    return id;
}

void removeAudioDevice(Model& m, AudioObjectID id)
{
    auto& devices = m.audioDevices;
    const auto it = std::find_if(devices.begin(), devices.end(),
                                 [id](const auto& device) { return device->id == id; });
    if (it == devices.end())
        return;
    devices.erase(it);
    for (auto& device : devices)
        if (device->rateLeader == id)
            device->rateLeader = 0;
    announceDeviceList(m);
}

HidDevice* addHidDevice(Model& m, const HidDeviceConfig& config)
{
    m.hidDevices.push_back(std::make_unique<HidDevice>());
    HidDevice* device = m.hidDevices.back().get();
    device->config = config;
    announceHidDevice(m, device, true);
    return device;
}

void removeHidDevice(Model& m, HidDevice* device)
{
    if (device == nullptr || !m.isActive(device) || !device->plugged)
        return;
    device->plugged = false;
    announceHidDevice(m, device, false);
}
} // namespace sim::detail

namespace sim
{
namespace
{
// Applies hardware-side changes; false (and nothing changed) when any address or value
// does not fit. Mutex held.
bool applyHardwareChanges(Model& m, AudioObjectID id, const std::vector<PropertyChange>& changes,
                          ChangeList& changed)
{
    AudioDevice* device = m.findAudioDevice(id);
    if (device == nullptr)
        return false;
    std::vector<AudioObjectPropertyAddress> canonical(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i)
        if (!findProperty(*device, changes[i].address, canonical[i]) ||
            canonical[i].selector == audioPropertyStreamConfiguration ||
            !valueMatchesProperty(canonical[i], changes[i].value))
            return false;

    for (std::size_t i = 0; i < changes.size(); ++i)
    {
        std::visit(
            [&](const auto& value) {
                writeProperty(m, *device, canonical[i], &value, (UInt32)sizeof(value), true,
                              changed);
            },
            changes[i].value);
    }
    return true;
}

template <typename T>
std::optional<T> readValue(AudioObjectID id, const AudioObjectPropertyAddress& address)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    AudioDevice* device = m.findAudioDevice(id);
    AudioObjectPropertyAddress canonical;
    if (device == nullptr || !findProperty(*device, address, canonical) ||
        propertySize(*device, canonical) != sizeof(T))
        return std::nullopt;
    T value{};
    copyProperty(*device, canonical, &value);
    return value;
}

template <typename T> T fromBytes(const std::vector<std::uint8_t>& data)
{
    T value{};
    if (data.size() == sizeof(T))
        std::memcpy(&value, data.data(), sizeof(T));
    return value;
}
} // namespace

AudioObjectID plugAudioDevice(const AudioDeviceConfig& config)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    return addAudioDevice(m, config);
}

void unplugAudioDevice(AudioObjectID device)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    removeAudioDevice(m, device);
}

IOHIDDeviceRef plugHidDevice(const HidDeviceConfig& config)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    return addHidDevice(m, config);
}

void unplugHidDevice(IOHIDDeviceRef device)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    removeHidDevice(m, device);
}

std::vector<AudioObjectID> audioDevices()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    std::vector<AudioObjectID> ids;
    for (const auto& device : m.audioDevices)
        ids.push_back(device->id);
    return ids;
}

bool changeProperties(AudioObjectID device, const std::vector<PropertyChange>& changes)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    ChangeList changed;
    if (!applyHardwareChanges(m, device, changes, changed))
        return false;
    // One listener call per device with everything that changed on it.
    queueNotifications(changed);
    return true;
}

bool setNominalRate(AudioObjectID device, double rate)
{
    return changeProperties(device,
                            {{{audioPropertyNominalSampleRate, audioScopeGlobal, 0}, rate}});
}

bool setVolumeDb(AudioObjectID device, AudioObjectPropertyScope scope,
                 AudioObjectPropertyElement element, float decibels)
{
    return changeProperties(device, {{{audioPropertyVolumeDecibels, scope, element}, decibels}});
}

bool setMute(AudioObjectID device, AudioObjectPropertyScope scope, UInt32 muted)
{
    return changeProperties(device, {{{audioPropertyMute, scope, 0}, muted}});
}

bool setDataSource(AudioObjectID device, UInt32 source)
{
    return changeProperties(device, {{{audioPropertyDataSource, audioScopeInput, 0}, source}});
}

bool setPlayThru(AudioObjectID device, UInt32 on)
{
    return changeProperties(device, {{{audioPropertyPlayThru, audioScopeInput, 0}, on}});
}

void notifyListeners(AudioObjectID device, const std::vector<AudioObjectPropertyAddress>& changed)
{
    queueNotification(device, changed);
}

bool removeProperty(AudioObjectID id, const AudioObjectPropertyAddress& address)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    AudioDevice* device = m.findAudioDevice(id);
    AudioObjectPropertyAddress canonical;
    if (device == nullptr || !findProperty(*device, address, canonical))
        return false;
    device->removed.insert(canonical);
    return true;
}

void setAcceptedRates(AudioObjectID id, const std::vector<double>& nominalRates,
                      const std::vector<double>& physicalRates)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (AudioDevice* device = m.findAudioDevice(id))
    {
        device->config.nominalRates = nominalRates;
        device->config.physicalRates = physicalRates;
    }
}

void refuseAllRates(AudioObjectID device)
{
    setAcceptedRates(device, {}, {});
}

void setRateFollows(AudioObjectID follower, AudioObjectID leader)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (AudioDevice* device = m.findAudioDevice(follower))
        device->rateLeader = leader;
}

void refuseListeners(AudioObjectID id, bool refuses)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (AudioDevice* device = m.findAudioDevice(id))
        device->refusesListeners = refuses;
}

std::optional<double> nominalRate(AudioObjectID device)
{
    return readValue<double>(device, {audioPropertyNominalSampleRate, audioScopeGlobal, 0});
}

std::optional<float> volumeDb(AudioObjectID device, AudioObjectPropertyScope scope,
                              AudioObjectPropertyElement element)
{
    return readValue<float>(device, {audioPropertyVolumeDecibels, scope, element});
}

std::optional<UInt32> mute(AudioObjectID device, AudioObjectPropertyScope scope)
{
    return readValue<UInt32>(device, {audioPropertyMute, scope, 0});
}

std::optional<UInt32> dataSource(AudioObjectID device)
{
    return readValue<UInt32>(device, {audioPropertyDataSource, audioScopeInput, 0});
}

bool waitForAudioNotifications(int timeoutMs)
{
    return waitForNotifications(timeoutMs);
}

void setPowerRegistrationFails(bool fails)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.powerRegistrationFails = fails;
}

void sendPowerMessage(natural_t messageType, std::intptr_t argument)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    for (const auto& registration : m.powerRegistrations)
    {
        if (!registration.notificationPort->source.scheduled || registration.callback == nullptr)
            continue;
        postToMessageThread(m.generation,
                            [registration, messageType, argument]
                            {
                                registration.callback(registration.refcon, registration.notifier,
                                                      messageType,
                                                      reinterpret_cast<void*>(argument));
                            });
    }
}

void setSleepHook(std::function<void(unsigned int)> hook)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.sleepHook = std::move(hook);
}

void setReadHook(std::function<void(const PropertyRead&)> hook)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.readHook = std::move(hook);
}

double PropertyWrite::asDouble() const
{
    return fromBytes<double>(data);
}
float PropertyWrite::asFloat() const
{
    return fromBytes<float>(data);
}
UInt32 PropertyWrite::asUInt32() const
{
    return fromBytes<UInt32>(data);
}
AudioStreamDescription PropertyWrite::asStreamDescription() const
{
    return fromBytes<AudioStreamDescription>(data);
}

#define K71_SNAPSHOT(Type, name, member)                                                           \
    std::vector<Type> name()                                                                       \
    {                                                                                              \
        Model& m = model();                                                                        \
        std::lock_guard<std::mutex> lock(m.mutex);                                                 \
        return m.member;                                                                           \
    }
K71_SNAPSHOT(PropertyWrite, propertyWrites, writes)
K71_SNAPSHOT(PropertyRead, propertyReads, reads)
K71_SNAPSHOT(ListenerRegistration, listenerRegistrations, listenerRegistrations)
K71_SNAPSHOT(HidReport, hidReports, hidReports)
K71_SNAPSHOT(IOHIDDeviceRef, hidCloses, hidCloses)
K71_SNAPSHOT(PowerAnswer, powerAnswers, powerAnswers)
K71_SNAPSHOT(unsigned int, sleepCalls, sleepCalls)
#undef K71_SNAPSHOT

std::vector<HidManagerRecord> hidManagers()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    std::vector<HidManagerRecord> records;
    for (const auto& manager : m.hidManagers)
    {
        HidManagerRecord record;
        record.manager = manager.get();
        record.hasMatching = manager->hasMatching;
        record.matching = manager->matching;
        record.matchingCallback = manager->matchingCallback != nullptr;
        record.removalCallback = manager->removalCallback != nullptr;
        record.matchingContext = manager->matchingContext;
        record.removalContext = manager->removalContext;
        record.scheduled = manager->scheduled;
        record.opened = manager->opened;
        records.push_back(record);
    }
    return records;
}

std::vector<ServiceNotification> serviceNotifications()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    std::vector<ServiceNotification> records;
    for (const auto& entry : m.serviceNotifications)
    {
        records.push_back(entry.record);
        records.back().sourceScheduled = entry.port->source.scheduled;
    }
    return records;
}

void clearRecords()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.writes.clear();
    m.reads.clear();
    m.listenerRegistrations.clear();
    m.hidReports.clear();
    m.hidCloses.clear();
    m.powerAnswers.clear();
    m.sleepCalls.clear();
}

void resetSimulation()
{
    stopNotifications(true);
    {
        Model& m = model();
        std::lock_guard<std::mutex> lock(m.mutex);
        ++m.generation;
        m.audioDevices.clear();
        m.systemListeners.clear();
        for (auto& device : m.hidDevices)
            m.retiredHidDevices.push_back(std::move(device));
        m.hidDevices.clear();
        for (auto& manager : m.hidManagers)
            m.retiredHidManagers.push_back(std::move(manager));
        m.hidManagers.clear();
        for (auto& port : m.ports)
            m.retiredPorts.push_back(std::move(port));
        m.ports.clear();
        m.powerRegistrations.clear();
        m.powerRegistrationFails = false;
        m.serviceNotifications.clear();
        m.sleepHook = nullptr;
        m.readHook = nullptr;
        m.interfacePlugged = false;
        m.interfaceAudio.clear();
        m.interfaceHid.clear();
    }
    clearRecords();
    for (auto* hook : resetHooks())
        hook();
}

void addResetHook(void (*hook)())
{
    auto& hooks = resetHooks();
    if (std::find(hooks.begin(), hooks.end(), hook) == hooks.end())
        hooks.push_back(hook);
}

void shutdownSimulation()
{
    stopNotifications(false);
}
} // namespace sim
