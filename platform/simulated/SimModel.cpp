#include "platform/simulated/SimModel.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>

namespace sim::detail
{
AudioDevice* Model::findAudioDevice(AudioObjectID id)
{
    for (auto& device : audioDevices)
        if (device->id == id)
            return device.get();
    return nullptr;
}

bool Model::isActive(const HidManager* manager) const
{
    return std::any_of(hidManagers.begin(), hidManagers.end(),
                       [manager](const auto& m) { return m.get() == manager; });
}

bool Model::isActive(const HidDevice* device) const
{
    return std::any_of(hidDevices.begin(), hidDevices.end(),
                       [device](const auto& d) { return d.get() == device; });
}

Model& model()
{
    static Model m;
    return m;
}

AudioObjectID nextObjectID()
{
    static std::atomic<AudioObjectID> next{100};
    return next++;
}

std::uint32_t nextPortNumber()
{
    static std::atomic<std::uint32_t> next{0x1003};
    return next++;
}

void postToMessageThread(std::uint64_t generation, std::function<void()> fn)
{
    juce::MessageManager::callAsync(
        [generation, fn = std::move(fn)]
        {
            {
                Model& m = model();
                std::lock_guard<std::mutex> lock(m.mutex);
                if (m.generation != generation)
                    return;
            }
            fn();
        });
}
} // namespace sim::detail
