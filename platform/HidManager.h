#pragma once

// The HID interface the device link is written against: a HID manager finds
// HID devices by vendor and product id and reports their arrival and removal,
// and a device handle reads the device's identity and takes its output
// reports. Whichever backend the program is linked with implements these
// calls.
//
// Threads: arrival and removal callbacks are posted to the main run loop (the
// JUCE message thread) and run once the message loop runs, never inside the
// call that plugged, unplugged, scheduled or opened anything. The program
// makes every call here on the message thread, so a backend need not take
// them from other threads.

#include <cstdint>
#include <string>
#include <vector>

/** The result of a HID call: hidReturnSuccess (0) or one of the failure codes below. */
using IOReturn = std::int32_t;
/** Option bits of the calls that take them; none are defined, pass 0. */
using IOOptionBits = std::uint32_t;
/** A length or report id. */
using CFIndex = long;

/** The backend's HID manager; opaque to the program. */
struct HidManager;
/** A HID manager, made by IOHIDManagerCreate(). */
using IOHIDManagerRef = HidManager*;
/** The backend's HID device; opaque to the program. */
struct HidDevice;
/** A HID device as the callbacks hand it over. The handle stays a valid object for the
    whole process, also after the device is unplugged, and its properties stay readable,
    so a removal callback can still tell which device went.
*/
using IOHIDDeviceRef = HidDevice*;

/** The call succeeded. */
constexpr IOReturn hidReturnSuccess = 0;
/** A report to a device that is no longer there (hidReturnNotAttached), or that was
    closed with IOHIDDeviceClose() (hidReturnNotOpen).
*/
constexpr IOReturn hidReturnNotAttached = 0x2D9; // the device is unplugged
constexpr IOReturn hidReturnNotOpen = 0x2CD;     // the device was closed
/** A null handle or pointer, a negative length, or a manager this backend did not make. */
constexpr IOReturn hidReturnBadArgument = 0x2C2;

/** The kind of a HID report; the device link sends output reports only. */
enum IOHIDReportType : std::uint32_t
{
    hidReportTypeInput = 0,
    hidReportTypeOutput = 1,
    hidReportTypeFeature = 2
};

/** One entry of a matching set: a device matches when it carries both numbers. */
struct HidMatchingEntry
{
    std::int32_t vendorID = 0;
    std::int32_t productID = 0;
};

/** An arrival or removal callback of a HID manager. Runs on the message thread.

    @param context the pointer registered with the callback
    @param result  hidReturnSuccess
    @param sender  the manager
    @param device  the device that arrived or was removed
*/
using IOHIDDeviceCallback = void (*)(void* context, IOReturn result, void* sender,
                                     IOHIDDeviceRef device);

/** Makes a HID manager. It reports nothing until it has been both scheduled with the main
    run loop and opened.

    @param allocator unused: pass nullptr
    @param options   unused: pass 0
*/
IOHIDManagerRef IOHIDManagerCreate(const void* allocator, IOOptionBits options);
/** Sets which devices the manager reports, replacing an earlier set.

    Without a matching set the manager reports every HID device; with an empty one, none.
    The device link matches vendor 0x5E31, product 0x00B4.
*/
void IOHIDManagerSetDeviceMatchingMultiple(IOHIDManagerRef manager,
                                           const std::vector<HidMatchingEntry>& matching);
/** Sets the callback for each matching device that arrives, and for each one already
    present when the manager starts reporting. The callback and context registered when
    a posted arrival runs are the ones called; null calls nothing.
*/
void IOHIDManagerRegisterDeviceMatchingCallback(IOHIDManagerRef manager,
                                                IOHIDDeviceCallback callback, void* context);
/** Sets the callback for each matching device that is removed, with the same rules as
    the arrival callback. The device's handle and properties are still readable in it.
*/
void IOHIDManagerRegisterDeviceRemovalCallback(IOHIDManagerRef manager,
                                               IOHIDDeviceCallback callback, void* context);
/** Delivers the manager's callbacks on the main run loop, which is the JUCE message
    loop. Together with IOHIDManagerOpen(), whichever comes second, it makes the manager
    report the matching devices already present, as arrivals.
*/
void IOHIDManagerScheduleWithMainRunLoop(IOHIDManagerRef manager);
/** Opens the manager; see IOHIDManagerScheduleWithMainRunLoop() for what it starts.

    @param options unused: pass 0
    @returns hidReturnSuccess, also for a manager already open (nothing is reported
             again), or hidReturnBadArgument for a null or unknown manager
*/
IOReturn IOHIDManagerOpen(IOHIDManagerRef manager, IOOptionBits options);

/** Reads a number property of a device: "VendorID" or "ProductID".

    @returns false when the device or value is null, or the device lacks the property or
             has it as another type; value is left alone then
*/
bool IOHIDDeviceGetProperty(IOHIDDeviceRef device, const std::string& key, std::int32_t* value);
/** Reads a string property of a device: "Product", the product name.

    @returns false when the device or value is null, or the device lacks the property or
             has it as another type; value is left alone then
*/
bool IOHIDDeviceGetProperty(IOHIDDeviceRef device, const std::string& key, std::string* value);

/** Sends a report to the device. The device link sends output report 0 of 27 bytes.

    @param device       the device
    @param reportType   the kind of report
    @param reportID     the report id, 0 for a device without numbered reports
    @param report       the report bytes
    @param reportLength the number of bytes
    @returns hidReturnSuccess; hidReturnNotAttached once the device is unplugged;
             hidReturnNotOpen once it was closed; hidReturnBadArgument for a null device,
             a negative length, or a null report with a length
*/
IOReturn IOHIDDeviceSetReport(IOHIDDeviceRef device, IOHIDReportType reportType, CFIndex reportID,
                              const std::uint8_t* report, CFIndex reportLength);
/** Closes the device: reports sent afterwards fail with hidReturnNotOpen. The handle
    stays valid. The panel closes the device when it handles a detach and when it goes.

    @param options unused: pass 0
    @returns hidReturnSuccess, or hidReturnBadArgument for a null device
*/
IOReturn IOHIDDeviceClose(IOHIDDeviceRef device, IOOptionBits options);
