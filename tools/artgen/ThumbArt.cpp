#include "Painters.h"

namespace artgen
{
juce::Image paintThumb(bool linked)
{
    using namespace geometry;
    auto image = makeCanvas(thumbWidth, thumbHeight);
    juce::Graphics g(image);
    const auto cap = juce::Rectangle<float>(0.0f, 0.0f, (float)thumbWidth, (float)thumbHeight);

    const auto top = linked ? juce::Colour(0xffe2d2fb) : juce::Colour(0xffeceef0);
    const auto bottom = linked ? juce::Colour(0xff9d7ed0) : juce::Colour(0xffa9aeb4);
    g.setColour(juce::Colour(0xff111214));
    g.fillRoundedRectangle(cap, 2.0f);
    g.setGradientFill(
        juce::ColourGradient(top, 0.0f, 1.0f, bottom, 0.0f, (float)thumbHeight - 1.0f, false));
    g.fillRoundedRectangle(cap.reduced(1.0f), 1.5f);

    // Grip ridges above and below the centre mark.
    const float centreY = (float)thumbRadius + 0.5f;
    for (float offset : {-6.0f, -4.0f, 4.0f, 6.0f})
    {
        g.setColour(juce::Colours::black.withAlpha(0.22f));
        g.fillRect(2.0f, centreY + offset - 0.5f, (float)thumbWidth - 4.0f, 1.0f);
        g.setColour(juce::Colours::white.withAlpha(0.35f));
        g.fillRect(2.0f, centreY + offset + 0.5f, (float)thumbWidth - 4.0f, 1.0f);
    }
    // The dark centre mark the level is read at.
    g.setColour(juce::Colour(0xff17181a));
    g.fillRect(1.0f, centreY - 0.5f, (float)thumbWidth - 2.0f, 1.0f);
    return image;
}
} // namespace artgen
