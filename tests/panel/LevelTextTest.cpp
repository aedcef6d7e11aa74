#include "panel/LevelText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct LevelCase
{
    double value;
    int figures; // 0: chosen by magnitude
    const char* text;
};

const LevelCase levelCases[] = {
    {0.0, 0, "0.0 dB  "},   {12.0, 0, "12.0 dB "},   {11.75, 0, "11.8 dB "},
    {-40.0, 0, "-40.0 dB"}, {-12.25, 0, "-12.3 dB"}, {-10.0, 0, "-10.00 dB"},
    {-9.75, 0, "-9.8 dB "}, {-5.75, 0, "-5.8 dB "},  {-1.0, 0, "-1.00 dB"},
    {-0.25, 0, "-0.25 dB"}, {-12.25, 2, "-12 dB  "}, {-55.0, 2, "-55 dB  "},
    {-10.0, 2, "-10.0 dB"},
};
} // namespace

TEST(LevelText, EveryRowOfTheTable)
{
    for (const auto& row : levelCases)
    {
        SCOPED_TRACE(juce::String(row.value) + " / " + juce::String(row.figures));
        const auto text =
            row.figures == 0 ? levelTextByMagnitude(row.value) : levelText(row.value, row.figures);
        EXPECT_EQ(text, juce::String(row.text));
    }
}

TEST(LevelText, MagnitudeRuleSwitchesAtTenAndTreatsNanAsSmall)
{
    EXPECT_EQ(levelSignificantFigures(9.99), 2);
    EXPECT_EQ(levelSignificantFigures(10.0), 3);
    EXPECT_EQ(levelSignificantFigures(-10.0), 3);
    EXPECT_EQ(levelSignificantFigures(std::nan("")), 2);
}
