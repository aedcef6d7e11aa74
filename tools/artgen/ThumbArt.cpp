#include "Painters.h"

namespace artgen
{
juce::Image paintThumb(bool linked)
{
    using namespace geometry;
    auto image = makeCanvas(thumbWidth, thumbHeight);
    juce::Graphics g(image);
    const auto cap = juce::Rectangle<float>(0.0f, 0.0f, (float)thumbWidth, (float)thumbHeight);

    const auto top = linked ? juce::Colour(0xffe6d8fc) : juce::Colour(0xfff0f1f3);
    const auto bottom = linked ? juce::Colour(0xff9474cc) : juce::Colour(0xffa4a9b0);
    g.setColour(juce::Colour(0xff111214));
    g.fillRoundedRectangle(cap, 2.0f);
    g.setGradientFill(
        juce::ColourGradient(top, 0.0f, 1.0f, bottom, 0.0f, (float)thumbHeight - 1.0f, false));
    g.fillRoundedRectangle(cap.reduced(1.0f), 1.5f);

    // Cap edges: lit from above.
    g.setColour(juce::Colours::white.withAlpha(0.6f));
    g.fillRect(2.0f, 1.0f, (float)thumbWidth - 4.0f, 1.0f);
    g.setColour(juce::Colours::black.withAlpha(0.3f));
    g.fillRect(2.0f, (float)thumbHeight - 2.0f, (float)thumbWidth - 4.0f, 1.0f);

    // Faint grip ridges, kept well short of the centre mark so it stands out.
    const float centreRow = (float)thumbRadius; // the row the level is read at
    for (float offset : {-6.0f, -4.0f, 4.0f, 6.0f})
    {
        g.setColour(juce::Colours::black.withAlpha(0.14f));
        g.fillRect(3.0f, centreRow + offset, (float)thumbWidth - 6.0f, 1.0f);
    }
    // The dark centre mark, with a light line under it.
    g.setColour(juce::Colour(0xff141517));
    g.fillRect(1.0f, centreRow, (float)thumbWidth - 2.0f, 1.0f);
    g.setColour(juce::Colours::white.withAlpha(0.5f));
    g.fillRect(1.0f, centreRow + 1.0f, (float)thumbWidth - 2.0f, 1.0f);
    return image;
}
} // namespace artgen
