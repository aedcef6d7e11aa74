#include "IconArt.h"

#include "ArtStyle.h"

namespace artgen
{
namespace
{
// The icon is laid out on a 64 x 64 grid and scaled to each size.
constexpr float grid = 64.0f;

void paintSlot(juce::Graphics& g, float unit, float x, float top, float bottom, float level)
{
    // Scale ticks beside the slot.
    g.setColour(colours::silkscreenDim);
    for (float y = top + 2.0f; y <= bottom - 2.0f; y += 5.0f)
        g.fillRect(juce::Rectangle<float>((x - 6.0f) * unit, y * unit, 3.0f * unit,
                                          juce::jmax(1.0f, 0.8f * unit)));

    const auto slot =
        juce::Rectangle<float>((x - 1.5f) * unit, top * unit, 3.0f * unit, (bottom - top) * unit);
    g.setColour(colours::slot);
    g.fillRoundedRectangle(slot, 1.5f * unit);
    g.setColour(juce::Colours::white.withAlpha(0.15f));
    g.drawLine(slot.getX(), slot.getBottom(), slot.getRight(), slot.getBottom(),
               juce::jmax(1.0f, 0.6f * unit));

    // The thumb, in the colours of the panel's own.
    const float centre = top + (bottom - top) * (1.0f - level);
    const auto cap =
        juce::Rectangle<float>(9.0f * unit, 11.0f * unit).withCentre({x * unit, centre * unit});
    g.setColour(juce::Colours::black.withAlpha(0.5f));
    g.fillRoundedRectangle(cap.translated(0.0f, 1.0f * unit), 2.0f * unit);
    g.setColour(juce::Colour(0xff111214));
    g.fillRoundedRectangle(cap, 2.0f * unit);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xfff0f1f3), 0.0f, cap.getY(),
                                           juce::Colour(0xffa4a9b0), 0.0f, cap.getBottom(), false));
    g.fillRoundedRectangle(cap.reduced(0.8f * unit), 1.5f * unit);
    g.setColour(juce::Colour(0xff141517));
    g.fillRect(cap.getX() + 0.8f * unit, cap.getCentreY() - 0.5f * unit,
               cap.getWidth() - 1.6f * unit, juce::jmax(1.0f, 1.0f * unit));
}
} // namespace

juce::Image paintAppIcon(int size)
{
    auto image = makeCanvas(size, size);
    juce::Graphics g(image);
    const float unit = (float)size / grid;

    const auto plate = juce::Rectangle<float>(2.0f * unit, 2.0f * unit, 60.0f * unit, 59.0f * unit);
    const float corner = 10.0f * unit;
    g.setColour(juce::Colours::black.withAlpha(0.35f));
    g.fillRoundedRectangle(plate.translated(0.0f, 1.0f * unit), corner);
    {
        juce::Graphics::ScopedSaveState state(g);
        juce::Path outline;
        outline.addRoundedRectangle(plate, corner);
        g.reduceClipRegion(outline);
        paintBrushedMetal(g, plate.getSmallestIntegerContainer(), colours::metal, 71);
    }
    paintBevel(g, plate, corner, true);

    if (size >= 64)
        for (const auto centre : {juce::Point<float>(9.5f, 9.5f), juce::Point<float>(54.5f, 9.5f)})
            paintScrew(g, centre * unit, 2.2f * unit, 0.7f);

    paintSlot(g, unit, 25.0f, 10.0f, 44.0f, 0.7f);
    paintSlot(g, unit, 46.0f, 10.0f, 44.0f, 0.45f);

    const auto key = juce::Rectangle<float>(14.0f * unit, 49.0f * unit, 36.0f * unit, 8.0f * unit);
    paintKey(g, key, size >= 128 ? "K71 VT" : "", KeyLight::amber, 6.0f * unit);
    return image;
}

const std::vector<int>& appIconSizes()
{
    static const std::vector<int> sizes = {32, 48, 64, 128, 256};
    return sizes;
}
} // namespace artgen
