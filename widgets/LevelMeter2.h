#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A bar meter drawn from an unlit and a fully lit picture. Every 60 ms it reads
// the level byte and lights the picture from the bottom up to that level,
// rising at once and falling back in small steps.
class LevelMeter2 : public juce::Component, public juce::Timer
{
  public:
    LevelMeter2();
    ~LevelMeter2() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

    juce::Image scaledOnImage;
    juce::Image scaledOffImage;
    juce::Image onImage;
    juce::Image offImage;
    // The byte to show, or null. A meter destroyed with a source still set
    // deletes the byte; an owner that keeps the byte clears this first.
    juce::int8* levelSource = nullptr;
    juce::int64 currentLevel = 0;
    int cutY = 0;

  private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LevelMeter2)
};
