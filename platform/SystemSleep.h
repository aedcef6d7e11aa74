#pragma once

// The system's sleep(), behind the platform interface, so that a backend can
// decide how long the device link's waits for the audio devices really take.

namespace platform
{
/** Waits on the calling thread, as the system's sleep() does.

    The device link calls it on the message thread, between its searches for the audio
    devices of a HID device that has just arrived; nothing else runs there meanwhile. A
    backend may return earlier: the simulated one returns at once, unless a sleep hook
    (platform/simulated/Simulation.h) waits, and records every call for the tests.

    @param seconds how long to wait
    @returns       the seconds left unslept, 0 when the whole time was waited
*/
unsigned int sleep(unsigned int seconds);
} // namespace platform
