#include "Painters.h"

namespace artgen
{
namespace
{
using namespace geometry;

constexpr float legendHeight = 10.0f;
constexpr float scaleHeight = 12.0f;
constexpr float scaleTracking = 1.0f;

struct ScaleMark
{
    double level;
    bool labelled;
};

// A legend with a rule running out to each side over a column of keys.
void paintSectionLegend(juce::Graphics& g, const juce::String& text, float left, float right,
                        float top)
{
    const auto font = panelFont(legendHeight);
    const float width = textWidth(font, text);
    const float centre = (left + right) * 0.5f;
    paintLegend(g, text, {centre - width * 0.5f - 1.0f, top, width + 2.0f, 10.0f}, legendHeight,
                juce::Justification::centred);
    g.setColour(colours::rule);
    const float ruleY = top + 5.0f;
    const float gap = width * 0.5f + 4.0f;
    if (centre - gap > left + 2.0f)
    {
        g.fillRect(left, ruleY, centre - gap - left, 1.0f);
        g.fillRect(left, ruleY, 1.0f, 3.0f);
        g.fillRect(centre + gap, ruleY, right - centre - gap, 1.0f);
        g.fillRect(right - 1.0f, ruleY, 1.0f, 3.0f);
    }
}

void paintSlot(juce::Graphics& g, float centreX)
{
    const float top = (float)(inputGroup.y + faderTop) + 2.0f;
    const float bottom = (float)(inputGroup.y + faderTop + faderHeight) - 2.0f;
    const auto slot = juce::Rectangle<float>(centreX - 2.0f, top, 4.0f, bottom - top);
    g.setColour(juce::Colours::white.withAlpha(0.12f));
    g.fillRoundedRectangle(slot.expanded(1.0f).translated(0.0f, 0.5f), 2.5f);
    g.setColour(colours::slot);
    g.fillRoundedRectangle(slot, 2.0f);
    g.setColour(juce::Colours::white.withAlpha(0.08f));
    g.fillRect(slot.getRight() - 1.0f, slot.getY() + 2.0f, 1.0f, slot.getHeight() - 4.0f);
}

// A plus or minus on whole pixels, two pixels thick and as wide as it is tall;
// its bar covers the given row and the one below.
void paintSign(juce::Graphics& g, float left, float row, bool plus)
{
    constexpr float size = 6.0f, stroke = 2.0f;
    g.fillRect(left, row, size, stroke);
    if (plus)
        g.fillRect(left + (size - stroke) * 0.5f, row + stroke * 0.5f - size * 0.5f, stroke, size);
}

// Ticks on the outer side of each slot of a pair, numbers outside the left
// or right tick column.
void paintScale(juce::Graphics& g, const Box& group, double minDb, double maxDb,
                std::initializer_list<ScaleMark> marks, bool numbersLeft)
{
    const float leftTickEnd = (float)group.x - 1.0f; // just clear of the thumb
    const float rightTickStart =
        (float)group.x + (float)rightFaderX + (float)thumbWidth + 1.0f; // likewise
    // From the tick column's far side: the longest tick and a clear gap, so a
    // number does not run into its tick at the smallest size; left of the input
    // pair the source keys leave a pixel less.
    constexpr float signWidth = 6.0f;
    const float numberGap = numbersLeft ? 6.0f : 8.0f;
    const auto numberAlign =
        numbersLeft ? juce::Justification::centredRight : juce::Justification::centredLeft;

    for (const auto& mark : marks)
    {
        // One whole pixel row: the one the thumb's centre mark covers at this level.
        const auto row = (float)levelToMarkRow(mark.level, minDb, maxDb);
        const float length = mark.labelled ? 4.0f : 2.0f;
        g.setColour(mark.labelled ? colours::silkscreen : colours::silkscreenDim);
        g.fillRect(leftTickEnd - length, row, length, 1.0f);
        g.fillRect(rightTickStart, row, length, 1.0f);
        if (!mark.labelled)
            continue;

        // Digits on the tick's row, the sign drawn by hand before them.
        const auto digits = juce::String((int)std::abs(mark.level));
        const auto area =
            numbersLeft
                ? juce::Rectangle<float>(leftTickEnd - numberGap - 24.0f, row - 5.0f, 24.0f, 12.0f)
                : juce::Rectangle<float>(rightTickStart + numberGap + signWidth, row - 5.0f, 24.0f,
                                         12.0f);
        const auto across =
            paintGridLegend(g, digits, area, scaleHeight, numberAlign, scaleTracking);
        if (mark.level != 0)
            paintSign(g, numbersLeft ? across.getStart() - signWidth : area.getX() - signWidth, row,
                      mark.level > 0);
    }
    const float captionY = levelToY(minDb, minDb, maxDb) + 6.0f;
    const auto caption =
        numbersLeft ? juce::Rectangle<float>(leftTickEnd - numberGap - 24.0f, captionY, 24.0f, 9.0f)
                    : juce::Rectangle<float>(rightTickStart + numberGap, captionY, 24.0f, 9.0f);
    paintGridLegend(g, "dB", caption, scaleHeight, numberAlign, scaleTracking,
                    colours::silkscreenDim);
}

void paintValueWindow(juce::Graphics& g, const Box& box)
{
    const auto area = toFloat(box);
    g.setColour(juce::Colour(0xff060708));
    g.fillRoundedRectangle(area.expanded(1.5f), 2.0f);
    g.setGradientFill(juce::ColourGradient(colours::display.darker(0.12f), 0.0f, area.getY(),
                                           colours::display, 0.0f, area.getY() + 4.0f, false));
    g.fillRect(area);
    g.setColour(juce::Colours::white.withAlpha(0.18f));
    g.drawRoundedRectangle(area.expanded(2.0f), 2.5f, 0.6f);
}

// The recessed bay the faders sit in.
void paintFaderBay(juce::Graphics& g)
{
    const auto bay = juce::Rectangle<float>(76.0f, 51.0f, 185.0f, 207.0f);
    g.setColour(colours::metalDeep.withAlpha(0.75f));
    g.fillRoundedRectangle(bay, 4.0f);
    paintBevel(g, bay, 4.0f, false);
}

void paintKeyWells(juce::Graphics& g)
{
    // Every key sits in a dark cut-out a little larger than where it is drawn;
    // the link key is never shown, so it gets none.
    for (const auto& place : allButtons)
    {
        if (place.imageOff == linkButton.imageOff)
            continue;
        const auto well = toFloat(drawnImageBounds(place)).expanded(1.0f);
        g.setColour(juce::Colours::black.withAlpha(0.45f));
        g.fillRoundedRectangle(well, 3.0f);
        g.setColour(juce::Colours::white.withAlpha(0.10f));
        g.drawRoundedRectangle(well.expanded(0.4f).translated(0.0f, 0.4f), 3.5f, 0.6f);
    }
}

void paintBrand(juce::Graphics& g)
{
    paintLegend(g, "K71 VT", {16.0f, 5.0f, 80.0f, 18.0f}, 16.0f, juce::Justification::centredLeft);
    paintLegend(g, "USB AUDIO INTERFACE", {17.0f, 22.0f, 90.0f, 9.0f}, 6.5f,
                juce::Justification::centredLeft, colours::silkscreenDim);
}
} // namespace

juce::Image paintPanelBackground()
{
    auto image = makeCanvas(designWidth, designHeight);
    juce::Graphics g(image);
    const auto whole = juce::Rectangle<int>(0, 0, designWidth, designHeight);

    paintBrushedMetal(g, whole, colours::metal, 71);
    paintBevel(g, whole.toFloat(), 3.0f, true);
    for (auto corner : {juce::Point<float>(8.0f, 8.0f), juce::Point<float>(392.0f, 8.0f),
                        juce::Point<float>(8.0f, 292.0f), juce::Point<float>(392.0f, 292.0f)})
        paintScrew(g, corner, 3.5f, corner.x * 0.01f + corner.y * 0.02f);

    paintBrand(g);
    paintFaderBay(g);
    paintKeyWells(g);

    for (const auto* group : {&inputGroup, &outputGroup})
    {
        paintSlot(g, slotCentreX(*group, 0));
        paintSlot(g, slotCentreX(*group, rightFaderX));
    }
    paintScale(g, inputGroup, inputMinDb, inputMaxDb,
               {{12, true},
                {9, false},
                {6, true},
                {3, false},
                {0, true},
                {-3, false},
                {-6, true},
                {-9, false},
                {-12, true},
                {-16, false},
                {-20, true},
                {-25, false},
                {-30, true},
                {-35, false},
                {-40, true}},
               true);
    paintScale(g, outputGroup, outputMinDb, outputMaxDb,
               {{0, true},
                {-5, true},
                {-10, true},
                {-15, false},
                {-20, true},
                {-25, false},
                {-30, true},
                {-35, false},
                {-40, true},
                {-45, false},
                {-50, false},
                {-55, true}},
               false);

    const auto pairLegend = [&g](const juce::String& text, const Box& group)
    {
        const float centre = (slotCentreX(group, 0) + slotCentreX(group, rightFaderX)) * 0.5f;
        paintLegend(g, text, {centre - 24.0f, 53.0f, 48.0f, 10.0f}, legendHeight,
                    juce::Justification::centred);
    };
    pairLegend("INPUT", inputGroup);
    pairLegend("OUTPUT", outputGroup);

    paintValueWindow(g, inputValueWindow);
    paintValueWindow(g, outputValueWindow);

    paintSectionLegend(g, "SOURCE", 15.0f, 74.0f, 56.0f);
    paintSectionLegend(g, "MONITOR", 132.0f, 190.0f, 20.0f);
    paintSectionLegend(g, "SAMPLE RATE", 285.0f, 375.0f, 37.0f);
    paintSectionLegend(g, "FORMAT", 285.0f, 375.0f, 163.0f);
    paintSectionLegend(g, "COPY", 285.0f, 375.0f, 222.5f);
    const auto muteInKey = drawnImageBounds(muteIn);
    const auto muteOutKey = drawnImageBounds(muteOut);
    const float muteGapLeft = (float)(muteInKey.x + muteInKey.width);
    paintLegend(g, "MUTE",
                {muteGapLeft, (float)muteInKey.y, (float)muteOutKey.x - muteGapLeft,
                 (float)muteInKey.height},
                legendHeight, juce::Justification::centred);
    return image;
}
} // namespace artgen
