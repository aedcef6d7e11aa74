#pragma once

// The power interface the device link is written against: the system's sleep
// and wake messages, which a registered client answers, and the USB service
// notification. Whichever backend the program is linked with implements these
// calls.
//
// Threads: both notifications deliver on the main run loop (the JUCE message
// thread), posted, and only once their notification port's run-loop source
// has been added to it. The program makes every call here on the message
// thread.

#include <cstdint>
#include <map>
#include <string>

/** A connection to a system service; the root power port. 0 is none. */
using io_connect_t = std::uint32_t;
/** A system service, as a power callback names the registration it came through. */
using io_service_t = std::uint32_t;
/** A registration's notifier object. */
using io_object_t = std::uint32_t;
/** A service notification's iterator. */
using io_iterator_t = std::uint32_t;
/** A port number, e.g. the master port. */
using mach_port_t = std::uint32_t;
/** A power message code. */
using natural_t = std::uint32_t;
/** The result of a call: 0 on success, non-zero on failure. */
using kern_return_t = std::int32_t;

/** The backend's notification port; opaque to the program. */
struct NotificationPort;
/** A notification port: where a registration's messages wait for the main run loop. */
using IONotificationPortRef = NotificationPort*;
/** The backend's run-loop source; opaque to the program. */
struct RunLoopSource;
/** The run-loop source of a notification port; see RunLoopAddSource(). */
using RunLoopSourceRef = RunLoopSource*;

// The power message codes.

/** The system asks whether it may sleep; answered with IOAllowPowerChange(). */
constexpr natural_t powerMessageCanSystemSleep = 0xE0000270;
/** The system is going to sleep once the message is answered with IOAllowPowerChange(). */
constexpr natural_t powerMessageSystemWillSleep = 0xE0000280;
/** The system is waking; no answer. */
constexpr natural_t powerMessageSystemWillPowerOn = 0xE0000320;
/** The system has woken; no answer. */
constexpr natural_t powerMessageSystemHasPoweredOn = 0xE0000300;

/** A power callback. Runs on the message thread.

    @param refcon          the pointer given to IORegisterForSystemPower()
    @param service         the registration's notifier
    @param messageType     one of the power message codes
    @param messageArgument the message's notification id, to hand to IOAllowPowerChange()
*/
using IOServiceInterestCallback = void (*)(void* refcon, io_service_t service,
                                           natural_t messageType, void* messageArgument);
/** A service matching callback.

    @param refcon   the pointer given to IOServiceAddMatchingNotification()
    @param iterator the notification's iterator
*/
using IOServiceMatchingCallback = void (*)(void* refcon, io_iterator_t iterator);

/** Registers for the system's power messages.

    Messages reach callback only once the port's run-loop source has been added with
    RunLoopAddSource(IONotificationPortGetRunLoopSource(*thePortRef)).

    @param refcon     handed to every call of callback
    @param thePortRef receives the registration's notification port (null on failure)
    @param callback   called on the message thread for each power message
    @param notifier   receives the notifier object (0 on failure)
    @returns the root power port, for IOAllowPowerChange(); 0 when the registration
             failed, and then nothing is delivered
*/
io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier);
/** Answers a can-sleep or will-sleep message: the system may go on.

    @param kernelPort     the root power port from IORegisterForSystemPower()
    @param notificationID the message's notification id (its messageArgument)
    @returns 0 when kernelPort is a registration's root port, non-zero otherwise
*/
kern_return_t IOAllowPowerChange(io_connect_t kernelPort, std::intptr_t notificationID);

/** The run-loop source of a notification port; null for a null port. */
RunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef port);
/** Adds a source to the main run loop (the JUCE message loop, the only run loop there is),
    so that the messages of its port are delivered from now on. A null source is ignored.
*/
void RunLoopAddSource(RunLoopSourceRef source);

/** A matching description for service notifications: a service class and number
    properties the service must carry, e.g. {"IOUSBDevice", {{"VendorID", 0x5E31}}}.
*/
struct ServiceMatching
{
    std::string className;
    std::map<std::string, std::int32_t> numbers;
};

/** Gets the master port that notification ports are made on.

    @param bootstrapPort unused: pass 0
    @param masterPort    receives the port
    @returns 0, or non-zero when masterPort is null
*/
kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t* masterPort);
/** A matching description of the service class, without numbers; add them to
    ServiceMatching::numbers.
*/
ServiceMatching IOServiceMatching(const std::string& className);
/** Makes a notification port on the master port from IOMasterPort(). */
IONotificationPortRef IONotificationPortCreate(mach_port_t masterPort);
/** Asks for callback when a service that fits matching appears.

    The iterator is only armed by walking it, which nothing here offers, so the callback
    is never called: the device link learns of arrivals from the HID manager.

    @param port             a port from IONotificationPortCreate()
    @param notificationType e.g. "IOServiceMatched"
    @param matching         the services to report
    @param callback         the callback that would be called
    @param refcon           handed to callback
    @param notification     receives the notification's iterator
    @returns 0, or non-zero when port or notification is null
*/
kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef port,
                                               const std::string& notificationType,
                                               const ServiceMatching& matching,
                                               IOServiceMatchingCallback callback, void* refcon,
                                               io_iterator_t* notification);
