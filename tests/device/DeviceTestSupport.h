#pragma once

// A fresh simulated platform per test, and a device callback that records
// every event with the thread it arrived on.

#include "device/RegisterDeviceCallBacksMac.h"
#include "platform/simulated/VirtualK71VT.h"
#include "support/MessageLoop.h"

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace k71test
{
struct RecordedEvent
{
    TAVRIN_CallbackEvent event;
    bool onMessageThread;
    void* reserved;
};

class EventRecorder
{
  public:
    static void callback(void* userData, void* reserved, TAVRIN_CallbackEvent event)
    {
        auto* self = static_cast<EventRecorder*>(userData);
        const bool onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        std::function<void(TAVRIN_CallbackEvent)> hook;
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            self->recorded.push_back({event, onMessageThread, reserved});
            hook = self->onEvent;
        }
        if (hook)
            hook(event);
    }

    std::vector<TAVRIN_CallbackEvent> events() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<TAVRIN_CallbackEvent> result;
        for (const auto& e : recorded)
            result.push_back(e.event);
        return result;
    }

    std::vector<RecordedEvent> details() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return recorded;
    }

    void clear()
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.clear();
    }

    // Runs inside the callback, on the raising thread; set before events can arrive.
    std::function<void(TAVRIN_CallbackEvent)> onEvent;

  private:
    mutable std::mutex mutex;
    std::vector<RecordedEvent> recorded;
};

class DeviceLink : public ::testing::Test
{
  protected:
    void SetUp() override { sim::resetSimulation(); }

    void TearDown() override
    {
        sim::resetSimulation();
        pumpFor(1); // leftovers of this test's posts are dropped by the reset
    }

    // Registers the device link as the panel does, with the recorder as receiver.
    void registerDeviceLink()
    {
        mydeviceStruct.userData = &recorder;
        mydeviceStruct.eventCallback = &EventRecorder::callback;
        RegisterDeviceCallBacks();
    }

    // Until the posted callbacks have run and the notification thread is idle.
    static void settle()
    {
        flushPostedMessages();
        ASSERT_TRUE(sim::waitForAudioNotifications());
        flushPostedMessages();
    }

    EventRecorder recorder;
};

inline std::vector<TAVRIN_CallbackEvent> events(std::initializer_list<TAVRIN_CallbackEvent> list)
{
    return list;
}
} // namespace k71test
