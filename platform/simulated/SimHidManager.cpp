// The HID manager over the simulated HID devices. Arrivals and removals are
// posted to the message thread; the callback registered at delivery time runs.
#include "platform/HidManager.h"

#include "platform/simulated/SimModel.h"

using namespace sim::detail;

namespace
{
bool matches(const HidManager& manager, const HidDevice& device)
{
    if (!manager.hasMatching)
        return true;
    const auto& config = device.config;
    if (!config.vendorID || !config.productID)
        return false;
    for (const auto& entry : manager.matching)
        if (entry.vendorID == *config.vendorID && entry.productID == *config.productID)
            return true;
    return false;
}

// Posts the matching or removal callback of the manager for the device.
void post(Model& m, HidManager* manager, HidDevice* device, bool arrival)
{
    postToMessageThread(m.generation,
                        [manager, device, arrival]
                        {
                            IOHIDDeviceCallback callback = nullptr;
                            void* context = nullptr;
                            {
                                Model& model = sim::detail::model();
                                std::lock_guard<std::mutex> lock(model.mutex);
                                callback =
                                    arrival ? manager->matchingCallback : manager->removalCallback;
                                context =
                                    arrival ? manager->matchingContext : manager->removalContext;
                            }
                            if (callback != nullptr)
                                callback(context, hidReturnSuccess, manager, device);
                        });
}

void reportPresentDevices(Model& m, HidManager* manager)
{
    for (const auto& device : m.hidDevices)
        if (device->plugged && matches(*manager, *device))
            post(m, manager, device.get(), true);
}

HidManager* activeManager(Model& m, IOHIDManagerRef manager)
{
    return manager != nullptr && m.isActive(manager) ? manager : nullptr;
}
} // namespace

namespace sim::detail
{
// Called by the simulation control with the mutex held.
void announceHidDevice(Model& m, HidDevice* device, bool arrival)
{
    for (const auto& manager : m.hidManagers)
        if (manager->scheduled && manager->opened && matches(*manager, *device))
            post(m, manager.get(), device, arrival);
}
} // namespace sim::detail

IOHIDManagerRef IOHIDManagerCreate(const void*, IOOptionBits)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.hidManagers.push_back(std::make_unique<HidManager>());
    return m.hidManagers.back().get();
}

void IOHIDManagerSetDeviceMatchingMultiple(IOHIDManagerRef manager,
                                           const std::vector<HidMatchingEntry>& matching)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (HidManager* active = activeManager(m, manager))
    {
        active->hasMatching = true;
        active->matching = matching;
    }
}

void IOHIDManagerRegisterDeviceMatchingCallback(IOHIDManagerRef manager,
                                                IOHIDDeviceCallback callback, void* context)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (HidManager* active = activeManager(m, manager))
    {
        active->matchingCallback = callback;
        active->matchingContext = context;
    }
}

void IOHIDManagerRegisterDeviceRemovalCallback(IOHIDManagerRef manager,
                                               IOHIDDeviceCallback callback, void* context)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (HidManager* active = activeManager(m, manager))
    {
        active->removalCallback = callback;
        active->removalContext = context;
    }
}

void IOHIDManagerScheduleWithMainRunLoop(IOHIDManagerRef manager)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    HidManager* active = activeManager(m, manager);
    if (active == nullptr || active->scheduled)
        return;
    active->scheduled = true;
    if (active->opened)
        reportPresentDevices(m, active);
}

IOReturn IOHIDManagerOpen(IOHIDManagerRef manager, IOOptionBits)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    HidManager* active = activeManager(m, manager);
    if (active == nullptr)
        return hidReturnBadArgument;
    if (active->opened)
        return hidReturnSuccess;
    active->opened = true;
    if (active->scheduled)
        reportPresentDevices(m, active);
    return hidReturnSuccess;
}

bool IOHIDDeviceGetProperty(IOHIDDeviceRef device, const std::string& key, std::int32_t* value)
{
    if (device == nullptr || value == nullptr)
        return false;
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    const auto& config = device->config;
    const std::optional<std::int32_t>* number = key == "VendorID"    ? &config.vendorID
                                                : key == "ProductID" ? &config.productID
                                                                     : nullptr;
    if (number == nullptr || !number->has_value())
        return false;
    *value = **number;
    return true;
}

bool IOHIDDeviceGetProperty(IOHIDDeviceRef device, const std::string& key, std::string* value)
{
    if (device == nullptr || value == nullptr || key != "Product")
        return false;
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (!device->config.product)
        return false;
    *value = *device->config.product;
    return true;
}

IOReturn IOHIDDeviceSetReport(IOHIDDeviceRef device, IOHIDReportType reportType, CFIndex reportID,
                              const std::uint8_t* report, CFIndex reportLength)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    sim::HidReport record;
    record.device = device;
    record.type = reportType;
    record.reportID = reportID;
    if (report != nullptr && reportLength > 0)
        record.bytes.assign(report, report + reportLength);

    if (device == nullptr || reportLength < 0 || (report == nullptr && reportLength > 0))
        record.status = hidReturnBadArgument;
    else if (!m.isActive(device) || !device->plugged)
        record.status = hidReturnNotAttached;
    else if (device->closed)
        record.status = hidReturnNotOpen;
    else
        record.status = hidReturnSuccess;
    m.hidReports.push_back(record);
    return record.status;
}

IOReturn IOHIDDeviceClose(IOHIDDeviceRef device, IOOptionBits)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.hidCloses.push_back(device);
    if (device == nullptr)
        return hidReturnBadArgument;
    device->closed = true;
    return hidReturnSuccess;
}
