#include "Painters.h"

namespace artgen
{
juce::Image paintButtonImage(int width, int height, const juce::String& text, KeyLight light)
{
    auto image = makeCanvas(width, height);
    juce::Graphics g(image);
    // Short keys (link, mute) get a smaller legend; the mute key is also drawn
    // larger than its image, so its legend is kept down to match the others.
    const float textHeight = height >= 20 ? 12.0f : (float)height * 0.5f;
    paintKey(g, juce::Rectangle<float>(0.0f, 0.0f, (float)width, (float)height), text, light,
             textHeight);
    return image;
}

juce::Image paintAboutClose(bool highlighted)
{
    return paintButtonImage(48, 17, "CLOSE", highlighted ? KeyLight::amber : KeyLight::off);
}
} // namespace artgen
