#pragma once

#include "widgets/SliderLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

// A left and a right vertical fader that move together while the pointer rests
// between the two thumbs' centre lines. Every level change is announced to the
// owner with a posted action message starting with "volume_update".
class SliderStereoGroup : public juce::Component,
                          public juce::Slider::Listener,
                          public juce::Timer,
                          public juce::ActionBroadcaster
{
  public:
    SliderStereoGroup(juce::String name, int);
    ~SliderStereoGroup() override;

    void mouseMove(const juce::MouseEvent& event) override;
    void mouseDown(const juce::MouseEvent& event) override;
    void mouseDrag(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void mouseDoubleClick(const juce::MouseEvent& event) override;
    void mouseWheelMove(const juce::MouseEvent& event,
                        const juce::MouseWheelDetails& wheel) override;
    void paint(juce::Graphics& g) override;
    void resized() override;

    void sliderValueChanged(juce::Slider* slider) override;
    void timerCallback() override;
    void sliderDragStarted(juce::Slider* slider) override;

    // Range, step, colours, style and thumb look of both faders; sets both to 0.0.
    void configSliders(juce::Range<double> range, double, double, double,
                       TavrinSliderLookAndFeel& look, juce::Colour background, juce::Colour track);
    // The group's bounds in its owner for the given scale factors; also
    // updates the fader rectangles and rescales the thumbs.
    juce::Rectangle<int> getNewPos(double sx, double sy);
    // Puts device levels into the faders silently, announcing each side that changes.
    void setLevels(double left, double right);
    // One linked step: +1 lowers both faders, -1 raises both.
    void moveLinkedSliders(int direction);
    // Applies a changed link state to the thumbs.
    void switchLookAndFeel();
    // Detaches the thumb look from both faders before the look goes.
    void removeLookAndFeel();

    bool isLinked() const;
    bool isMouseInZone() const { return mouseInZone; }
    juce::Rectangle<int> getLinkZone() const { return linkZone; }
    double getLinkedStep() const { return linkedStep; }

    // Design-size layout written by the owner: left fader height, width, x, y,
    // then the same for the right fader.
    std::array<int, 8> sliderBaseLayout{};
    // Design-size bounds in the owner: height, width, x, y.
    std::array<int, 4> groupBaseBounds{};
    // Added to the scaled y of the group.
    int menuOffset = 0;

    juce::Slider leftSlider;
    juce::Slider rightSlider;

    // When set, its toggle state decides linking instead of the pointer.
    juce::Button* linkButton = nullptr;

    // Current fader rectangles in pixels: x, y, height, width.
    std::array<int, 4> rightSliderBounds{};
    std::array<int, 4> leftSliderBounds{};

  private:
    bool zoneContains(juce::Point<int> point) const;
    void post(const juce::String& suffix);
    void rememberValues();

    bool mouseInZone = false;
    bool lastLinkState = false;
    double resetValue = 0.0;
    juce::String messageBase;
    double lastLeftValue = 0.0;
    double lastRightValue = 0.0;
    double linkedStep = 0.0;
    TavrinSliderLookAndFeel* sliderLook = nullptr;
    juce::Rectangle<int> linkZone;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SliderStereoGroup)
};
