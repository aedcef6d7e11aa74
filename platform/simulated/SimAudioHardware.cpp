// The four audio object calls over the simulated audio system.
#include "platform/AudioHardware.h"

#include "platform/simulated/SimModel.h"

#include <algorithm>
#include <cstring>

using namespace sim::detail;

namespace
{
bool isDeviceList(AudioObjectID object, const AudioObjectPropertyAddress& address)
{
    return object == audioSystemObject && address.selector == audioPropertyDevices &&
           (address.scope == audioScopeGlobal || address.scope == audioScopeWildcard) &&
           address.element == audioElementMain;
}

std::vector<AudioObjectID> deviceList(const Model& m)
{
    std::vector<AudioObjectID> ids;
    for (const auto& device : m.audioDevices)
        ids.push_back(device->id);
    return ids;
}

// Size of the property or a failure status, with the mutex held.
OSStatus sizeOf(Model& m, AudioObjectID object, const AudioObjectPropertyAddress& address,
                UInt32& size, AudioObjectPropertyAddress& canonical, AudioDevice*& device)
{
    device = nullptr;
    if (object == audioSystemObject)
    {
        if (!isDeviceList(object, address))
            return audioStatusUnknownProperty;
        size = (UInt32)(m.audioDevices.size() * sizeof(AudioObjectID));
        return audioStatusOK;
    }
    device = m.findAudioDevice(object);
    if (device == nullptr)
        return audioStatusNoSuchObject;
    if (!findProperty(*device, address, canonical))
        return audioStatusUnknownProperty;
    size = propertySize(*device, canonical);
    return audioStatusOK;
}
} // namespace

OSStatus AudioObjectGetPropertyDataSize(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address, UInt32,
                                        const void*, UInt32* outDataSize)
{
    if (address == nullptr || outDataSize == nullptr)
        return audioStatusBadArgument;
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    UInt32 size = 0;
    AudioObjectPropertyAddress canonical;
    AudioDevice* device = nullptr;
    const OSStatus status = sizeOf(m, object, *address, size, canonical, device);
    if (status == audioStatusOK)
        *outDataSize = size;
    return status;
}

OSStatus AudioObjectGetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32, const void*, UInt32* ioDataSize, void* data)
{
    if (address == nullptr || ioDataSize == nullptr)
        return audioStatusBadArgument;
    Model& m = model();
    std::function<void(const sim::PropertyRead&)> hook;
    sim::PropertyRead record;
    {
        std::lock_guard<std::mutex> lock(m.mutex);
        UInt32 size = 0;
        AudioObjectPropertyAddress canonical;
        AudioDevice* device = nullptr;
        OSStatus status = sizeOf(m, object, *address, size, canonical, device);
        if (status == audioStatusOK && (*ioDataSize < size || (data == nullptr && size != 0)))
            status = audioStatusBadPropertySize;
        if (status == audioStatusOK)
        {
            if (device == nullptr)
            {
                const auto ids = deviceList(m);
                if (!ids.empty())
                    std::memcpy(data, ids.data(), size);
            }
            else
                copyProperty(*device, canonical, data);
            *ioDataSize = size;
        }
        record = {object, *address, status};
        m.reads.push_back(record);
        hook = m.readHook;
    }
    if (hook)
        hook(record);
    return record.status;
}

OSStatus AudioObjectSetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32, const void*, UInt32 dataSize, const void* data)
{
    if (address == nullptr)
        return audioStatusBadArgument;
    Model& m = model();
    ChangeList changes;
    OSStatus status = audioStatusOK;
    {
        std::lock_guard<std::mutex> lock(m.mutex);
        UInt32 size = 0;
        AudioObjectPropertyAddress canonical;
        AudioDevice* device = nullptr;
        status = sizeOf(m, object, *address, size, canonical, device);
        if (status == audioStatusOK && device == nullptr)
            status = audioStatusNotWritable;
        if (status == audioStatusOK)
            status = writeProperty(m, *device, canonical, data, dataSize, false, changes);

        sim::PropertyWrite record;
        record.object = object;
        record.address = *address;
        if (data != nullptr)
        {
            const auto* bytes = static_cast<const std::uint8_t*>(data);
            record.data.assign(bytes, bytes + dataSize);
        }
        record.status = status;
        m.writes.push_back(std::move(record));
        queueNotifications(changes);
    }
    return status;
}

OSStatus AudioObjectAddPropertyListener(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address,
                                        AudioObjectPropertyListenerProc listener, void* clientData)
{
    if (address == nullptr)
        return audioStatusBadArgument;
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    OSStatus status = audioStatusOK;
    std::vector<Listener>* listeners = nullptr;
    if (object == audioSystemObject)
        listeners = &m.systemListeners;
    else if (AudioDevice* device = m.findAudioDevice(object))
        listeners = &device->listeners;

    if (listeners == nullptr)
        status = audioStatusNoSuchObject;
    else if (listener == nullptr)
        status = audioStatusBadArgument;
    else if (object != audioSystemObject && m.findAudioDevice(object)->refusesListeners)
        status = audioStatusListenerRefused;
    else
    {
        // A repeated add succeeds and keeps the one registration, so nothing is heard
        // twice and a caller that adds again after a re-plug of the HID side is not
        // told it failed.
        const bool known = std::any_of(listeners->begin(), listeners->end(),
                                       [&](const Listener& existing)
                                       {
                                           return existing.proc == listener &&
                                                  existing.clientData == clientData &&
                                                  existing.address == *address;
                                       });
        if (!known)
            listeners->push_back({*address, listener, clientData});
    }
    m.listenerRegistrations.push_back({object, *address, listener, clientData, status});
    return status;
}
