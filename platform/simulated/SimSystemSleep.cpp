#include "platform/SystemSleep.h"

#include "platform/simulated/SimModel.h"

unsigned int platform::sleep(unsigned int seconds)
{
    std::function<void(unsigned int)> hook;
    {
        auto& m = sim::detail::model();
        std::lock_guard<std::mutex> lock(m.mutex);
        m.sleepCalls.push_back(seconds);
        hook = m.sleepHook;
    }
    if (hook)
        hook(seconds);
    return 0;
}
