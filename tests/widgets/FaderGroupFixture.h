#pragma once

#include "widgets/SliderLookAndFeel.h"
#include "widgets/SliderStereoGroup.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>

namespace widgettest
{
// The thumb look, counting how often it draws each fader.
struct CountingThumbLook : TavrinSliderLookAndFeel
{
    void drawLinearSlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                          float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style,
                          juce::Slider& slider) override
    {
        ++paints[&slider];
        TavrinSliderLookAndFeel::drawLinearSlider(g, x, y, width, height, sliderPos, minSliderPos,
                                                  maxSliderPos, style, slider);
    }

    std::map<const juce::Slider*, int> paints;
};

enum class Direction
{
    input,
    output
};

// One fader group set up the way the panel sets up its two groups, with its
// own thumb look, scaled by the given factors.
struct FaderGroup
{
    explicit FaderGroup(Direction direction, double sx = 1.0, double sy = 1.0)
        : group(direction == Direction::input ? "sliderGroupIn" : "sliderGroupOut", 0)
    {
        look.setImagPathAndSize(nullptr, 0, nullptr, 0, 0, 0);
        group.sliderBaseLayout = {162, 17, 0, 7, 162, 17, 17, 7};
        group.leftSliderBounds = {0, 7, 162, 17};
        group.rightSliderBounds = {17, 7, 162, 17};
        const auto range = direction == Direction::input ? juce::Range<double>(-40.0, 12.0)
                                                         : juce::Range<double>(-55.0, 0.0);
        group.configSliders(range, 0.0, 0.0, 0.0, look, juce::Colour(0x00969798),
                            juce::Colour(0x0016181a));
        group.groupBaseBounds = {195, 65, direction == Direction::input ? 102 : 192, 58};
        group.menuOffset = 0;
        group.setBounds(group.getNewPos(sx, sy));
    }

    ~FaderGroup() { group.removeLookAndFeel(); }

    CountingThumbLook look;
    SliderStereoGroup group;
};
} // namespace widgettest
