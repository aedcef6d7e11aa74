#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Draws a vertical fader as its thumb image only. The fader group that owns
// the faders switches and rescales the thumb images.
class TavrinSliderLookAndFeel : public juce::LookAndFeel_V4
{
  public:
    TavrinSliderLookAndFeel() = default;
    ~TavrinSliderLookAndFeel() override = default;

    void drawLinearSlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                          float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                          juce::Slider& slider) override;
    void drawLinearSliderThumb(juce::Graphics& g, int x, int y, int width, int height,
                               float sliderPos, float minSliderPos, float maxSliderPos,
                               juce::Slider::SliderStyle style, juce::Slider& slider) override;
    int getSliderThumbRadius(juce::Slider& slider) override;

    // Loads the embedded thumb artwork; the arguments are kept for the
    // caller's sake and not read.
    void setImagPathAndSize(const char*, int, const char*, int, int, int);

    // Scaled images, written by the fader group.
    juce::Image linkedThumb;
    juce::Image currentThumb;
    juce::Image normalThumb;
    // Unscaled artwork.
    juce::Image linkedThumbSource;
    juce::Image currentThumbSource;
    juce::Image normalThumbSource;

    int thumbBaseWidth = 0;
    int thumbBaseHeight = 0;
    bool markLinked = true;

  private:
    int halfCurrentThumbHeight() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TavrinSliderLookAndFeel)
};
