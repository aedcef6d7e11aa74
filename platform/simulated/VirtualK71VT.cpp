#include "platform/simulated/VirtualK71VT.h"

#include "platform/simulated/SimModel.h"

using namespace sim::detail;

namespace sim
{
InterfaceConfig InterfaceConfig::separateDevices()
{
    InterfaceConfig config;
    AudioDeviceConfig input;
    input.name = "K71VT In";
    input.hasOutput = false;
    AudioDeviceConfig output;
    output.name = "K71VT Out";
    output.hasInput = false;
    config.audioDevices = {input, output};
    return config;
}

InterfaceConfig InterfaceConfig::inputOnly()
{
    InterfaceConfig config;
    config.audioDevices.front().hasOutput = false;
    return config;
}

InterfaceConfig InterfaceConfig::outputOnly()
{
    InterfaceConfig config;
    config.audioDevices.front().hasInput = false;
    return config;
}

namespace
{
void unplugLocked(Model& m)
{
    if (!m.interfacePlugged)
        return;
    for (const AudioObjectID id : m.interfaceAudio)
        removeAudioDevice(m, id);
    for (HidDevice* device : m.interfaceHid)
        removeHidDevice(m, device);
    m.interfaceAudio.clear();
    m.interfaceHid.clear();
    m.interfacePlugged = false;
}

AudioObjectID firstInterfaceDevice(bool input)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    for (const AudioObjectID id : m.interfaceAudio)
        if (const AudioDevice* device = m.findAudioDevice(id))
            if (input ? device->config.hasInput : device->config.hasOutput)
                return id;
    return 0;
}
} // namespace

void plugInterface(const InterfaceConfig& config)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    unplugLocked(m);
    for (const auto& audio : config.audioDevices)
        m.interfaceAudio.push_back(addAudioDevice(m, audio));
    if (config.sharedClock && m.interfaceAudio.size() > 1)
    {
        // A ring: each device follows the one before it.
        const auto& ids = m.interfaceAudio;
        for (std::size_t i = 0; i < ids.size(); ++i)
            m.findAudioDevice(ids[i])->rateLeader = ids[(i + ids.size() - 1) % ids.size()];
    }
    for (const auto& hid : config.hidDevices)
        m.interfaceHid.push_back(addHidDevice(m, hid));
    m.interfacePlugged = true;
}

void unplugInterface()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    unplugLocked(m);
}

bool interfacePlugged()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    return m.interfacePlugged;
}

AudioObjectID interfaceInputDevice()
{
    return firstInterfaceDevice(true);
}
AudioObjectID interfaceOutputDevice()
{
    return firstInterfaceDevice(false);
}

std::vector<AudioObjectID> interfaceAudioDevices()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    return m.interfaceAudio;
}

std::vector<IOHIDDeviceRef> interfaceHidDevices()
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    return m.interfaceHid;
}
} // namespace sim
