#pragma once

namespace platform
{
// Stands in for the system's sleep(): recorded for tests, and returns at once unless a
// sleep hook (platform/Simulation.h) waits. Returns 0, the time left unslept.
unsigned int sleep(unsigned int seconds);
} // namespace platform
