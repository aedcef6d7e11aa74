#include "widgets/LevelMeter2.h"

#include <algorithm>
#include <cmath>

namespace
{
// Level target in 1/128 steps of the meter height: logarithmic, and never
// above 126 however loud the byte.
int targetForLevelByte(juce::int8 levelByte)
{
    if (levelByte <= 0)
        return 0;
    const int steps = std::min((int)levelByte, 123) + 1;
    return (int)(std::log((float)steps) * 26.33745f);
}
} // namespace

LevelMeter2::LevelMeter2()
{
    setSize(110, 110);
    startTimer(60);
}

LevelMeter2::~LevelMeter2()
{
    delete levelSource;
}

void LevelMeter2::timerCallback()
{
    if (levelSource == nullptr)
        return;

    const juce::int64 target = targetForLevelByte(*levelSource);
    if (target >= currentLevel)
        currentLevel = target;
    else
        currentLevel -= currentLevel < 3 ? 1 : 2;

    repaint();
}

void LevelMeter2::resized()
{
    const auto scaled = [this](const juce::Image& source)
    {
        if (!source.isValid() || getWidth() <= 0 || getHeight() <= 0)
            return juce::Image();
        return source.rescaled(getWidth(), getHeight(), juce::Graphics::highResamplingQuality);
    };
    scaledOnImage = scaled(onImage);
    scaledOffImage = scaled(offImage);
}

void LevelMeter2::paint(juce::Graphics& g)
{
    const int height = scaledOnImage.isValid() ? scaledOnImage.getHeight() : 0;
    cutY = height - (int)currentLevel * height / 128;

    if (scaledOffImage.isValid())
        g.drawImageAt(scaledOffImage, 0, 0);

    if (scaledOnImage.isValid())
    {
        const juce::Rectangle<int> lit(0, cutY, scaledOnImage.getWidth(), height - cutY);
        if (g.clipRegionIntersects(lit))
            g.drawImageAt(scaledOnImage.getClippedImage(lit), 0, cutY);
    }
}
