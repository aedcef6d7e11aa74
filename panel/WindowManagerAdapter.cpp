#include "panel/WindowManagerAdapter.h"

#include "panel/X11Display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <poll.h>

namespace
{
// The smallest whole-number pair with the given ratio (320/290 gives 32:29).
std::pair<int, int> asFraction(double ratio)
{
    for (int denominator = 1; denominator <= 1000; ++denominator)
    {
        const double numerator = ratio * denominator;
        if (std::abs(numerator - std::round(numerator)) < 1.0e-6)
            return {(int)std::round(numerator), denominator};
    }
    return {juce::roundToInt(ratio * 1000.0), 1000};
}

bool sameHints(const XSizeHints& a, const XSizeHints& b)
{
    const long sizeFlags = PMinSize | PMaxSize | PAspect | PBaseSize;
    if ((a.flags & sizeFlags) != (b.flags & sizeFlags))
        return false;
    const auto given = [&](long flag) { return (a.flags & flag) != 0; };
    return (!given(PMinSize) || (a.min_width == b.min_width && a.min_height == b.min_height)) &&
           (!given(PMaxSize) || (a.max_width == b.max_width && a.max_height == b.max_height)) &&
           (!given(PBaseSize) ||
            (a.base_width == b.base_width && a.base_height == b.base_height)) &&
           (!given(PAspect) ||
            (a.min_aspect.x == b.min_aspect.x && a.min_aspect.y == b.min_aspect.y &&
             a.max_aspect.x == b.max_aspect.x && a.max_aspect.y == b.max_aspect.y));
}
} // namespace

WindowSizeHints sizeHintsFor(const BorderBoundsConstrainer& constrainer)
{
    WindowSizeHints hints;
    hints.baseWidth = constrainer.frameBorder.getLeftAndRight();
    hints.baseHeight = constrainer.frameBorder.getTopAndBottom() + constrainer.extraTop;
    hints.minWidth = constrainer.getMinimumWidth() + hints.baseWidth;
    hints.minHeight = constrainer.getMinimumHeight() + hints.baseHeight;
    hints.maxWidth = constrainer.getMaximumWidth() + hints.baseWidth;
    hints.maxHeight = constrainer.getMaximumHeight() + hints.baseHeight;
    if (constrainer.getFixedAspectRatio() > 0.0)
        std::tie(hints.aspectWidth, hints.aspectHeight) =
            asFraction(constrainer.getFixedAspectRatio());
    return hints;
}

//==============================================================================
// Writes the normal hints through a connection of its own, which also hears
// every rewrite of them: the framework replaces them whenever it moves the
// window or makes its first picture, and each time they are put back.
class WindowManagerAdapter::HintsWriter
{
  public:
    explicit HintsWriter(juce::ResizableWindow& windowToDescribe, BorderBoundsConstrainer& rules)
        : window(windowToDescribe), constrainer(rules)
    {
        // The server the framework opened, which may be one DISPLAY does not name.
        auto* framework = frameworkDisplay();
        display = framework != nullptr ? XOpenDisplay(XDisplayString(framework)) : nullptr;
        if (display == nullptr)
        {
            auto* application = juce::JUCEApplicationBase::getInstance();
            const auto tried =
                framework != nullptr ? XDisplayString(framework) : displayFrameworkTries();
            std::fprintf(stderr,
                         "%s: no connection of its own to the X display \"%s\": the window "
                         "manager is not told the window's size rules\n",
                         application != nullptr ? application->getApplicationName().toRawUTF8()
                                                : "K71VT",
                         tried.c_str());
            return;
        }
        juce::LinuxEventLoop::registerFdCallback(ConnectionNumber(display),
                                                 [this](int) { readEvents(); });
    }

    ~HintsWriter()
    {
        if (display == nullptr)
            return;
        juce::LinuxEventLoop::unregisterFdCallback(ConnectionNumber(display));
        XCloseDisplay(display);
    }

    // Follows the window to its current native window, which the framework
    // makes anew when some of its styles change.
    void follow()
    {
        auto* peer = window.getPeer();
        const auto native = peer != nullptr ? (::Window)peer->getNativeHandle() : (::Window)0;
        if (display == nullptr || native == watched)
            return;
        watched = native;
        ownWritesUnseen = 0;
        if (watched != 0)
            XSelectInput(display, watched, PropertyChangeMask);
        write();
    }

    void write()
    {
        auto* peer = window.getPeer();
        if (display == nullptr || watched == 0 || peer == nullptr)
            return;
        const auto wanted = hintsNow(*peer);
        XSetWMNormalHints(display, watched, const_cast<XSizeHints*>(&wanted));
        ++ownWritesUnseen;
        XFlush(display);
    }

    // The window's size as the server has it now; the framework's may still be
    // that of a notice it has not caught up with.
    std::optional<juce::Rectangle<int>> serverSize()
    {
        ::Window root;
        int x, y;
        unsigned width, height, border, depth;
        if (display == nullptr || watched == 0)
            return std::nullopt;
        const bool got =
            XGetGeometry(display, watched, &root, &x, &y, &width, &height, &border, &depth);
        readWhatTheRoundTripQueued();
        if (!got)
            return std::nullopt;
        return juce::Desktop::getInstance().getDisplays().physicalToLogical(
            juce::Rectangle<int>(0, 0, (int)width, (int)height));
    }

    std::optional<juce::BorderSize<int>> frameToCome(double scale)
    {
        if (display == nullptr || watched == 0)
            return std::nullopt;
        const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", True);
        const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", True);
        if (request == None || extents == None || !managerSupports(request))
            return std::nullopt;
        XEvent ask{};
        ask.xclient.type = ClientMessage;
        ask.xclient.window = watched;
        ask.xclient.message_type = request;
        ask.xclient.format = 32;
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &ask);
        XFlush(display);

        // The answer is the property, set on the window: wait for its notice alone and
        // leave every other event queued for readEvents.
        struct Wanted
        {
            ::Window window;
            Atom atom;
        } wanted{watched, extents};
        const auto isAnswer = [](Display*, XEvent* event, XPointer argument) -> Bool
        {
            const auto& want = *reinterpret_cast<Wanted*>(argument);
            return event->type == PropertyNotify && event->xproperty.window == want.window &&
                   event->xproperty.atom == want.atom;
        };
        const auto deadline = juce::Time::getMillisecondCounter() + frameAnswerTimeLimitMs;
        bool answered = false;
        XEvent event;
        while (!(answered = XCheckIfEvent(display, &event, isAnswer, (XPointer)&wanted)))
        {
            const auto left = (juce::int32)(deadline - juce::Time::getMillisecondCounter());
            if (left <= 0)
                break;
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, left);
        }
        std::optional<juce::BorderSize<int>> frame;
        if (answered)
        {
            frame = readFrame(extents, scale);
            // Known this early, the frame would make JUCE 7.0.5 take the position it asks
            // for as the window's own before the window manager has placed the window, and
            // its first picture would move the window by the frame. The manager sets it
            // again when it takes the window on.
            XDeleteProperty(display, watched, extents);
            XFlush(display);
        }
        readWhatTheRoundTripQueued();
        return frame;
    }

  private:
    // A window manager may need a while to answer; a start on a loaded machine waits for it
    // only when the window has to be placed anew.
    static constexpr int frameAnswerTimeLimitMs = 1000;

    bool managerSupports(Atom feature)
    {
        const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
        if (supported == None)
            return false;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        bool found = false;
        if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False,
                               XA_ATOM, &type, &format, &count, &after, &data) == Success &&
            data != nullptr && format == 32)
        {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            found = std::find(atoms, atoms + count, feature) != atoms + count;
        }
        if (data != nullptr)
            XFree(data);
        return found;
    }

    std::optional<juce::BorderSize<int>> readFrame(Atom extents, double scale)
    {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        std::optional<juce::BorderSize<int>> frame;
        if (XGetWindowProperty(display, watched, extents, 0, 4, False, XA_CARDINAL, &type, &format,
                               &count, &after, &data) == Success &&
            data != nullptr && format == 32 && count == 4)
        {
            // Left, right, top, bottom, in the server's pixels.
            const auto* sizes = reinterpret_cast<const long*>(data);
            frame =
                juce::BorderSize<int>((int)sizes[2], (int)sizes[0], (int)sizes[3], (int)sizes[1])
                    .multipliedBy(1.0 / scale);
        }
        if (data != nullptr)
            XFree(data);
        return frame;
    }

    XSizeHints hintsNow(juce::ComponentPeer& peer) const
    {
        const auto rules = sizeHintsFor(constrainer);
        const double scale = peer.getPlatformScaleFactor();
        const auto scaled = [scale](int size) { return juce::roundToInt(size * scale); };
        const auto bounds =
            juce::Desktop::getInstance().getDisplays().logicalToPhysical(window.getScreenBounds());

        XSizeHints hints{};
        hints.flags = USPosition | USSize | PMinSize | PMaxSize | PBaseSize;
        hints.x = bounds.getX();
        hints.y = bounds.getY();
        hints.width = bounds.getWidth();
        hints.height = bounds.getHeight();
        hints.min_width = scaled(rules.minWidth);
        hints.min_height = scaled(rules.minHeight);
        hints.max_width = scaled(rules.maxWidth);
        hints.max_height = scaled(rules.maxHeight);
        hints.base_width = scaled(rules.baseWidth);
        hints.base_height = scaled(rules.baseHeight);
        if (rules.aspectWidth > 0)
        {
            hints.flags |= PAspect;
            hints.min_aspect.x = hints.max_aspect.x = rules.aspectWidth;
            hints.min_aspect.y = hints.max_aspect.y = rules.aspectHeight;
        }
        return hints;
    }

    // A round trip reads what arrived before its answer off the socket into Xlib's queue,
    // where the connection's callback, which waits for the socket, would not see it.
    void readWhatTheRoundTripQueued()
    {
        if (XQLength(display) > 0)
            readEvents();
    }

    void readEvents()
    {
        // Reading the hints back can pull further events off the connection,
        // so go on until none is queued.
        while (XPending(display) > 0)
        {
            bool rewrittenByOthers = false;
            while (XPending(display) > 0)
            {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type != PropertyNotify || event.xproperty.window != watched ||
                    event.xproperty.atom != XA_WM_NORMAL_HINTS)
                    continue;
                // Each write makes one notice, in order: only answer the others'.
                if (ownWritesUnseen > 0)
                    --ownWritesUnseen;
                else
                    rewrittenByOthers = true;
            }
            if (rewrittenByOthers && !current())
                write();
        }
    }

    bool current()
    {
        auto* peer = window.getPeer();
        if (peer == nullptr)
            return true;
        XSizeHints present{};
        long supplied = 0;
        if (!XGetWMNormalHints(display, watched, &present, &supplied))
            return false;
        return sameHints(present, hintsNow(*peer));
    }

    juce::ResizableWindow& window;
    BorderBoundsConstrainer& constrainer;
    Display* display = nullptr;
    ::Window watched = 0;
    int ownWritesUnseen = 0;
};

//==============================================================================
WindowManagerAdapter::WindowManagerAdapter(juce::ResizableWindow& windowToKeep,
                                           BorderBoundsConstrainer& rules)
    : window(windowToKeep), constrainer(rules), accepted(windowToKeep.getBounds()),
      hints(std::make_unique<HintsWriter>(windowToKeep, rules))
{
    window.addComponentListener(this);
    followPeer();
}

WindowManagerAdapter::~WindowManagerAdapter()
{
    cancelPendingUpdate();
    window.removeComponentListener(this);
}

std::optional<juce::BorderSize<int>> WindowManagerAdapter::frameToCome()
{
    followPeer();
    auto* peer = window.getPeer();
    return peer != nullptr ? hints->frameToCome(peer->getPlatformScaleFactor()) : std::nullopt;
}

void WindowManagerAdapter::followPeer()
{
    // On X the peer uses the window's constrainer only to write size hints of
    // its own, without the ratio and with the frame taken off the limits, on
    // every configure notice; the window's own rules stay with the window.
    if (auto* peer = window.getPeer())
        peer->setConstrainer(nullptr);
    hints->follow();
}

void WindowManagerAdapter::componentMovedOrResized(juce::Component&, bool, bool)
{
    followPeer();
    hints->write();
    triggerAsyncUpdate();
}

void WindowManagerAdapter::componentParentHierarchyChanged(juce::Component&)
{
    followPeer();
}

void WindowManagerAdapter::componentVisibilityChanged(juce::Component&)
{
    followPeer();
}

void WindowManagerAdapter::handleAsyncUpdate()
{
    bringBackSize();
}

void WindowManagerAdapter::bringBackSize()
{
    const auto proposed = window.getBounds();
    if (window.isFullScreen() || window.isMinimised() || proposed.getWidth() <= 0 ||
        proposed.getHeight() <= 0 ||
        (proposed.getWidth() == accepted.getWidth() &&
         proposed.getHeight() == accepted.getHeight()))
    {
        accepted = proposed;
        return;
    }

    // Only a size the server holds: a notice the framework has not caught up
    // with is followed by another once it has.
    const auto held = hints->serverSize();
    if (held &&
        (held->getWidth() != proposed.getWidth() || held->getHeight() != proposed.getHeight()))
        return;

    // An edge that moved while the opposite one stayed is the one dragged.
    const bool left = proposed.getX() != accepted.getX();
    const bool right = proposed.getRight() != accepted.getRight();
    const bool top = proposed.getY() != accepted.getY();
    const bool bottom = proposed.getBottom() != accepted.getBottom();
    auto wanted = proposed;
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect(proposed);
    constrainer.checkBounds(wanted, accepted, display != nullptr ? display->userArea : proposed,
                            top && !bottom, left && !right, bottom && !top, right && !left);

    // Within the limits and off the ratio by no more than a window manager's
    // rounding: kept as it is.
    const auto content = constrainer.frameBorder.subtractedFrom(proposed);
    const bool withinLimits = content.getWidth() >= constrainer.getMinimumWidth() &&
                              content.getWidth() <= constrainer.getMaximumWidth() &&
                              content.getHeight() >= constrainer.getMinimumHeight() &&
                              content.getHeight() <= constrainer.getMaximumHeight();
    const bool nearRatio = std::abs(wanted.getWidth() - proposed.getWidth()) <= 1 &&
                           std::abs(wanted.getHeight() - proposed.getHeight()) <= 1;
    // The same size again right after its correction is the window manager's
    // last word (a tiling or maximising one): kept, so the two never take turns.
    if (withinLimits && nearRatio)
        lastCorrected.reset();
    if ((withinLimits && nearRatio) || proposed == lastCorrected)
    {
        accepted = proposed;
        return;
    }
    lastCorrected = proposed;
    accepted = wanted;
    window.setBounds(wanted);
}
