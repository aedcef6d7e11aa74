#pragma once

#include "support/MessageLoop.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <ostream>

// Readable failure output for JUCE strings.
namespace juce
{
inline void PrintTo(const String& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const StringArray& texts, std::ostream* out)
{
    *out << "{" << texts.joinIntoString(", ").toStdString() << "}";
}
} // namespace juce

namespace widgettest
{
// Collects the action messages a broadcaster posts.
class MessageCollector : public juce::ActionListener
{
  public:
    explicit MessageCollector(juce::ActionBroadcaster& source) : broadcaster(source)
    {
        broadcaster.addActionListener(this);
    }
    ~MessageCollector() override { broadcaster.removeActionListener(this); }

    void actionListenerCallback(const juce::String& message) override { messages.add(message); }

    // Everything posted so far, then forgets it.
    juce::StringArray take()
    {
        k71test::flushPostedMessages();
        auto result = messages;
        messages.clear();
        return result;
    }

    juce::StringArray messages;

  private:
    juce::ActionBroadcaster& broadcaster;
};

// Counts the notified value changes of a slider.
struct SliderChangeCounter : juce::Slider::Listener
{
    explicit SliderChangeCounter(juce::Slider& s) : slider(s) { slider.addListener(this); }
    ~SliderChangeCounter() override { slider.removeListener(this); }
    void sliderValueChanged(juce::Slider*) override { ++changes; }

    juce::Slider& slider;
    int changes = 0;
};

// Puts a component on the desktop as a borderless window at the given screen
// position and takes it off again.
class OnDesktop
{
  public:
    OnDesktop(juce::Component& c, juce::Point<int> topLeft) : component(c)
    {
        component.setTopLeftPosition(topLeft);
        component.addToDesktop(0);
        component.setVisible(true);
        k71test::pumpUntil([this] { return component.isShowing(); }, 3000);
        k71test::pumpFor(50);
    }
    ~OnDesktop() { component.removeFromDesktop(); }

  private:
    juce::Component& component;
};

// Moves the real pointer and lets the desktop catch up with it. Under Xvfb the
// warp moves the pointer but raises no pointer event, so the move is handed to
// the windows as the X event handler would hand it, the window under the
// pointer last so that it keeps the pointer.
inline void movePointerTo(juce::Point<int> screenPosition)
{
    juce::Desktop::setMousePosition(screenPosition);
    const auto position = screenPosition.toFloat();
    const auto tell = [position](juce::ComponentPeer& peer)
    {
        peer.handleMouseEvent(
            juce::MouseInputSource::InputSourceType::mouse, peer.globalToLocal(position),
            juce::ModifierKeys::currentModifiers.withoutMouseButtons(),
            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
            juce::Time::currentTimeMillis());
    };
    juce::ComponentPeer* underPointer = nullptr;
    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
    {
        auto* peer = juce::ComponentPeer::getPeer(i);
        if (peer->getBounds().contains(screenPosition))
            underPointer = peer;
        else
            tell(*peer);
    }
    if (underPointer != nullptr)
        tell(*underPointer);
    k71test::pumpUntil(
        [screenPosition] { return juce::Desktop::getMousePosition() == screenPosition; }, 1000);
    k71test::pumpFor(30);
}

// A mouse event from the main pointer at a position in the component,
// pressed at another.
inline juce::MouseEvent mouseEvent(juce::Component& component, juce::Point<float> position,
                                   juce::Point<float> downPosition, juce::ModifierKeys mods = {},
                                   int clicks = 1, juce::Time when = juce::Time::getCurrentTime())
{
    return juce::MouseEvent(
        juce::Desktop::getInstance().getMainMouseSource(), position, mods,
        juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
        juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
        juce::MouseInputSource::defaultTiltY, &component, &component, when, downPosition, when,
        clicks, position != downPosition);
}

inline juce::MouseEvent mouseEventAt(juce::Component& component, juce::Point<float> position,
                                     juce::ModifierKeys mods = {}, int clicks = 1)
{
    return mouseEvent(component, position, position, mods, clicks);
}

inline juce::MouseWheelDetails wheel(float deltaY)
{
    juce::MouseWheelDetails details{};
    details.deltaX = 0.0f;
    details.deltaY = deltaY;
    details.isReversed = false;
    details.isSmooth = false;
    details.isInertial = false;
    return details;
}

// An opaque image of one colour.
inline juce::Image solidImage(int width, int height, juce::Colour colour)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    image.clear(image.getBounds(), colour);
    return image;
}

// Whether every pixel of the image has this colour.
inline bool allPixels(const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt(x, y) != colour)
                return false;
    return true;
}

// Smallest rectangle holding every pixel that is not fully transparent.
inline juce::Rectangle<int> paintedArea(const juce::Image& image)
{
    juce::Rectangle<int> area;
    bool any = false;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt(x, y).getAlpha() != 0)
            {
                const juce::Rectangle<int> pixel(x, y, 1, 1);
                area = any ? area.getUnion(pixel) : pixel;
                any = true;
            }
    return area;
}
} // namespace widgettest
