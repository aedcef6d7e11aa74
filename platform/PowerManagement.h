#pragma once

// System power notifications and the USB service notification. Both deliver
// on the main run loop (the JUCE message thread) and only once their
// notification port's run-loop source has been added to it.

#include <cstdint>
#include <map>
#include <string>

using io_connect_t = std::uint32_t;
using io_service_t = std::uint32_t;
using io_object_t = std::uint32_t;
using io_iterator_t = std::uint32_t;
using mach_port_t = std::uint32_t;
using natural_t = std::uint32_t;
using kern_return_t = std::int32_t;

struct NotificationPort;
using IONotificationPortRef = NotificationPort*;
struct RunLoopSource;
using RunLoopSourceRef = RunLoopSource*;

// The power message codes.
constexpr natural_t powerMessageCanSystemSleep = 0xE0000270;
constexpr natural_t powerMessageSystemWillSleep = 0xE0000280;
constexpr natural_t powerMessageSystemWillPowerOn = 0xE0000320;
constexpr natural_t powerMessageSystemHasPoweredOn = 0xE0000300;

using IOServiceInterestCallback = void (*)(void* refcon, io_service_t service,
                                           natural_t messageType, void* messageArgument);
using IOServiceMatchingCallback = void (*)(void* refcon, io_iterator_t iterator);

// Returns the root power port, or 0 when the registration failed (then nothing is
// delivered). The port and the notifier go to the two out-parameters.
io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier);
// The answer to a can-sleep or will-sleep message; recorded.
kern_return_t IOAllowPowerChange(io_connect_t kernelPort, std::intptr_t notificationID);

RunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef port);
// Adds the source to the main run loop (the only run loop there is).
void RunLoopAddSource(RunLoopSourceRef source);

// USB service matching: a matching description of a service class with number properties.
struct ServiceMatching
{
    std::string className;
    std::map<std::string, std::int32_t> numbers;
};

kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t* masterPort);
ServiceMatching IOServiceMatching(const std::string& className);
IONotificationPortRef IONotificationPortCreate(mach_port_t masterPort);
// Recorded. The iterator is only armed by walking it, which nothing here offers, so the
// callback is never called.
kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef port,
                                               const std::string& notificationType,
                                               const ServiceMatching& matching,
                                               IOServiceMatchingCallback callback, void* refcon,
                                               io_iterator_t* notification);
