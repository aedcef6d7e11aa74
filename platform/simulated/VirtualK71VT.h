#pragma once

// The virtual K71 VT: its HID function and its audio devices, plugged and unplugged
// as one on the simulated platform.
//
// Threads: as the rest of the simulation (platform/simulated/Simulation.h).

#include "platform/simulated/Simulation.h"

#include <vector>

namespace sim
{
struct InterfaceConfig
{
    std::vector<HidDeviceConfig> hidDevices = {HidDeviceConfig{}};
    std::vector<AudioDeviceConfig> audioDevices = {AudioDeviceConfig{}};
    // A rate change of one audio device of the interface changes the others too.
    bool sharedClock = false;

    // The default: one HID device and one audio device for both directions.
    static InterfaceConfig standard() { return {}; }
    // Two audio devices, "K71VT In" (input only) and "K71VT Out" (output only).
    static InterfaceConfig separateDevices();
    // One audio device with streams in one direction only.
    static InterfaceConfig inputOnly();
    static InterfaceConfig outputOnly();
};

// --- the virtual K71 VT --------------------------------------------------------------

// Plugs the whole interface: its audio devices appear at once (new object ids), its HID
// devices are reported to the HID managers through the message loop. Plugging while
// plugged first unplugs.
void plugInterface(const InterfaceConfig& config = InterfaceConfig::standard());
// Unplugs all of it: audio devices and their listeners disappear at once, HID removals
// are posted. Does nothing when not plugged.
void unplugInterface();
bool interfacePlugged();

// Current object ids of the interface's audio devices (0 when absent): the first device
// with input streams and the first with output streams.
AudioObjectID interfaceInputDevice();
AudioObjectID interfaceOutputDevice();
std::vector<AudioObjectID> interfaceAudioDevices();
std::vector<IOHIDDeviceRef> interfaceHidDevices();
} // namespace sim
