#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace k71test
{
// Pumps the message loop until the condition holds or the timeout runs out.
// Returns whether the condition held.
inline bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return condition();
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
    }
    return true;
}

// Pumps the message loop for the given time, whatever happens.
inline void pumpFor(int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32)milliseconds;
    while (juce::Time::getMillisecondCounter() < end)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
}
} // namespace k71test
