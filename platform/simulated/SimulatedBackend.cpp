// There is no K71 VT on this desktop: the program drives the virtual one, plugged in from
// the start, and k71vt-sim reaches it through the simulator channel.

#include "platform/Backend.h"
#include "platform/simulated/VirtualK71VT.h"
#include "platform/simulated/SimulatorChannel.h"

#include <memory>

namespace
{
std::unique_ptr<sim::SimulatorChannel> channel;
}

namespace platform
{
void startBackend(const std::string& name)
{
    sim::plugInterface();
    channel = std::make_unique<sim::SimulatorChannel>(name);
}

void stopBackend()
{
    channel.reset();
    // No audio notification may reach the panel while it is taken down.
    sim::shutdownSimulation();
}
} // namespace platform
