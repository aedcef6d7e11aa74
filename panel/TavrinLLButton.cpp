#include "panel/TavrinLLButton.h"

TavrinLLButton::TavrinLLButton(const juce::String& name) : juce::Button(name) {}

void TavrinLLButton::paintButton(juce::Graphics& g, bool, bool)
{
    if (!selected)
        return;
    g.setColour(juce::Colours::orange);
    g.fillEllipse(getLocalBounds().toFloat().reduced(2.0f));
}
