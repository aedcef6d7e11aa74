// A platform on which no interface is ever found: the audio system lists no device, the
// HID managers report none, and power messages never come. The program built with it
// starts dark and stays so, and it holds no simulator.

#include "platform/AudioHardware.h"
#include "platform/Backend.h"
#include "platform/HidManager.h"
#include "platform/PowerManagement.h"
#include "platform/SystemSleep.h"

#include <unistd.h>

struct HidManager
{
};
struct HidDevice
{
};
struct NotificationPort
{
};
struct RunLoopSource
{
};

namespace
{
HidManager theManager;
NotificationPort thePort;
RunLoopSource theSource;
constexpr io_connect_t rootPowerPort = 1;

// Only the system object's device list exists, and it is empty.
OSStatus findDeviceList(AudioObjectID object, const AudioObjectPropertyAddress* address,
                        UInt32* size)
{
    if (address == nullptr || size == nullptr)
        return audioStatusBadArgument;
    if (object != audioSystemObject)
        return audioStatusNoSuchObject;
    if (address->selector != fourCC("dev#") ||
        (address->scope != audioScopeGlobal && address->scope != audioScopeWildcard))
        return audioStatusUnknownProperty;
    *size = 0;
    return audioStatusOK;
}
} // namespace

// --- audio hardware: the system object, with an empty device list -------------------

OSStatus AudioObjectGetPropertyDataSize(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address, UInt32,
                                        const void*, UInt32* outDataSize)
{
    return findDeviceList(object, address, outDataSize);
}

OSStatus AudioObjectGetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32, const void*, UInt32* ioDataSize, void*)
{
    return findDeviceList(object, address, ioDataSize);
}

OSStatus AudioObjectSetPropertyData(AudioObjectID object, const AudioObjectPropertyAddress* address,
                                    UInt32, const void*, UInt32, const void*)
{
    if (address == nullptr)
        return audioStatusBadArgument;
    return object == audioSystemObject ? audioStatusNotWritable : audioStatusNoSuchObject;
}

OSStatus AudioObjectAddPropertyListener(AudioObjectID object,
                                        const AudioObjectPropertyAddress* address,
                                        AudioObjectPropertyListenerProc listener, void*)
{
    if (address == nullptr || listener == nullptr)
        return audioStatusBadArgument;
    // The device list never changes, so a listener on it is kept by never calling it.
    return object == audioSystemObject ? audioStatusOK : audioStatusNoSuchObject;
}

// --- HID manager: one manager, no device ever matches --------------------------------

IOHIDManagerRef IOHIDManagerCreate(const void*, IOOptionBits)
{
    return &theManager;
}
void IOHIDManagerSetDeviceMatchingMultiple(IOHIDManagerRef, const std::vector<HidMatchingEntry>&) {}
void IOHIDManagerRegisterDeviceMatchingCallback(IOHIDManagerRef, IOHIDDeviceCallback, void*) {}
void IOHIDManagerRegisterDeviceRemovalCallback(IOHIDManagerRef, IOHIDDeviceCallback, void*) {}
void IOHIDManagerScheduleWithMainRunLoop(IOHIDManagerRef) {}
IOReturn IOHIDManagerOpen(IOHIDManagerRef manager, IOOptionBits)
{
    return manager != nullptr ? hidReturnSuccess : hidReturnBadArgument;
}
bool IOHIDDeviceGetProperty(IOHIDDeviceRef, const std::string&, std::int32_t*)
{
    return false;
}
bool IOHIDDeviceGetProperty(IOHIDDeviceRef, const std::string&, std::string*)
{
    return false;
}
IOReturn IOHIDDeviceSetReport(IOHIDDeviceRef, IOHIDReportType, CFIndex, const std::uint8_t*,
                              CFIndex)
{
    return hidReturnNotAttached;
}
IOReturn IOHIDDeviceClose(IOHIDDeviceRef, IOOptionBits)
{
    return hidReturnNotAttached;
}

// --- power: the registration holds, no message is ever sent --------------------------

io_connect_t IORegisterForSystemPower(void*, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback, io_object_t* notifier)
{
    if (thePortRef != nullptr)
        *thePortRef = &thePort;
    if (notifier != nullptr)
        *notifier = 1;
    return rootPowerPort;
}
kern_return_t IOAllowPowerChange(io_connect_t, std::intptr_t)
{
    return 0;
}
RunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef port)
{
    return port != nullptr ? &theSource : nullptr;
}
void RunLoopAddSource(RunLoopSourceRef) {}
kern_return_t IOMasterPort(mach_port_t, mach_port_t* masterPort)
{
    if (masterPort != nullptr)
        *masterPort = 1;
    return 0;
}
ServiceMatching IOServiceMatching(const std::string& className)
{
    return ServiceMatching{className, {}};
}
IONotificationPortRef IONotificationPortCreate(mach_port_t)
{
    return &thePort;
}
kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef, const std::string&,
                                               const ServiceMatching&, IOServiceMatchingCallback,
                                               void*, io_iterator_t* notification)
{
    if (notification != nullptr)
        *notification = 1;
    return 0;
}

// --- sleep and the backend's life -----------------------------------------------------

namespace platform
{
unsigned int sleep(unsigned int seconds)
{
    return ::sleep(seconds);
}

void startBackend(const std::string&) {}
void stopBackend() {}
} // namespace platform
