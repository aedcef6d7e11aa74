#pragma once

// HID manager: finds HID devices by vendor and product id and reports their
// arrival and removal. Callbacks are posted to the main run loop (the JUCE
// message thread) and run once the message loop runs, never inside the call
// that plugged or unplugged a device. A device already present when the
// manager opens is reported like an arrival.

#include <cstdint>
#include <string>
#include <vector>

using IOReturn = std::int32_t;
using IOOptionBits = std::uint32_t;
using CFIndex = long;

struct HidManager;
using IOHIDManagerRef = HidManager*;
// A device handle stays a valid object for the whole process, also after the device is
// unplugged; its properties stay readable.
struct HidDevice;
using IOHIDDeviceRef = HidDevice*;

constexpr IOReturn hidReturnSuccess = 0;
constexpr IOReturn hidReturnNotAttached = 0x2D9; // the device is unplugged
constexpr IOReturn hidReturnNotOpen = 0x2CD;     // the device was closed
constexpr IOReturn hidReturnBadArgument = 0x2C2;

enum IOHIDReportType : std::uint32_t
{
    hidReportTypeInput = 0,
    hidReportTypeOutput = 1,
    hidReportTypeFeature = 2
};

// One entry of a matching set; a device matches when it carries both numbers.
struct HidMatchingEntry
{
    std::int32_t vendorID = 0;
    std::int32_t productID = 0;
};

using IOHIDDeviceCallback = void (*)(void* context, IOReturn result, void* sender,
                                     IOHIDDeviceRef device);

IOHIDManagerRef IOHIDManagerCreate(const void* allocator, IOOptionBits options);
// Without a matching set the manager reports every HID device; with an empty one, none.
void IOHIDManagerSetDeviceMatchingMultiple(IOHIDManagerRef manager,
                                           const std::vector<HidMatchingEntry>& matching);
void IOHIDManagerRegisterDeviceMatchingCallback(IOHIDManagerRef manager,
                                                IOHIDDeviceCallback callback, void* context);
void IOHIDManagerRegisterDeviceRemovalCallback(IOHIDManagerRef manager,
                                               IOHIDDeviceCallback callback, void* context);
// The main run loop is the only one; callbacks are delivered only once scheduled and open.
void IOHIDManagerScheduleWithMainRunLoop(IOHIDManagerRef manager);
IOReturn IOHIDManagerOpen(IOHIDManagerRef manager, IOOptionBits options);

// Device properties: numbers "VendorID", "ProductID" and the string "Product". Each may be
// absent; false then, and value is left alone (also when the property has the other type).
bool IOHIDDeviceGetProperty(IOHIDDeviceRef device, const std::string& key, std::int32_t* value);
bool IOHIDDeviceGetProperty(IOHIDDeviceRef device, const std::string& key, std::string* value);

// Sends a report to the device. Every call is recorded with its status (see
// platform/Simulation.h); an unplugged or closed device answers an error.
IOReturn IOHIDDeviceSetReport(IOHIDDeviceRef device, IOHIDReportType reportType, CFIndex reportID,
                              const std::uint8_t* report, CFIndex reportLength);
// Recorded; reports after the close fail with hidReturnNotOpen.
IOReturn IOHIDDeviceClose(IOHIDDeviceRef device, IOOptionBits options);
