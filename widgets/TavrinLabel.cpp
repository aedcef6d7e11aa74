#include "widgets/TavrinLabel.h"

namespace
{
constexpr int largestHeight = 20;
}

TavrindBLabelLookAndFeel::TavrindBLabelLookAndFeel() : referenceText("-63.5 dB")
{
    referenceFont.setHeight(8.0f);
}

juce::Font TavrindBLabelLookAndFeel::getLabelFont(juce::Label& label)
{
    // A framework thread asked to exit while it waits gives up the lock.
    const juce::MessageManagerLock lock(juce::Thread::getCurrentThread());
    if (!lock.lockWasGained())
        return juce::Font(lastFittedHeight.load(), juce::Font::plain);

    const auto limit = (float)label.getWidth();
    int height = largestHeight;
    referenceFont.setHeight((float)height);
    while (referenceFont.getStringWidthFloat(referenceText) > limit && height > 0)
    {
        --height;
        referenceFont.setHeight((float)height);
    }

    const juce::Font fitted((float)height, juce::Font::plain);
    lastFittedHeight.store(fitted.getHeight());
    return fitted;
}
