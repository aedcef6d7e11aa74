#include "Painters.h"

namespace artgen
{
namespace
{
using namespace geometry;

constexpr int rowCount = 5;
constexpr int columnCount = 6;
constexpr float firstColumnX = 147.5f;
constexpr float columnStep = 58.0f;
constexpr float rowStep = 46.0f;

float rowY(int row)
{
    return (float)routingNode.y + (float)routingNode.height * 0.5f + rowStep * (float)row;
}

float columnX(int column)
{
    return firstColumnX + columnStep * (float)column;
}

const juce::Colour lit{0xfff2a52a};
const juce::Colour unlit{0xff4a5058};

void paintNode(juce::Graphics& g, juce::Point<float> centre, float radius, bool on)
{
    const auto ring = juce::Rectangle<float>(radius * 2, radius * 2).withCentre(centre);
    g.setColour(juce::Colour(0xff0c0d0f));
    g.fillEllipse(ring);
    if (on)
    {
        g.setGradientFill(juce::ColourGradient(juce::Colour(0xffffe2a0), centre.x - radius * 0.3f,
                                               centre.y - radius * 0.3f, lit.darker(0.3f),
                                               centre.x + radius, centre.y + radius, true));
        g.fillEllipse(ring.reduced(2.0f));
    }
    else
    {
        g.setColour(juce::Colour(0xff2a2e33));
        g.fillEllipse(ring.reduced(2.0f));
        g.setColour(juce::Colours::white.withAlpha(0.12f));
        g.drawEllipse(ring.reduced(2.5f), 0.8f);
    }
}
} // namespace

juce::Image paintRoutingMatrix(bool allOn)
{
    auto image = makeCanvas(524, 442);
    juce::Graphics g(image);
    const auto whole = juce::Rectangle<int>(0, 0, 524, 442);
    paintBrushedMetal(g, whole, colours::metal.darker(0.15f), 18);
    paintBevel(g, whole.toFloat(), 3.0f, true);

    paintLegend(g, "LOOPLINE ROUTING", {22.0f, 16.0f, 300.0f, 22.0f}, 17.0f,
                juce::Justification::centredLeft);
    paintLegend(g, "K71 VT", {400.0f, 16.0f, 100.0f, 22.0f}, 13.0f,
                juce::Justification::centredRight, colours::silkscreenDim);

    // Two destination groups, each switched as a whole by the key above it.
    const struct
    {
        const char* name;
        const Box* toggle;
        int firstColumn;
    } groups[] = {{"MAIN OUT", &routingToggleLeft, 0}, {"RECORD", &routingToggleRight, 3}};
    const char* columnNames[] = {"L", "R", "L+R"};
    for (const auto& group : groups)
    {
        const auto key = toFloat(*group.toggle);
        paintLegend(g, group.name, {key.getCentreX() - 50.0f, 56.0f, 100.0f, 12.0f}, 10.0f,
                    juce::Justification::centred);
        g.setColour(juce::Colours::black.withAlpha(0.45f));
        g.fillRoundedRectangle(key.expanded(2.0f), 4.0f);
        paintKey(g, key, "ON", allOn ? KeyLight::amber : KeyLight::off, 11.0f);

        const float left = columnX(group.firstColumn) - 14.0f;
        const float right = columnX(group.firstColumn + 2) + 14.0f;
        g.setColour(colours::rule);
        g.fillRect(left, 112.0f, right - left, 1.0f);
        g.fillRect(left, 112.0f, 1.0f, 4.0f);
        g.fillRect(right - 1.0f, 112.0f, 1.0f, 4.0f);
        for (int i = 0; i < 3; ++i)
            paintLegend(g, columnNames[i],
                        {columnX(group.firstColumn + i) - 20.0f, 120.0f, 40.0f, 12.0f}, 10.0f,
                        juce::Justification::centred, colours::silkscreenDim);
    }

    const char* rowNames[] = {"IN 1", "IN 2", "PLAY 1", "PLAY 2", "LOOP"};
    const float nodeX = (float)routingNode.x + (float)routingNode.width * 0.5f;
    const float nodeRadius = (float)routingNode.width * 0.5f;

    // Connection paths first, so the nodes sit on top of them.
    g.setColour(allOn ? lit.withAlpha(0.85f) : unlit);
    for (int row = 0; row < rowCount; ++row)
        g.fillRect(nodeX, rowY(row) - 1.0f, columnX(columnCount - 1) - nodeX, 2.0f);
    for (int column = 0; column < columnCount; ++column)
        g.fillRect(columnX(column) - 1.0f, 140.0f, 2.0f, rowY(rowCount - 1) - 140.0f);

    for (int row = 0; row < rowCount; ++row)
    {
        paintLegend(g, rowNames[row], {20.0f, rowY(row) - 7.0f, 72.0f, 14.0f}, 11.0f,
                    juce::Justification::centredRight);
        paintNode(g, {nodeX, rowY(row)}, nodeRadius, allOn);
        for (int column = 0; column < columnCount; ++column)
            paintNode(g, {columnX(column), rowY(row)}, 7.0f, allOn);
    }

    const char* wideNames[] = {"RESET", "DEFAULTS"};
    const Box* wide[] = {&routingWideLeft, &routingWideRight};
    for (int i = 0; i < 2; ++i)
    {
        const auto key = toFloat(*wide[i]);
        g.setColour(juce::Colours::black.withAlpha(0.45f));
        g.fillRoundedRectangle(key.expanded(2.0f), 4.0f);
        paintKey(g, key, wideNames[i], allOn ? KeyLight::amber : KeyLight::off, 12.0f);
    }
    return image;
}
} // namespace artgen
