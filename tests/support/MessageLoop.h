#pragma once

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

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

// Runs every message posted to the message thread before the call, from any
// thread: the queue is first in, first out, so a marker posted now runs after
// all of them. Fails the test when the marker has not run within the timeout.
// Messages that those messages post may still be queued.
inline void flushPostedMessages(int timeoutMs = 3000)
{
    auto markerRan = std::make_shared<std::atomic<bool>>(false);
    if (!juce::MessageManager::callAsync([markerRan] { *markerRan = true; }))
        FAIL() << "the message queue took no marker";
    if (!pumpUntil([markerRan] { return markerRan->load(); }, timeoutMs))
        FAIL() << "the messages posted before the flush did not run within " << timeoutMs << " ms";
}
} // namespace k71test
