// Placeholder bodies so the interface links; replaced by the simulated platform.
#include "platform/AudioHardware.h"
#include "platform/HidManager.h"
#include "platform/PowerManagement.h"
#include "platform/Simulation.h"
#include "platform/SystemSleep.h"

#include <cstdio>

std::string fourCCToString(FourCharCode code)
{
    char text[5] = {(char)(code >> 24), (char)(code >> 16), (char)(code >> 8), (char)code, 0};
    return text;
}
std::ostream& operator<<(std::ostream& out, const AudioObjectPropertyAddress& a)
{
    return out << "('" << fourCCToString(a.selector) << "', '" << fourCCToString(a.scope) << "', "
               << a.element << ")";
}
OSStatus AudioObjectGetPropertyDataSize(AudioObjectID, const AudioObjectPropertyAddress*, UInt32,
                                        const void*, UInt32*)
{
    return audioStatusNoSuchObject;
}
OSStatus AudioObjectGetPropertyData(AudioObjectID, const AudioObjectPropertyAddress*, UInt32,
                                    const void*, UInt32*, void*)
{
    return audioStatusNoSuchObject;
}
OSStatus AudioObjectSetPropertyData(AudioObjectID, const AudioObjectPropertyAddress*, UInt32,
                                    const void*, UInt32, const void*)
{
    return audioStatusNoSuchObject;
}
OSStatus AudioObjectAddPropertyListener(AudioObjectID, const AudioObjectPropertyAddress*,
                                        AudioObjectPropertyListenerProc, void*)
{
    return audioStatusNoSuchObject;
}
IOHIDManagerRef IOHIDManagerCreate(const void*, IOOptionBits)
{
    return nullptr;
}
void IOHIDManagerSetDeviceMatchingMultiple(IOHIDManagerRef, const std::vector<HidMatchingEntry>&) {}
void IOHIDManagerRegisterDeviceMatchingCallback(IOHIDManagerRef, IOHIDDeviceCallback, void*) {}
void IOHIDManagerRegisterDeviceRemovalCallback(IOHIDManagerRef, IOHIDDeviceCallback, void*) {}
void IOHIDManagerScheduleWithMainRunLoop(IOHIDManagerRef) {}
IOReturn IOHIDManagerOpen(IOHIDManagerRef, IOOptionBits)
{
    return hidReturnBadArgument;
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
    return hidReturnBadArgument;
}
IOReturn IOHIDDeviceClose(IOHIDDeviceRef, IOOptionBits)
{
    return hidReturnBadArgument;
}
io_connect_t IORegisterForSystemPower(void*, IONotificationPortRef*, IOServiceInterestCallback,
                                      io_object_t*)
{
    return 0;
}
kern_return_t IOAllowPowerChange(io_connect_t, std::intptr_t)
{
    return 0;
}
RunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef)
{
    return nullptr;
}
void RunLoopAddSource(RunLoopSourceRef) {}
kern_return_t IOMasterPort(mach_port_t, mach_port_t* port)
{
    *port = 0;
    return 0;
}
ServiceMatching IOServiceMatching(const std::string& className)
{
    return {className, {}};
}
IONotificationPortRef IONotificationPortCreate(mach_port_t)
{
    return nullptr;
}
kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef, const std::string&,
                                               const ServiceMatching&, IOServiceMatchingCallback,
                                               void*, io_iterator_t* it)
{
    *it = 0;
    return 0;
}
unsigned int platform::sleep(unsigned int)
{
    return 0;
}

namespace sim
{
InterfaceConfig InterfaceConfig::separateDevices()
{
    return {};
}
InterfaceConfig InterfaceConfig::inputOnly()
{
    return {};
}
InterfaceConfig InterfaceConfig::outputOnly()
{
    return {};
}
void plugInterface(const InterfaceConfig&) {}
void unplugInterface() {}
bool interfacePlugged()
{
    return false;
}
AudioObjectID interfaceInputDevice()
{
    return 0;
}
AudioObjectID interfaceOutputDevice()
{
    return 0;
}
std::vector<AudioObjectID> interfaceAudioDevices()
{
    return {};
}
std::vector<IOHIDDeviceRef> interfaceHidDevices()
{
    return {};
}
AudioObjectID plugAudioDevice(const AudioDeviceConfig&)
{
    return 0;
}
void unplugAudioDevice(AudioObjectID) {}
IOHIDDeviceRef plugHidDevice(const HidDeviceConfig&)
{
    return nullptr;
}
void unplugHidDevice(IOHIDDeviceRef) {}
std::vector<AudioObjectID> audioDevices()
{
    return {};
}
bool changeProperties(AudioObjectID, const std::vector<PropertyChange>&)
{
    return false;
}
bool setNominalRate(AudioObjectID, double)
{
    return false;
}
bool setVolumeDb(AudioObjectID, AudioObjectPropertyScope, AudioObjectPropertyElement, float)
{
    return false;
}
bool setMute(AudioObjectID, AudioObjectPropertyScope, UInt32)
{
    return false;
}
bool setDataSource(AudioObjectID, UInt32)
{
    return false;
}
bool setPlayThru(AudioObjectID, UInt32)
{
    return false;
}
void notifyListeners(AudioObjectID, const std::vector<AudioObjectPropertyAddress>&) {}
bool removeProperty(AudioObjectID, const AudioObjectPropertyAddress&)
{
    return false;
}
void setAcceptedRates(AudioObjectID, const std::vector<double>&, const std::vector<double>&) {}
void refuseAllRates(AudioObjectID) {}
void setRateFollows(AudioObjectID, AudioObjectID) {}
std::optional<double> nominalRate(AudioObjectID)
{
    return {};
}
std::optional<float> volumeDb(AudioObjectID, AudioObjectPropertyScope, AudioObjectPropertyElement)
{
    return {};
}
std::optional<UInt32> mute(AudioObjectID, AudioObjectPropertyScope)
{
    return {};
}
std::optional<UInt32> dataSource(AudioObjectID)
{
    return {};
}
bool waitForAudioNotifications(int)
{
    return true;
}
void setPowerRegistrationFails(bool) {}
void sendPowerMessage(natural_t, std::intptr_t) {}
void setSleepHook(std::function<void(unsigned int)>) {}
double PropertyWrite::asDouble() const
{
    return 0.0;
}
float PropertyWrite::asFloat() const
{
    return 0.0f;
}
UInt32 PropertyWrite::asUInt32() const
{
    return 0;
}
AudioStreamDescription PropertyWrite::asStreamDescription() const
{
    return {};
}
std::vector<PropertyWrite> propertyWrites()
{
    return {};
}
std::vector<PropertyRead> propertyReads()
{
    return {};
}
std::vector<ListenerRegistration> listenerRegistrations()
{
    return {};
}
std::vector<HidReport> hidReports()
{
    return {};
}
std::vector<IOHIDDeviceRef> hidCloses()
{
    return {};
}
std::vector<HidManagerRecord> hidManagers()
{
    return {};
}
std::vector<PowerAnswer> powerAnswers()
{
    return {};
}
std::vector<ServiceNotification> serviceNotifications()
{
    return {};
}
std::vector<unsigned int> sleepCalls()
{
    return {};
}
void clearRecords() {}
void resetSimulation() {}
void addResetHook(void (*)()) {}
void shutdownSimulation() {}
} // namespace sim
