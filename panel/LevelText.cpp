#include "panel/LevelText.h"

#include <cmath>

juce::String levelText(double decibels, int significantFigures)
{
    return (juce::String::toDecimalStringWithSignificantFigures(decibels, significantFigures) +
            " dB")
        .paddedRight(' ', 7)
        .paddedRight(' ', 8);
}

int levelSignificantFigures(double decibels)
{
    return std::abs(decibels) >= 10.0 ? 3 : 2;
}

juce::String levelTextByMagnitude(double decibels)
{
    return levelText(decibels, levelSignificantFigures(decibels));
}
