#pragma once

#include <string>

namespace platform
{
/** Brings up whatever stands behind the platform interface in this build.

    The application calls it once, on the message thread, before it creates the panel;
    name is the application's name, which a backend may use for its own endpoints.
*/
void startBackend(const std::string& name);

/** Takes the backend down again; called once, on the message thread, when the program quits.

    Afterwards no listener, HID or power callback reaches the program any more, so the
    objects those callbacks use may be deleted. Returns once that holds.
*/
void stopBackend();
} // namespace platform
