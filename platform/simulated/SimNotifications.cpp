// The simulated audio system's one notification thread: it calls the
// property listeners with the addresses that changed, in the order the
// changes happened, never while the model's mutex is held.
#include "platform/simulated/SimModel.h"

#include <juce_events/juce_events.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>

namespace sim::detail
{
namespace
{
struct PendingNotification
{
    AudioObjectID object = 0;
    std::vector<AudioObjectPropertyAddress> addresses;
};

class NotificationThread;

// Guarded by its own mutex, taken after (never before) the model's.
struct Queue
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<PendingNotification> pending;
    bool delivering = false;
    bool stopping = false;
    bool shutDown = false;
    std::unique_ptr<NotificationThread> thread;
};

Queue& queue()
{
    static Queue q;
    return q;
}

std::vector<sim::detail::Listener> listenersOf(AudioObjectID object)
{
    Model& m = model();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (object == audioSystemObject)
        return m.systemListeners;
    if (AudioDevice* device = m.findAudioDevice(object))
        return device->listeners;
    return {};
}

class NotificationThread : public juce::Thread
{
  public:
    NotificationThread() : juce::Thread("k71-notify") {}

    void run() override
    {
        Queue& q = queue();
        for (;;)
        {
            PendingNotification next;
            {
                std::unique_lock<std::mutex> lock(q.mutex);
                q.delivering = false;
                q.changed.notify_all();
                q.changed.wait(lock, [&] { return threadShouldExit() || !q.pending.empty(); });
                if (threadShouldExit())
                    return;
                next = std::move(q.pending.front());
                q.pending.pop_front();
                q.delivering = true;
            }
            deliver(next);
        }
    }

  private:
    void deliver(const PendingNotification& notification)
    {
        for (const sim::detail::Listener& listener : listenersOf(notification.object))
        {
            std::vector<AudioObjectPropertyAddress> heard;
            for (const auto& address : notification.addresses)
                if (listenerHears(listener.address, address))
                    heard.push_back(address);
            if (heard.empty())
                continue;
            listener.proc(notification.object, (UInt32)heard.size(), heard.data(),
                          listener.clientData);
            if (threadShouldExit())
                return;
        }
    }
};

void stopAtExit()
{
    stopNotifications(false);
}

// Called with the queue's mutex held.
void startThreadIfNeeded(Queue& q)
{
    if (q.thread != nullptr)
        return;
    q.thread = std::make_unique<NotificationThread>();
    q.thread->startThread();
    // Installed after the first thread object exists, so it runs before the statics that
    // object relies on are destroyed.
    static const bool exitHandlerInstalled = (std::atexit(stopAtExit), true);
    (void)exitHandlerInstalled;
}

bool isIdle(Queue& q)
{
    return q.pending.empty() && !q.delivering;
}

bool onMessageThread()
{
    auto* mm = juce::MessageManager::getInstanceWithoutCreating();
    return mm != nullptr && mm->isThisTheMessageThread();
}
} // namespace

void queueNotification(AudioObjectID object, std::vector<AudioObjectPropertyAddress> addresses)
{
    if (addresses.empty())
        return;
    Queue& q = queue();
    std::lock_guard<std::mutex> lock(q.mutex);
    if (q.stopping || q.shutDown)
        return;
    q.pending.push_back({object, std::move(addresses)});
    startThreadIfNeeded(q);
    q.changed.notify_all();
}

void queueNotifications(const ChangeList& changes)
{
    for (const auto& [object, addresses] : changes)
        queueNotification(object, addresses);
}

bool waitForNotifications(int timeoutMs)
{
    Queue& q = queue();
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;
    if (onMessageThread())
    {
        // A listener may be waiting for this thread, so keep the message loop going.
        for (;;)
        {
            {
                std::lock_guard<std::mutex> lock(q.mutex);
                if (isIdle(q))
                    return true;
            }
            if (juce::Time::getMillisecondCounter() >= deadline)
                return false;
            juce::MessageManager::getInstance()->runDispatchLoopUntil(1);
        }
    }
    std::unique_lock<std::mutex> lock(q.mutex);
    return q.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return isIdle(q); });
}

void stopNotifications(bool restartable)
{
    Queue& q = queue();
    std::unique_ptr<NotificationThread> thread;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        if (q.shutDown)
        {
            // Already stopped for good; a reset for tests brings it back.
            q.shutDown = !restartable;
            return;
        }
        q.stopping = true;
        q.pending.clear();
        thread = std::move(q.thread);
    }
    if (thread != nullptr)
    {
        // The exit signal also makes a juce::MessageManagerLock that watches this thread
        // give up, so a listener waiting for the message thread returns.
        thread->signalThreadShouldExit();
        {
            std::lock_guard<std::mutex> lock(q.mutex);
            q.changed.notify_all();
        }
        if (!thread->waitForThreadToExit(5000))
            thread->stopThread(1000);
    }
    std::lock_guard<std::mutex> lock(q.mutex);
    q.pending.clear();
    q.delivering = false;
    q.stopping = false;
    q.shutDown = !restartable;
    q.changed.notify_all();
}
} // namespace sim::detail
