#pragma once

// JUCE 7.0.5 reads its X connection only when poll() finds the socket readable.
// Any round trip it makes elsewhere on that connection (a pointer query, a sync,
// a property read) moves the events that arrived meanwhile into Xlib's queue,
// where they wait for the next input: a click, an uncovered area or the window
// manager's close request then does nothing until the pointer moves. While an
// X11QueueWake exists, every event that enters the queue of the framework's
// display makes the framework read its queue.
//
// Made on the message thread once the framework has its display, and gone
// before the framework closes it. One at a time.
class X11QueueWake
{
  public:
    X11QueueWake();
    ~X11QueueWake();

    // False when there is no display or no pipe to wake the loop with.
    bool isInstalled() const { return display != nullptr; }

  private:
    void wake(int fd);

    struct _XDisplay* display = nullptr;
    int pipeFds[2] = {-1, -1};

    X11QueueWake(const X11QueueWake&) = delete;
    X11QueueWake& operator=(const X11QueueWake&) = delete;
};
