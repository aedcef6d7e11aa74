#include "panel/X11QueueWake.h"
#include "panel/X11Display.h"

#include "support/MessageLoop.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace
{
// A window of its own that notes what reaches it from the X server.
struct NotingWindow : juce::Component
{
    void mouseDown(const juce::MouseEvent&) override { pressed = true; }
    void mouseUp(const juce::MouseEvent&) override { released = true; }
    void paint(juce::Graphics&) override { ++paints; }

    bool pressed = false, released = false;
    int paints = 0;
};

void sendClick(::Display* sender, ::Window target)
{
    for (const int type : {ButtonPress, ButtonRelease})
    {
        XEvent event{};
        event.xbutton.type = type;
        event.xbutton.window = target;
        event.xbutton.root = DefaultRootWindow(sender);
        event.xbutton.x = event.xbutton.y = 20;
        event.xbutton.button = Button1;
        event.xbutton.same_screen = True;
        if (type == ButtonRelease)
            event.xbutton.state = Button1Mask;
        XSendEvent(sender, target, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
                   &event);
    }
}

// What the server sends when something that covered part of the window goes.
void sendUncoveredArea(::Display* sender, ::Window target)
{
    XEvent event{};
    event.xexpose.type = Expose;
    event.xexpose.window = target;
    event.xexpose.width = 50;
    event.xexpose.height = 40;
    XSendEvent(sender, target, False, ExposureMask, &event);
}

struct QueuedInputCase
{
    const char* name;
    std::function<void(::Display*, ::Window)> send;
    std::function<bool(const NotingWindow&)> handled;
};

void PrintTo(const QueuedInputCase& c, std::ostream* out)
{
    *out << c.name;
}

class X11QueueWakeTest : public testing::TestWithParam<QueuedInputCase>
{
  protected:
    void SetUp() override
    {
        window.setBounds(100, 100, 200, 150);
        window.addToDesktop(juce::ComponentPeer::windowAppearsOnTaskbar);
        window.setVisible(true);
        sender = XOpenDisplay(XDisplayString(frameworkDisplay()));
        ASSERT_NE(sender, nullptr);
        native = (::Window)window.getPeer()->getNativeHandle();
        // Mapped, and what the map brings read, before anything is sent.
        ASSERT_TRUE(k71test::pumpUntil(
            [this]
            {
                XWindowAttributes attributes{};
                return XGetWindowAttributes(sender, native, &attributes) &&
                       attributes.map_state == IsViewable;
            },
            10000));
        ASSERT_TRUE(k71test::pumpUntil([this] { return window.paints > 0; }, 10000));
        k71test::flushPostedMessages(10000);
        // Not needed for the result: lets the first picture's own traffic end first, so
        // that nothing but the event sent wakes the loop.
        k71test::pumpFor(300);
    }

    void TearDown() override
    {
        if (sender != nullptr)
            XCloseDisplay(sender);
    }

    NotingWindow window;
    ::Display* sender = nullptr;
    ::Window native = 0;
};

TEST_P(X11QueueWakeTest, AnEventARoundTripQueuedIsHandledWithNoFurtherInput)
{
    const X11QueueWake wake;
    ASSERT_TRUE(wake.isInstalled());

    window.paints = 0;
    GetParam().send(sender, native);
    XSync(sender, False);
    // The server sent the event before the answer to this: the answer's wait
    // takes it off the socket into Xlib's queue.
    XSync(frameworkDisplay(), False);
    ASSERT_GT(XEventsQueued(frameworkDisplay(), QueuedAlready), 0);

    EXPECT_TRUE(k71test::pumpUntil([this] { return GetParam().handled(window); }, 10000));
}

INSTANTIATE_TEST_SUITE_P(
    Input, X11QueueWakeTest,
    testing::Values(QueuedInputCase{"Click", sendClick,
                                    [](const NotingWindow& w) { return w.pressed && w.released; }},
                    QueuedInputCase{"UncoveredArea", sendUncoveredArea,
                                    [](const NotingWindow& w) { return w.paints > 0; }}),
    [](const testing::TestParamInfo<QueuedInputCase>& info) { return info.param.name; });
} // namespace
