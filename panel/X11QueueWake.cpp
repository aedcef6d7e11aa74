#include "panel/X11QueueWake.h"

#include "panel/X11Display.h"

#include <juce_events/juce_events.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <X11/Xlib.h>
#include <X11/Xlibint.h>

#include <atomic>

#include <fcntl.h>
#include <unistd.h>

namespace
{
using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);

// Slots 0 and 1 are errors and replies; the others convert one event type each.
constexpr int firstEventSlot = 2;
constexpr int eventSlots = 128;

// The converters the wake's own hook hands each event on to. Read and written
// only with the display's lock held.
WireToEvent chained[eventSlots] = {};
std::atomic<int> wakePipe{-1};
std::atomic<bool> wakeSent{false};

// Runs inside Xlib with the display's lock held, on whichever thread read the
// event: no Xlib call on that display here.
Bool enqueueAndWake(Display* display, XEvent* event, xEvent* wire)
{
    if (!wakeSent.exchange(true))
        if (const int fd = wakePipe.load(); fd >= 0)
        {
            const char byte = 1;
            [[maybe_unused]] const auto written = write(fd, &byte, 1);
        }
    const auto next = chained[wire->u.u.type & 0x7f];
    return next != nullptr ? next(display, event, wire) : False;
}

// An extension set up later puts its own converters in its slots: taken back
// each time, in front of them.
void hookEverySlot(Display* display)
{
    XLockDisplay(display);
    for (int slot = firstEventSlot; slot < eventSlots; ++slot)
        if (const auto previous = XESetWireToEvent(display, slot, enqueueAndWake);
            previous != enqueueAndWake)
            chained[slot] = previous;
    XUnlockDisplay(display);
}

void unhookEverySlot(Display* display)
{
    XLockDisplay(display);
    for (int slot = firstEventSlot; slot < eventSlots; ++slot)
    {
        if (chained[slot] == nullptr)
            continue;
        // A converter set after the last wake stays where it is.
        if (const auto current = XESetWireToEvent(display, slot, chained[slot]);
            current != enqueueAndWake)
            XESetWireToEvent(display, slot, current);
    }
    XUnlockDisplay(display);
}
} // namespace

X11QueueWake::X11QueueWake()
{
    auto* framework = frameworkDisplay();
    jassert(wakePipe.load() < 0); // one at a time
    if (framework == nullptr || wakePipe.load() >= 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    display = framework;
    wakeSent = false;
    wakePipe = pipeFds[1];
    juce::LinuxEventLoop::registerFdCallback(pipeFds[0], [this](int fd) { wake(fd); });
    hookEverySlot(display);
}

X11QueueWake::~X11QueueWake()
{
    if (display == nullptr)
    {
        for (const int fd : pipeFds)
            if (fd >= 0)
                close(fd);
        return;
    }
    unhookEverySlot(display);
    juce::LinuxEventLoop::unregisterFdCallback(pipeFds[0]);
    wakePipe = -1;
    close(pipeFds[0]);
    close(pipeFds[1]);
}

void X11QueueWake::wake(int fd)
{
    char drained[64];
    while (read(fd, drained, sizeof(drained)) > 0)
    {
    }
    // Cleared before the queue is looked at: an event queued from here on sends again.
    wakeSent = false;
    hookEverySlot(display);
    // Events the framework's own read queued were read by it already: nothing waits then.
    if (XEventsQueued(display, QueuedAlready) > 0)
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(ConnectionNumber(display));
}
