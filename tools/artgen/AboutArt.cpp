#include "Painters.h"

namespace artgen
{
namespace
{
// A small drawing of the interface itself, front view.
void paintDeviceSketch(juce::Graphics& g, juce::Rectangle<float> box)
{
    g.setColour(juce::Colours::black.withAlpha(0.5f));
    g.fillRoundedRectangle(box.translated(2.0f, 3.0f), 6.0f);
    g.setGradientFill(juce::ColourGradient(juce::Colour(0xff3b4047), box.getX(), box.getY(),
                                           juce::Colour(0xff1f2226), box.getX(), box.getBottom(),
                                           false));
    g.fillRoundedRectangle(box, 6.0f);
    paintBevel(g, box, 6.0f, true);

    const float knobY = box.getCentreY() + 4.0f;
    for (int i = 0; i < 2; ++i)
    {
        const auto centre = juce::Point<float>(box.getX() + 36.0f + (float)i * 44.0f, knobY);
        const auto knob = juce::Rectangle<float>(28.0f, 28.0f).withCentre(centre);
        g.setGradientFill(juce::ColourGradient(juce::Colour(0xffcfd3d8), knob.getX(), knob.getY(),
                                               juce::Colour(0xff60656c), knob.getRight(),
                                               knob.getBottom(), false));
        g.fillEllipse(knob);
        g.setColour(juce::Colour(0xff1b1d20));
        g.drawLine(centre.x, centre.y, centre.x - 7.0f, centre.y - 9.0f, 2.0f);
        paintLegend(g, i == 0 ? "IN 1" : "IN 2",
                    {centre.x - 20.0f, knob.getY() - 14.0f, 40.0f, 10.0f}, 8.0f,
                    juce::Justification::centred, colours::silkscreenDim);
    }
    // Signal and USB lamps.
    const auto lamps = {juce::Colour(0xff59e04f), juce::Colour(0xfff2a52a)};
    float lampX = box.getRight() - 58.0f;
    for (auto lamp : lamps)
    {
        const auto dot = juce::Rectangle<float>(lampX, knobY - 4.0f, 8.0f, 8.0f);
        g.setColour(lamp.withAlpha(0.25f));
        g.fillEllipse(dot.expanded(3.0f));
        g.setColour(lamp);
        g.fillEllipse(dot);
        lampX += 24.0f;
    }
    paintLegend(g, "SIG", {box.getRight() - 66.0f, knobY + 7.0f, 24.0f, 10.0f}, 7.0f,
                juce::Justification::centred, colours::silkscreenDim);
    paintLegend(g, "USB", {box.getRight() - 42.0f, knobY + 7.0f, 24.0f, 10.0f}, 7.0f,
                juce::Justification::centred, colours::silkscreenDim);
    paintLegend(g, "K71 VT", box.reduced(12.0f, 8.0f).removeFromTop(14.0f), 11.0f,
                juce::Justification::centredRight);
}
} // namespace

juce::Image paintAboutPicture()
{
    using namespace geometry;
    auto image = makeCanvas(528, 212);
    juce::Graphics g(image);
    const auto whole = juce::Rectangle<int>(0, 0, 528, 212);
    paintBrushedMetal(g, whole, colours::metal, 6);
    paintBevel(g, whole.toFloat(), 3.0f, true);
    for (auto corner : {juce::Point<float>(9.0f, 9.0f), juce::Point<float>(519.0f, 9.0f),
                        juce::Point<float>(9.0f, 203.0f), juce::Point<float>(519.0f, 203.0f)})
        paintScrew(g, corner, 4.0f, corner.x * 0.013f + corner.y * 0.021f);

    paintLegend(g, "K71 VT", {34.0f, 26.0f, 220.0f, 44.0f}, 42.0f,
                juce::Justification::centredLeft);
    paintLegend(g, "USB AUDIO INTERFACE", {37.0f, 74.0f, 220.0f, 16.0f}, 13.0f,
                juce::Justification::centredLeft, colours::silkscreenDim);
    paintLegend(g, "CONTROL PANEL", {37.0f, 92.0f, 220.0f, 16.0f}, 13.0f,
                juce::Justification::centredLeft, colours::silkscreenDim);
    g.setColour(colours::rule);
    g.fillRect(34.0f, 124.0f, 460.0f, 1.0f);

    paintDeviceSketch(g, {286.0f, 28.0f, 206.0f, 84.0f});

    // Printed under the invisible web link the window lays over it.
    const auto link = toFloat(aboutWebLink);
    const juce::String linkText = "support and updates";
    const auto linkFont = panelFont(11.0f, false);
    const float linkWidth = textWidth(linkFont, linkText);
    g.setFont(linkFont);
    g.setColour(juce::Colour(0xfff0b44a));
    g.drawText(linkText, link, juce::Justification::centred, false);
    g.fillRect(link.getCentreX() - linkWidth * 0.5f, link.getBottom() - 2.0f, linkWidth, 1.0f);

    // A well for the close key and a dark strip the grey version text reads on.
    const auto closeWell = toFloat(aboutCloseButton).expanded(2.0f);
    g.setColour(juce::Colours::black.withAlpha(0.45f));
    g.fillRoundedRectangle(closeWell, 3.5f);
    const auto versionStrip = toFloat(aboutVersionText).expanded(6.0f, 2.0f).withTrimmedLeft(0.0f);
    g.setColour(juce::Colour(0xff141618));
    g.fillRoundedRectangle(versionStrip, 3.0f);
    paintBevel(g, versionStrip, 3.0f, false);
    paintLegend(g, "VERSION", {versionStrip.getX(), versionStrip.getY() - 12.0f, 80.0f, 10.0f},
                8.0f, juce::Justification::centredLeft, colours::silkscreenDim);

    paintLegend(g, "Free software under the GNU GPL, version 3 or later",
                {34.0f, 194.0f, 230.0f, 10.0f}, 7.5f, juce::Justification::centredLeft,
                colours::silkscreenDim);
    return image;
}
} // namespace artgen
