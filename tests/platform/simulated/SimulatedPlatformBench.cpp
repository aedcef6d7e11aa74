#include "platform/PlatformBench.h"
#include "platform/simulated/VirtualK71VT.h"

namespace k71test::bench
{
void freshPlatform()
{
    sim::resetSimulation();
}
bool canAttachInterface()
{
    return true;
}
void attachInterface()
{
    sim::plugInterface();
}
void detachInterface()
{
    sim::unplugInterface();
}
void changeOutputLevelOnTheDevice(float decibels)
{
    sim::setVolumeDb(sim::interfaceOutputDevice(), audioScopeOutput, 1, decibels);
}
} // namespace k71test::bench
