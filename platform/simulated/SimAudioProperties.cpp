// How a simulated audio device keeps, checks and changes its properties.
#include "platform/simulated/SimModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace sim::detail
{
namespace
{
bool isDeviceWide(AudioObjectPropertySelector selector)
{
    return selector == audioPropertyUID || selector == audioPropertyName ||
           selector == audioPropertyManufacturer || selector == audioPropertyNominalSampleRate ||
           selector == audioPropertyPhysicalFormat;
}

bool isKnownScope(AudioObjectPropertyScope scope)
{
    return scope == audioScopeGlobal || scope == audioScopeInput || scope == audioScopeOutput ||
           scope == audioScopeWildcard;
}

bool isDirection(AudioObjectPropertyScope scope)
{
    return scope == audioScopeInput || scope == audioScopeOutput;
}

AudioObjectPropertyAddress levelAddress(AudioObjectPropertyScope scope,
                                        AudioObjectPropertyElement element)
{
    return {audioPropertyVolumeDecibels, scope, element};
}

AudioObjectPropertyAddress globalAddress(AudioObjectPropertySelector selector)
{
    return {selector, audioScopeGlobal, audioElementMain};
}

void rangeOf(const AudioDevice& device, AudioObjectPropertyScope scope, float& minDb, float& maxDb)
{
    const bool input = scope == audioScopeInput;
    minDb = input ? device.config.inputMinDb : device.config.outputMinDb;
    maxDb = input ? device.config.inputMaxDb : device.config.outputMaxDb;
}

UInt32 streamCount(const AudioDevice& device, AudioObjectPropertyScope scope)
{
    if (scope == audioScopeInput)
        return device.config.hasInput ? 1 : 0;
    return device.config.hasOutput ? 1 : 0;
}

bool contains(const std::vector<double>& rates, double rate)
{
    return std::find(rates.begin(), rates.end(), rate) != rates.end();
}

void noteChange(ChangeList& changes, AudioObjectID id, const AudioObjectPropertyAddress& address)
{
    for (auto& [object, addresses] : changes)
    {
        if (object == id)
        {
            if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
                addresses.push_back(address);
            return;
        }
    }
    changes.push_back({id, {address}});
}

void applyRate(Model& model, AudioDevice& device, double rate, ChangeList& changes)
{
    auto& current = std::get<double>(device.values[globalAddress(audioPropertyNominalSampleRate)]);
    if (current == rate)
        return;
    current = rate;
    std::get<AudioStreamDescription>(device.values[globalAddress(audioPropertyPhysicalFormat)])
        .sampleRate = rate;
    noteChange(changes, device.id, globalAddress(audioPropertyNominalSampleRate));
    noteChange(changes, device.id, globalAddress(audioPropertyPhysicalFormat));

    for (auto& other : model.audioDevices)
        if (other.get() != &device && other->rateLeader == device.id)
            applyRate(model, *other, rate, changes);
}

OSStatus setLevel(AudioDevice& device, const AudioObjectPropertyAddress& canonical, float value,
                  ChangeList& changes)
{
    if (std::isnan(value))
        return audioStatusValueRefused;
    float minDb = 0.0f, maxDb = 0.0f;
    rangeOf(device, canonical.scope, minDb, maxDb);
    float decibels = 0.0f;
    if (canonical.selector == audioPropertyVolumeScalar)
        decibels = minDb + std::clamp(value, 0.0f, 1.0f) * (maxDb - minDb);
    else
        decibels = std::clamp(value, minDb, maxDb);

    auto& stored = std::get<float>(device.values[levelAddress(canonical.scope, canonical.element)]);
    if (stored == decibels)
        return audioStatusOK;
    stored = decibels;
    noteChange(changes, device.id, levelAddress(canonical.scope, canonical.element));
    noteChange(changes, device.id, {audioPropertyVolumeScalar, canonical.scope, canonical.element});
    return audioStatusOK;
}

template <typename T>
void setPlain(AudioDevice& device, const AudioObjectPropertyAddress& canonical, T value,
              ChangeList& changes)
{
    auto& stored = std::get<T>(device.values[canonical]);
    if (stored == value)
        return;
    stored = value;
    noteChange(changes, device.id, canonical);
}

bool sameFormat(const AudioStreamDescription& a, const AudioStreamDescription& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}
} // namespace

void populateDevice(AudioDevice& device)
{
    const auto& config = device.config;
    const std::string uid =
        config.uid.empty() ? "sim-audio-" + std::to_string(device.id) : config.uid;
    device.values[globalAddress(audioPropertyUID)] = uid;
    device.values[globalAddress(audioPropertyName)] = config.name;
    device.values[globalAddress(audioPropertyManufacturer)] = config.manufacturer;
    device.values[globalAddress(audioPropertyNominalSampleRate)] = config.sampleRate;

    device.values[globalAddress(audioPropertyPhysicalFormat)] =
        stereoPcm16Format(config.sampleRate);

    const auto level = [&](AudioObjectPropertyScope scope)
    {
        float minDb = 0.0f, maxDb = 0.0f;
        rangeOf(device, scope, minDb, maxDb);
        return std::clamp(config.volumeDb, minDb, maxDb);
    };
    if (config.hasInput)
    {
        device.values[{audioPropertyDataSource, audioScopeInput, 0}] = config.dataSource;
        device.values[{audioPropertyPlayThru, audioScopeInput, 0}] = UInt32{0};
        device.values[{audioPropertyMute, audioScopeInput, 0}] = UInt32{0};
        for (AudioObjectPropertyElement element : {1u, 2u})
            device.values[levelAddress(audioScopeInput, element)] = level(audioScopeInput);
    }
    if (config.hasOutput)
    {
        device.values[{audioPropertyMute, audioScopeOutput, 0}] = UInt32{0};
        for (AudioObjectPropertyElement element : {0u, 1u, 2u})
            device.values[levelAddress(audioScopeOutput, element)] = level(audioScopeOutput);
    }
}

bool findProperty(const AudioDevice& device, const AudioObjectPropertyAddress& address,
                  AudioObjectPropertyAddress& canonical)
{
    if (!isKnownScope(address.scope))
        return false;
    if (isDeviceWide(address.selector))
    {
        if (address.element != audioElementMain)
            return false;
        canonical = globalAddress(address.selector);
    }
    else
    {
        if (!isDirection(address.scope))
            return false;
        canonical = address;
    }
    if (device.removed.count(canonical) != 0)
        return false;
    if (canonical.selector == audioPropertyStreamConfiguration)
        return canonical.element == audioElementMain;
    if (canonical.selector == audioPropertyVolumeScalar)
        return device.values.count(levelAddress(canonical.scope, canonical.element)) != 0;
    return device.values.count(canonical) != 0;
}

UInt32 propertySize(const AudioDevice& device, const AudioObjectPropertyAddress& canonical)
{
    if (canonical.selector == audioPropertyStreamConfiguration)
        return (UInt32)sizeof(UInt32) * (1 + streamCount(device, canonical.scope));
    if (canonical.selector == audioPropertyVolumeScalar)
        return sizeof(float);
    const PropertyValue& value = device.values.at(canonical);
    switch (value.index())
    {
    case 0:
        return sizeof(double);
    case 1:
        return sizeof(float);
    case 2:
        return sizeof(UInt32);
    case 3:
        return sizeof(std::string);
    default:
        return sizeof(AudioStreamDescription);
    }
}

void copyProperty(const AudioDevice& device, const AudioObjectPropertyAddress& canonical,
                  void* data)
{
    if (canonical.selector == audioPropertyStreamConfiguration)
    {
        const UInt32 count = streamCount(device, canonical.scope);
        std::vector<UInt32> configuration{count};
        for (UInt32 i = 0; i < count; ++i)
            configuration.push_back(2); // channels in the buffer
        std::memcpy(data, configuration.data(), configuration.size() * sizeof(UInt32));
        return;
    }
    if (canonical.selector == audioPropertyVolumeScalar)
    {
        float minDb = 0.0f, maxDb = 0.0f;
        rangeOf(device, canonical.scope, minDb, maxDb);
        const float decibels =
            std::get<float>(device.values.at(levelAddress(canonical.scope, canonical.element)));
        const float scalar = maxDb > minDb ? (decibels - minDb) / (maxDb - minDb) : 1.0f;
        std::memcpy(data, &scalar, sizeof(scalar));
        return;
    }
    std::visit(
        [data](const auto& value)
        {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::string>)
                *static_cast<std::string*>(data) = value;
            else
                std::memcpy(data, &value, sizeof(value));
        },
        device.values.at(canonical));
}

OSStatus writeProperty(Model& model, AudioDevice& device,
                       const AudioObjectPropertyAddress& canonical, const void* data, UInt32 size,
                       bool fromHardware, ChangeList& changes)
{
    const AudioObjectPropertySelector selector = canonical.selector;
    if (selector == audioPropertyStreamConfiguration)
        return audioStatusNotWritable;
    if (size != propertySize(device, canonical) || data == nullptr)
        return audioStatusBadPropertySize;

    if (selector == audioPropertyUID || selector == audioPropertyName ||
        selector == audioPropertyManufacturer)
    {
        if (!fromHardware)
            return audioStatusNotWritable;
        setPlain(device, canonical, *static_cast<const std::string*>(data), changes);
        return audioStatusOK;
    }
    if (selector == audioPropertyNominalSampleRate)
    {
        double rate = 0.0;
        std::memcpy(&rate, data, sizeof(rate));
        if (!fromHardware && !contains(device.config.nominalRates, rate))
            return audioStatusValueRefused;
        if (std::isnan(rate))
            return audioStatusValueRefused;
        applyRate(model, device, rate, changes);
        return audioStatusOK;
    }
    if (selector == audioPropertyPhysicalFormat)
    {
        AudioStreamDescription format;
        std::memcpy(&format, data, sizeof(format));
        if (!fromHardware && !contains(device.config.physicalRates, format.sampleRate))
            return audioStatusValueRefused;
        if (std::isnan(format.sampleRate))
            return audioStatusValueRefused;
        auto& stored = std::get<AudioStreamDescription>(device.values[canonical]);
        const double storedRate = stored.sampleRate;
        if (!sameFormat(stored, format))
        {
            stored = format;
            stored.sampleRate = storedRate; // the rate goes through applyRate below
            noteChange(changes, device.id, canonical);
        }
        applyRate(model, device, format.sampleRate, changes);
        return audioStatusOK;
    }
    if (selector == audioPropertyVolumeDecibels || selector == audioPropertyVolumeScalar)
    {
        float value = 0.0f;
        std::memcpy(&value, data, sizeof(value));
        return setLevel(device, canonical, value, changes);
    }

    UInt32 value = 0;
    std::memcpy(&value, data, sizeof(value));
    if (selector == audioPropertyDataSource)
    {
        if (!fromHardware && value != audioDataSourceAnalog && value != audioDataSourceDigital)
            return audioStatusValueRefused;
    }
    else if (selector == audioPropertyMute || selector == audioPropertyPlayThru)
        value = value != 0 ? 1 : 0;
    setPlain(device, canonical, value, changes);
    return audioStatusOK;
}

bool valueMatchesProperty(const AudioObjectPropertyAddress& canonical, const PropertyValue& value)
{
    switch (canonical.selector)
    {
    case audioPropertyUID:
    case audioPropertyName:
    case audioPropertyManufacturer:
        return std::holds_alternative<std::string>(value);
    case audioPropertyNominalSampleRate:
        return std::holds_alternative<double>(value);
    case audioPropertyPhysicalFormat:
        return std::holds_alternative<AudioStreamDescription>(value);
    case audioPropertyVolumeDecibels:
    case audioPropertyVolumeScalar:
        return std::holds_alternative<float>(value);
    case audioPropertyDataSource:
    case audioPropertyMute:
    case audioPropertyPlayThru:
        return std::holds_alternative<UInt32>(value);
    default:
        return false;
    }
}

bool listenerHears(const AudioObjectPropertyAddress& filter,
                   const AudioObjectPropertyAddress& changed)
{
    return (filter.selector == audioSelectorWildcard || filter.selector == changed.selector) &&
           (filter.scope == audioScopeWildcard || filter.scope == changed.scope) &&
           (filter.element == audioElementWildcard || filter.element == changed.element);
}
} // namespace sim::detail
