#include "widgets/PopupMenuLookAndFeel.h"

#include <cmath>

void PopupMenuLookandFeel::drawMenuBarBackground(juce::Graphics& g, int width, int height, bool,
                                                 juce::MenuBarComponent&)
{
    g.setColour(juce::Colours::lightgrey);
    g.fillRect(0, 0, width, height);
}

int PopupMenuLookandFeel::getMenuBarItemWidth(juce::MenuBarComponent& menuBar, int itemIndex,
                                              const juce::String& itemText)
{
    const auto font = getMenuBarFont(menuBar, itemIndex, itemText);
    return (int)std::ceil(font.getStringWidthFloat(itemText)) + 20;
}

void PopupMenuLookandFeel::drawMenuBarItem(juce::Graphics& g, int width, int height, int,
                                           const juce::String& itemText, bool, bool, bool,
                                           juce::MenuBarComponent&)
{
    // Every item alike: no highlight for the hovered or open one.
    g.setColour(juce::Colours::black);
    g.drawText(itemText, juce::Rectangle<float>(0.0f, 0.0f, (float)width, (float)height),
               juce::Justification::centred, false);
}
