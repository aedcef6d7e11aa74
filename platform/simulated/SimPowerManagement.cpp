// Power notifications and the USB service notification over the simulation.
#include "platform/PowerManagement.h"

#include "platform/simulated/SimModel.h"

using namespace sim::detail;

namespace
{
constexpr kern_return_t kernSuccess = 0;
constexpr kern_return_t kernInvalidArgument = 4;
constexpr mach_port_t simulatedMasterPort = 0x0B01;

NotificationPort* newPort(Model& m)
{
    m.ports.push_back(std::make_unique<NotificationPort>());
    return m.ports.back().get();
}
} // namespace

io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (m.powerRegistrationFails)
    {
        if (thePortRef != nullptr)
            *thePortRef = nullptr;
        if (notifier != nullptr)
            *notifier = 0;
        return 0;
    }
    PowerRegistration registration;
    registration.port = nextPortNumber();
    registration.refcon = refcon;
    registration.callback = callback;
    registration.notificationPort = newPort(m);
    registration.notifier = nextPortNumber();
    m.powerRegistrations.push_back(registration);
    if (thePortRef != nullptr)
        *thePortRef = registration.notificationPort;
    if (notifier != nullptr)
        *notifier = registration.notifier;
    return registration.port;
}

kern_return_t IOAllowPowerChange(io_connect_t kernelPort, std::intptr_t notificationID)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.powerAnswers.push_back({kernelPort, notificationID});
    for (const auto& registration : m.powerRegistrations)
        if (registration.port == kernelPort)
            return kernSuccess;
    return kernInvalidArgument;
}

RunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef port)
{
    return port != nullptr ? &port->source : nullptr;
}

void RunLoopAddSource(RunLoopSourceRef source)
{
    if (source == nullptr)
        return;
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    source->scheduled = true;
}

kern_return_t IOMasterPort(mach_port_t, mach_port_t* masterPort)
{
    if (masterPort == nullptr)
        return kernInvalidArgument;
    *masterPort = simulatedMasterPort;
    return kernSuccess;
}

ServiceMatching IOServiceMatching(const std::string& className)
{
    return {className, {}};
}

IONotificationPortRef IONotificationPortCreate(mach_port_t)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    return newPort(m);
}

kern_return_t IOServiceAddMatchingNotification(IONotificationPortRef port,
                                               const std::string& notificationType,
                                               const ServiceMatching& matching,
                                               IOServiceMatchingCallback callback, void* refcon,
                                               io_iterator_t* notification)
{
    if (port == nullptr || notification == nullptr)
        return kernInvalidArgument;
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    ServiceNotificationEntry entry;
    entry.record.notificationType = notificationType;
    entry.record.matching = matching;
    entry.record.callback = callback;
    entry.record.refcon = refcon;
    entry.port = port;
    m.serviceNotifications.push_back(entry);
    *notification = nextPortNumber();
    return kernSuccess;
}
