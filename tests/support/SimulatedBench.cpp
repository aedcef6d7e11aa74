// The bench of test programs linked with the simulated backend: a fresh simulated
// platform (sim::resetSimulation) also brings the device link back to its start.

#include "device/RegisterDeviceCallBacksMac.h"
#include "platform/simulated/Simulation.h"
#include "support/Backend.h"

void k71test::prepareBackend()
{
    sim::addResetHook(&resetDeviceLinkState);
}
