#include "widgets/SliderStereoGroup.h"

#include <cmath>

namespace
{
// Nearest integer, halves to even (the default floating-point rounding mode).
int nearest(double value)
{
    return (int)std::nearbyint(value);
}

juce::Image scaledThumb(const juce::Image& source, int width, int height)
{
    if (!source.isValid() || width <= 0 || height <= 0)
        return juce::Image();
    return source.rescaled(width, height, juce::Graphics::highResamplingQuality);
}
} // namespace

SliderStereoGroup::SliderStereoGroup(juce::String name, int)
{
    setName(name);
    leftSlider.setName("Left");
    rightSlider.setName("Right");
    leftSlider.addListener(this);
    rightSlider.addListener(this);
    addAndMakeVisible(leftSlider);
    addAndMakeVisible(rightSlider);
    for (auto* slider : {&leftSlider, &rightSlider})
    {
        slider->setScrollWheelEnabled(true);
        slider->setSliderSnapsToMousePosition(false);
    }
    messageBase = "volume_update";
    startTimer(200);
}

SliderStereoGroup::~SliderStereoGroup()
{
    leftSlider.setLookAndFeel(nullptr);
    rightSlider.setLookAndFeel(nullptr);
}

bool SliderStereoGroup::isLinked() const
{
    return linkButton != nullptr ? linkButton->getToggleState() : mouseInZone;
}

bool SliderStereoGroup::zoneContains(juce::Point<int> point) const
{
    return point.x >= linkZone.getX() && point.y >= linkZone.getY() &&
           point.x < linkZone.getX() + linkZone.getWidth() &&
           point.y < linkZone.getY() + linkZone.getHeight();
}

void SliderStereoGroup::post(const juce::String& suffix)
{
    sendActionMessage(messageBase + suffix);
}

void SliderStereoGroup::rememberValues()
{
    lastRightValue = rightSlider.getValue();
    lastLeftValue = leftSlider.getValue();
}

void SliderStereoGroup::mouseMove(const juce::MouseEvent& event)
{
    mouseInZone = zoneContains(event.getPosition());
}

void SliderStereoGroup::mouseDown(const juce::MouseEvent& event)
{
    mouseInZone = zoneContains(event.getPosition());
}

void SliderStereoGroup::mouseDrag(const juce::MouseEvent& event)
{
    if (!isLinked())
        return;

    // The sign comes from the whole distance since the press.
    const int distance = nearest((double)(event.position.y - event.mouseDownPosition.y));
    if (distance > 0)
        moveLinkedSliders(+1);
    else if (distance < 0)
        moveLinkedSliders(-1);
}

void SliderStereoGroup::mouseUp(const juce::MouseEvent&) {}

void SliderStereoGroup::mouseDoubleClick(const juce::MouseEvent&)
{
    leftSlider.setValue(resetValue, juce::dontSendNotification);
    rightSlider.setValue(resetValue, juce::dontSendNotification);
    rememberValues();
    post({});
}

void SliderStereoGroup::mouseWheelMove(const juce::MouseEvent&,
                                       const juce::MouseWheelDetails& wheel)
{
    if (wheel.deltaY == 0.0f || !isLinked())
        return;
    moveLinkedSliders(wheel.deltaY > 0.0f ? +1 : -1);
}

void SliderStereoGroup::paint(juce::Graphics&) {}

void SliderStereoGroup::timerCallback()
{
    // While a button is held the link state stays as the drag found it.
    if (!juce::ModifierKeys::currentModifiers.isAnyMouseButtonDown())
    {
        const auto pointer = juce::Desktop::getInstance().getMainMouseSource().getScreenPosition();
        const juce::Point<int> onDesktop(nearest(pointer.x), nearest(pointer.y));
        mouseInZone = zoneContains(getLocalPoint(nullptr, onDesktop));
    }
    switchLookAndFeel();
}

void SliderStereoGroup::switchLookAndFeel()
{
    const bool linked = isLinked();
    if (linked == lastLinkState)
        return;
    lastLinkState = linked;

    if (sliderLook != nullptr)
        sliderLook->currentThumb = linked ? sliderLook->linkedThumb : sliderLook->normalThumb;

    leftSlider.lookAndFeelChanged();
    rightSlider.lookAndFeelChanged();
}

void SliderStereoGroup::sliderDragStarted(juce::Slider*)
{
    lastLeftValue = leftSlider.getValue();
    lastRightValue = rightSlider.getValue();
}

void SliderStereoGroup::sliderValueChanged(juce::Slider* slider)
{
    const double value = slider->getValue();
    if (isLinked())
    {
        const bool movedLeft = slider == &leftSlider;
        auto& partner = movedLeft ? rightSlider : leftSlider;
        const double lastValue = movedLeft ? lastLeftValue : lastRightValue;
        partner.setValue(partner.getValue() + (value - lastValue), juce::dontSendNotification);
    }
    rememberValues();
    post({});
}

void SliderStereoGroup::moveLinkedSliders(int direction)
{
    double change = 0.0;
    juce::String suffix;
    if (direction < 0)
    {
        change = linkedStep;
        suffix = "+";
    }
    else if (direction > 0)
    {
        change = -linkedStep;
        suffix = "-";
    }

    const double newRight = rightSlider.getValue() + change;
    const double newLeft = leftSlider.getValue() + change;
    rightSlider.setValue(newRight, juce::dontSendNotification);
    leftSlider.setValue(newLeft, juce::dontSendNotification);
    rememberValues();
    post(suffix);
}

void SliderStereoGroup::setLevels(double left, double right)
{
    // != also counts a NaN on either side as a change.
    if (leftSlider.getValue() != left)
        post(leftSlider.getName() + getName());
    if (rightSlider.getValue() != right)
        post(rightSlider.getName() + getName());

    // A NaN is no level: a fader given one never settles and stalls the loop.
    const bool leftIsLevel = !std::isnan(left), rightIsLevel = !std::isnan(right);
    if (leftIsLevel)
        lastLeftValue = left;
    if (rightIsLevel)
        lastRightValue = right;
    if (leftIsLevel)
        leftSlider.setValue(left, juce::dontSendNotification);
    if (rightIsLevel)
        rightSlider.setValue(right, juce::dontSendNotification);
}

void SliderStereoGroup::removeLookAndFeel()
{
    leftSlider.setLookAndFeel(nullptr);
    rightSlider.setLookAndFeel(nullptr);
}

void SliderStereoGroup::configSliders(juce::Range<double> range, double, double, double,
                                      TavrinSliderLookAndFeel& look, juce::Colour background,
                                      juce::Colour track)
{
    const auto configure = [&](juce::Slider& slider)
    {
        slider.setColour(juce::Slider::backgroundColourId, background);
        slider.setColour(juce::Slider::trackColourId, track);
        slider.setSliderStyle(juce::Slider::LinearVertical);
        slider.setRange(range, 0.25);
        slider.setTextBoxStyle(juce::Slider::NoTextBox, false, 1, 1);
        slider.setValue(0.0, juce::dontSendNotification);
    };
    configure(leftSlider);
    lastLeftValue = 0.0;
    leftSlider.setLookAndFeel(&look);
    configure(rightSlider);
    rightSlider.setLookAndFeel(&look);
    lastRightValue = 0.0;

    resetValue = 0.0;
    sliderLook = &look;
}

juce::Rectangle<int> SliderStereoGroup::getNewPos(double sx, double sy)
{
    const int lh = sliderBaseLayout[0], lw = sliderBaseLayout[1];
    const int lx = sliderBaseLayout[2], ly = sliderBaseLayout[3];
    const int rx = sliderBaseLayout[6];

    // Sizes are the rounded distance between scaled edges, so neighbours stay adjacent.
    const int h = nearest((ly + lh) * sy - ly * sy);
    if (h != 0)
    {
        const int w = nearest((lx + lw) * sx - lx * sx);
        const int y = nearest(ly * sy);
        leftSliderBounds = {nearest(lx * sx), y, h, w};
        rightSliderBounds = {nearest(rx * sx), y, h, w};

        if (sliderLook != nullptr)
        {
            const int tw = nearest(sliderLook->thumbBaseWidth * sx);
            const int th = nearest(sliderLook->thumbBaseHeight * sy);
            sliderLook->currentThumb = scaledThumb(sliderLook->currentThumbSource, tw, th);
            sliderLook->normalThumb = scaledThumb(sliderLook->normalThumbSource, tw, th);
            sliderLook->linkedThumb = scaledThumb(sliderLook->linkedThumbSource, tw, th);

            auto& linked = sliderLook->linkedThumb;
            if (linked.isValid() && sliderLook->markLinked)
            {
                // At an unchanged size the scaled image still shares the cached artwork.
                linked.duplicateIfShared();
                juce::Graphics g(linked);
                g.setColour(juce::Colour(0xffff0000));
                const auto width = (float)linked.getWidth();
                const auto middle = (float)linked.getHeight() * 0.5f;
                g.drawLine(1.0f, middle, width - 1.0f, middle, 0.5f);
            }
        }
    }

    const int bh = groupBaseBounds[0], bw = groupBaseBounds[1];
    const int bx = groupBaseBounds[2], by = groupBaseBounds[3];
    return {nearest(bx * sx), nearest(by * sy) + menuOffset, nearest((bx + bw) * sx - bx * sx),
            nearest((by + bh) * sy - by * sy)};
}

void SliderStereoGroup::resized()
{
    leftSlider.setBounds(leftSliderBounds[0], leftSliderBounds[1], leftSliderBounds[3],
                         leftSliderBounds[2]);
    rightSlider.setBounds(rightSliderBounds[0], leftSliderBounds[1], leftSliderBounds[3],
                          leftSliderBounds[2]);

    const auto left = leftSlider.getBounds();
    const auto right = rightSlider.getBounds();
    const int zoneX = left.getX() + left.getWidth() / 2;
    linkZone = {zoneX, right.getY(), right.getX() + right.getWidth() / 2 - zoneX, left.getHeight()};

    linkedStep =
        (double)(rightSlider.getPositionOfValue(0.0) - rightSlider.getPositionOfValue(0.5));
}
