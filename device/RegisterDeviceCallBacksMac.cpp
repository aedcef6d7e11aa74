#include "device/RegisterDeviceCallBacksMac.h"

#include "platform/SystemSleep.h"

#include <juce_core/juce_core.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

TAVRIN_DeviceInfo mydeviceStruct;
RelaxedAtomic<AudioObjectID> gInAudioObjectID;
RelaxedAtomic<AudioObjectID> gOutAudioObjectID;
RelaxedAtomic<IOHIDDeviceRef> ghidInterface;
io_connect_t root_port = 0;
mach_port_t gMasterDevicePort = 0;
IONotificationPortRef gNotifyPort = nullptr;
RunLoopSourceRef gRunLoopSource = nullptr;
io_iterator_t gPlugIter = 0;
TAVRIN_DeviceMixer MyDeviceMixer;

namespace
{
constexpr std::int32_t k71VendorID = 0x5E31;
constexpr std::int32_t k71ProductID = 0x00B4;
const char* const k71Name = "K71VT";
const char* const k71Manufacturer = "Tavrin";

// The pattern writer's alternation; lives for the whole process.
bool loopLineTest = false;

void raiseEvent(TAVRIN_DeviceInfo* device, TAVRIN_CallbackEvent event)
{
    const TAVRIN_EventCallback callback = device->eventCallback;
    if (callback != nullptr)
        callback(device->userData, nullptr, event);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// Reads a device's string property; false when the read fails.
bool readString(AudioObjectID device, AudioObjectPropertySelector selector,
                AudioObjectPropertyScope scope, std::string& value)
{
    const AudioObjectPropertyAddress address{selector, scope, audioElementMain};
    UInt32 size = sizeof(value);
    return AudioObjectGetPropertyData(device, &address, 0, nullptr, &size, &value) == 0;
}

OSStatus readNominalRate(AudioObjectID device, double& rate)
{
    const auto address = propertyAddress("nsrt", "****", 0);
    UInt32 size = sizeof(rate);
    return AudioObjectGetPropertyData(device, &address, 0, nullptr, &size, &rate);
}

void writeNominalRate(AudioObjectID device, double rate)
{
    const auto address = propertyAddress("nsrt", "****", 0);
    AudioObjectSetPropertyData(device, &address, 0, nullptr, sizeof(rate), &rate);
}

// Whether the device has streams in the pass's direction. False also when the stream
// configuration cannot be read. allocationFailed ends the pass.
bool hasStreams(AudioObjectID device, AudioObjectPropertyScope scope, bool& allocationFailed)
{
    const AudioObjectPropertyAddress address{audioPropertyStreamConfiguration, scope,
                                             audioElementMain};
    UInt32 size = 0;
    if (AudioObjectGetPropertyDataSize(device, &address, 0, nullptr, &size) != 0)
        return false;
    void* configuration = std::malloc(size < sizeof(UInt32) ? sizeof(UInt32) : size);
    if (configuration == nullptr)
    {
        allocationFailed = true;
        return false;
    }
    bool result = false;
    if (AudioObjectGetPropertyData(device, &address, 0, nullptr, &size, configuration) == 0 &&
        size >= sizeof(UInt32))
    {
        UInt32 bufferCount = 0;
        std::memcpy(&bufferCount, configuration, sizeof(bufferCount));
        result = bufferCount != 0;
    }
    std::free(configuration);
    return result;
}

bool nameAccepted(const std::string& deviceName, const std::string& deviceMaker,
                  const std::string& wantedName, const std::string& wantedMaker)
{
    const bool prefix = deviceName.compare(0, wantedName.size(), wantedName) == 0;
    const bool sameName = equalsIgnoringCase(deviceName, wantedName);
    const bool sameMaker = equalsIgnoringCase(deviceMaker, wantedMaker);
    return prefix || (sameName && sameMaker);
}

void searchPass(const std::vector<AudioObjectID>& devices, AudioObjectPropertyScope scope,
                const std::string& name, const std::string& manufacturer, void* context)
{
    const bool inputPass = scope == audioScopeInput;
    for (const AudioObjectID device : devices)
    {
        std::string uid, deviceName, deviceMaker;
        if (!readString(device, audioPropertyUID, scope, uid) ||
            !readString(device, audioPropertyName, scope, deviceName) ||
            !readString(device, audioPropertyManufacturer, scope, deviceMaker))
            continue;

        bool allocationFailed = false;
        const bool streams = hasStreams(device, scope, allocationFailed);
        if (allocationFailed)
            return;
        if (!streams)
            continue;

        if (!nameAccepted(deviceName, deviceMaker, name, manufacturer))
            continue;

        const auto everything = propertyAddress("****", "****", 0xFFFFFFFF);
        const OSStatus status = AudioObjectAddPropertyListener(
            device, &everything, myAudioObjectPropertyListenerProc, context);
        if (status == 0)
        {
            if (inputPass)
                gInAudioObjectID = device;
            else
                gOutAudioObjectID = device;
        }
        else if (inputPass && gOutAudioObjectID == device)
            gInAudioObjectID = device;
        else if (!inputPass && gInAudioObjectID == device)
            gOutAudioObjectID = device;
    }
}

bool readHidNumber(IOHIDDeviceRef device, const char* key, std::int32_t& value)
{
    return IOHIDDeviceGetProperty(device, key, &value);
}

void onNominalRateChanged(TAVRIN_DeviceInfo* device, AudioObjectID object,
                          const AudioObjectPropertyAddress& address)
{
    double newRate = 0.0;
    UInt32 size = sizeof(newRate);
    if (AudioObjectGetPropertyData(object, &address, 0, nullptr, &size, &newRate) == 0)
    {
        for (const AudioObjectID partner : {gInAudioObjectID.load(), gOutAudioObjectID.load()})
        {
            double current = 0.0;
            readNominalRate(partner, current);
            if (!(current == newRate))
                writeNominalRate(partner, newRate);
        }
    }
    for (const double listed : {192000.0, 176400.0, 96000.0, 88200.0, 48000.0, 32000.0, 44100.0})
    {
        if (newRate == listed)
        {
            raiseEvent(device, TAVRIN_CB_PROPERTY_CHANGED);
            return;
        }
    }
}

TAVRIN_Report blankReport()
{
    return TAVRIN_Report{};
}

void writeEntry(TAVRIN_MixerEntry& entry, std::int64_t w1, std::int64_t w2, std::int64_t w3,
                std::int64_t w4, std::int64_t w5)
{
    entry.w1 = w1;
    entry.w2 = w2;
    entry.w3 = w3;
    entry.w4 = w4;
    entry.w5 = w5;
}
} // namespace

// --- registration and HID / power callbacks --------------------------------------------

void RegisterDeviceCallBacks()
{
    mydeviceStruct.vendorID = k71VendorID;
    mydeviceStruct.productID = k71ProductID;
    mydeviceStruct.hidProductName = k71Name;
    mydeviceStruct.audioDeviceName = k71Name;
    mydeviceStruct.audioManufacturer = k71Manufacturer;

    IONotificationPortRef powerPort = nullptr;
    io_object_t notifier = 0;
    root_port = IORegisterForSystemPower(&mydeviceStruct, &powerPort, MySleepCallBack, &notifier);
    if (root_port != 0)
        RunLoopAddSource(IONotificationPortGetRunLoopSource(powerPort));

    const IOHIDManagerRef manager = IOHIDManagerCreate(nullptr, 0);
    const std::vector<HidMatchingEntry> matching{
        {mydeviceStruct.vendorID, mydeviceStruct.productID}};
    IOHIDManagerSetDeviceMatchingMultiple(manager, matching);
    IOHIDManagerRegisterDeviceMatchingCallback(manager, Handle_DeviceMatchingCallback,
                                               &mydeviceStruct);
    IOHIDManagerRegisterDeviceRemovalCallback(manager, Handle_DeviceRemovalCallback,
                                              &mydeviceStruct);
    IOHIDManagerScheduleWithMainRunLoop(manager);
    IOHIDManagerOpen(manager, 0);

    IOMasterPort(0, &gMasterDevicePort);
    ServiceMatching usbMatching = IOServiceMatching("IOUSBDevice");
    usbMatching.numbers["VendorID"] = mydeviceStruct.vendorID;
    gNotifyPort = IONotificationPortCreate(gMasterDevicePort);
    gRunLoopSource = IONotificationPortGetRunLoopSource(gNotifyPort);
    RunLoopAddSource(gRunLoopSource);
    IOServiceAddMatchingNotification(gNotifyPort, "IOServiceMatched", usbMatching, plugCallback,
                                     &mydeviceStruct, &gPlugIter);
}

void Handle_DeviceMatchingCallback(void* context, IOReturn, void*, IOHIDDeviceRef device)
{
    auto* info = static_cast<TAVRIN_DeviceInfo*>(context);
    std::int32_t vendorID = 0, productID = 0;
    if (!readHidNumber(device, "VendorID", vendorID) ||
        !readHidNumber(device, "ProductID", productID))
        return;
    std::string product;
    if (!IOHIDDeviceGetProperty(device, "Product", &product))
        return;
    if (productID != info->productID || vendorID != info->vendorID)
        return;

    ghidInterface = device;
    plugCallback(context, 0);
}

void Handle_DeviceRemovalCallback(void* context, IOReturn, void*, IOHIDDeviceRef device)
{
    auto* info = static_cast<TAVRIN_DeviceInfo*>(context);
    std::int32_t vendorID = 0, productID = 0;
    std::string product;
    if (!readHidNumber(device, "VendorID", vendorID) ||
        !readHidNumber(device, "ProductID", productID) ||
        !IOHIDDeviceGetProperty(device, "Product", &product))
        return;

    const std::string wantedProduct = info->hidProductName != nullptr ? info->hidProductName : "";
    if (productID == info->productID && vendorID == info->vendorID &&
        equalsIgnoringCase(product, wantedProduct))
    {
        raiseEvent(info, TAVRIN_CB_UNPLUGGED);
        gInAudioObjectID = 0;
        gOutAudioObjectID = 0;
    }
}

void MySleepCallBack(void* context, io_service_t, natural_t messageType, void* messageArgument)
{
    auto* info = static_cast<TAVRIN_DeviceInfo*>(context);
    const auto notificationID = reinterpret_cast<std::intptr_t>(messageArgument);
    switch (messageType)
    {
    case powerMessageCanSystemSleep:
        IOAllowPowerChange(root_port, notificationID);
        break;
    case powerMessageSystemWillSleep:
        raiseEvent(info, TAVRIN_CB_WILL_SLEEP);
        IOAllowPowerChange(root_port, notificationID);
        break;
    case powerMessageSystemWillPowerOn:
        raiseEvent(info, TAVRIN_CB_WILL_POWER_ON);
        break;
    case powerMessageSystemHasPoweredOn:
        raiseEvent(info, TAVRIN_CB_HAS_POWERED_ON);
        break;
    default:
        break;
    }
}

// --- audio device discovery and listener -------------------------------------------------

void plugCallback(void* context, io_iterator_t)
{
    auto* info = static_cast<TAVRIN_DeviceInfo*>(context);
    const std::string name = info->audioDeviceName != nullptr ? info->audioDeviceName : "";
    const std::string manufacturer =
        info->audioManufacturer != nullptr ? info->audioManufacturer : "";

    for (int attempt = 0; attempt < 5; ++attempt)
    {
        CreateInputDeviceArray(name, manufacturer, context);
        if (gInAudioObjectID != 0 && gOutAudioObjectID != 0)
        {
            raiseEvent(info, TAVRIN_CB_PLUGGED);
            return;
        }
        platform::sleep(1);
    }
}

void CreateInputDeviceArray(const std::string& name, const std::string& manufacturer, void* context)
{
    const auto listAddress = propertyAddress("dev#", "glob", 0);
    UInt32 size = 0;
    if (AudioObjectGetPropertyDataSize(audioSystemObject, &listAddress, 0, nullptr, &size) != 0)
        return;
    void* list = std::malloc(size == 0 ? 1 : size);
    if (list == nullptr)
        return;
    if (AudioObjectGetPropertyData(audioSystemObject, &listAddress, 0, nullptr, &size, list) != 0)
    {
        std::free(list);
        return;
    }
    std::vector<AudioObjectID> devices(size / sizeof(AudioObjectID));
    if (!devices.empty())
        std::memcpy(devices.data(), list, devices.size() * sizeof(AudioObjectID));
    std::free(list);

    searchPass(devices, audioScopeInput, name, manufacturer, context);
    searchPass(devices, audioScopeOutput, name, manufacturer, context);
}

OSStatus myAudioObjectPropertyListenerProc(AudioObjectID object, UInt32 addressCount,
                                           const AudioObjectPropertyAddress* addresses,
                                           void* context)
{
    auto* info = static_cast<TAVRIN_DeviceInfo*>(context);
    for (UInt32 i = 0; i < addressCount; ++i)
    {
        const AudioObjectPropertyAddress& address = addresses[i];
        switch (address.selector)
        {
        case audioPropertyMute:
        case audioPropertyPlayThru:
        case audioPropertyDataSource:
            raiseEvent(info, TAVRIN_CB_PROPERTY_CHANGED);
            break;
        case audioPropertyVolumeScalar:
        {
            float volume = 0.0f;
            UInt32 size = sizeof(volume);
            if (AudioObjectGetPropertyData(object, &address, 0, nullptr, &size, &volume) == 0)
                raiseEvent(info, TAVRIN_CB_PROPERTY_CHANGED);
            break;
        }
        case audioPropertyNominalSampleRate:
            onNominalRateChanged(info, object, address);
            break;
        default:
            break;
        }
    }
    return 0;
}

// --- sample rate ---------------------------------------------------------------------------

bool hw_setSampleRate(double rate)
{
    const AudioObjectID input = gInAudioObjectID;
    const AudioObjectID output = gOutAudioObjectID;
    if (rate == 32000.0)
    {
        const AudioStreamDescription format = stereoPcm16Format(32000.0);
        const auto address = propertyAddress("pft ", "****", 0);
        AudioObjectSetPropertyData(input, &address, 0, nullptr, sizeof(format), &format);
        AudioObjectSetPropertyData(output, &address, 0, nullptr, sizeof(format), &format);
    }
    else
    {
        writeNominalRate(input, rate);
        writeNominalRate(output, rate);
    }

    double inputRate = 0.0, outputRate = 0.0;
    const OSStatus inputStatus = readNominalRate(input, inputRate);
    const OSStatus outputStatus = readNominalRate(output, outputRate);
    if (inputStatus == outputStatus && inputRate == outputRate)
        return inputStatus == 0;

    juce::Time::waitForMillisecondCounter(juce::Time::getMillisecondCounter() + 300);

    inputRate = 0.0;
    outputRate = 0.0;
    const bool inputRead = readNominalRate(input, inputRate) == 0;
    const bool outputRead = readNominalRate(output, outputRate) == 0;
    return inputRead && outputRead && inputRate == outputRate;
}

// --- HID command reports -------------------------------------------------------------------

TAVRIN_Report AttachReport()
{
    TAVRIN_Report report = blankReport();
    report[0] = 0x16;
    report[1] = 0x34;
    report[2] = 0x1A;
    report[4] = 0x01;
    report[21] = 0x80;
    return report;
}

TAVRIN_Report MonitoringReport(bool monitoringOn)
{
    TAVRIN_Report report = blankReport();
    report[0] = 0x16;
    report[1] = 0x34;
    report[2] = 0x2C;
    report[4] = 0x01;
    report[5] = (std::uint8_t)(((monitoringOn ? 1 : 0) << 2) | 1);
    report[21] = 0x80;
    return report;
}

TAVRIN_Report ChannelStatusReport(std::uint8_t flagByte, std::uint8_t rateCode)
{
    TAVRIN_Report report = blankReport();
    report[21] = 0x02;
    report[24] = flagByte;
    report[25] = rateCode;
    report[26] = 0x04;
    return report;
}

std::uint8_t ChannelStatusFlagByte(int proConFlag, int copyNoneFlag)
{
    const int formatBit = proConFlag == 0 ? 1 : 0;
    const int copyBit = copyNoneFlag == 0 ? 1 : 0;
    return (std::uint8_t)(formatBit + 4 * copyBit);
}

std::uint8_t ChannelStatusRateCode(double rate)
{
    // Truncation first, as the device is told whole hertz; NaN and out-of-range rates are
    // neither of the two codes.
    if (!(rate > -2147483648.0 && rate < 2147483648.0))
        return 0x00;
    switch ((int)rate)
    {
    case 32000:
        return 0x30;
    case 48000:
        return 0x20;
    default:
        return 0x00;
    }
}

double hw_channelStatusRate()
{
    double inputRate = 0.0, outputRate = 0.0;
    readNominalRate(gInAudioObjectID, inputRate);
    const OSStatus outputStatus = readNominalRate(gOutAudioObjectID, outputRate);
    if (inputRate == outputRate)
        return inputRate;
    if (outputStatus != 0)
        return 0.0;
    return hw_setSampleRate(outputRate) ? outputRate : 0.0;
}

void hw_sendReport(const TAVRIN_Report& report)
{
    const IOHIDDeviceRef device = ghidInterface;
    if (device == nullptr)
        return;
    IOHIDDeviceSetReport(device, hidReportTypeOutput, 0, report.data(), (CFIndex)report.size());
}

// --- routing record ------------------------------------------------------------------------

void MyDeviceMixerReset()
{
    std::memset(&MyDeviceMixer, 0, sizeof(MyDeviceMixer));
}

void MyDeviceMixerDefaultFill()
{
    auto& e = MyDeviceMixer.entries;
    writeEntry(e[0], 0, 3, 0, 0, 0);
    writeEntry(e[1], 0, 3, 0, 0, 0);
    writeEntry(e[2], 1, 0, 2, 1, 2);
    writeEntry(e[3], 1, 0, 2, 1, 3);
    writeEntry(e[4], 1, 2, 2, 1, 4);
    writeEntry(e[5], 1, 2, 2, 1, 5);
    for (int i = 8; i <= 13; ++i)
        writeEntry(e[i], 0, 0, 0, 0, 0);
    writeEntry(e[16], 1, 0, 0, 1, 0);
    writeEntry(e[17], 1, 0, 0, 1, 1);
    writeEntry(e[18], 1, 1, 0, 1, 0);
    writeEntry(e[19], 1, 1, 0, 1, 1);
    writeEntry(e[20], 1, 1, 0, 1, 0);
    writeEntry(e[21], 1, 1, 0, 1, 1);
    for (int i = 24; i <= 29; ++i)
        writeEntry(e[i], 0, 0, 0, 0, 0);
}

void MyDeviceMixerClear()
{
    MyDeviceMixerReset();
    hw_sendLoopline(&MyDeviceMixer);
}

void hw_sendLoopline(void* record)
{
    auto* mixer = static_cast<TAVRIN_DeviceMixer*>(record);
    if (loopLineTest)
    {
        writeEntry(mixer->entries[18], 0, 1, 0, 0, 0);
        writeEntry(mixer->entries[24], 1, 0, 2, 1, 2);
    }
    else
    {
        writeEntry(mixer->entries[18], 0, 0, 0, 0, 0);
        writeEntry(mixer->entries[24], 0, 0, 0, 0, 0);
    }
    loopLineTest = !loopLineTest;
}

void resetDeviceLinkState()
{
    mydeviceStruct.userData = nullptr;
    mydeviceStruct.vendorID = 0;
    mydeviceStruct.productID = 0;
    mydeviceStruct.hidProductName = nullptr;
    mydeviceStruct.audioDeviceName = nullptr;
    mydeviceStruct.audioManufacturer = nullptr;
    mydeviceStruct.eventCallback = nullptr;
    gInAudioObjectID = 0;
    gOutAudioObjectID = 0;
    ghidInterface = nullptr;
    root_port = 0;
    gMasterDevicePort = 0;
    gNotifyPort = nullptr;
    gRunLoopSource = nullptr;
    gPlugIter = 0;
    MyDeviceMixerReset();
    loopLineTest = false;
}
