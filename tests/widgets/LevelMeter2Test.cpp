#include "WidgetTestSupport.h"
#include "support/TestNames.h"

#include "widgets/LevelMeter2.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct TargetCase
{
    int levelByte;
    int target;
};

class MeterTarget : public testing::TestWithParam<TargetCase>
{
};

TEST_P(MeterTarget, RisesToTheTargetInOneTick)
{
    LevelMeter2 meter;
    auto levelByte = (juce::int8)GetParam().levelByte;
    meter.levelSource = &levelByte;
    meter.timerCallback();
    EXPECT_EQ(meter.currentLevel, GetParam().target);
    meter.levelSource = nullptr;
}

INSTANTIATE_TEST_SUITE_P(
    LevelBytes, MeterTarget,
    testing::Values(TargetCase{0, 0}, TargetCase{1, 18}, TargetCase{2, 28}, TargetCase{3, 36},
                    TargetCase{4, 42}, TargetCase{5, 47}, TargetCase{10, 63}, TargetCase{16, 74},
                    TargetCase{32, 92}, TargetCase{48, 102}, TargetCase{64, 109},
                    TargetCase{80, 115}, TargetCase{96, 120}, TargetCase{112, 124},
                    TargetCase{118, 125}, TargetCase{119, 126}, TargetCase{123, 126},
                    TargetCase{127, 126}, TargetCase{-1, 0}, TargetCase{-128, 0}),
    [](const auto& info)
    { return k71test::testName({k71test::numberText(info.param.levelByte)}); });

TEST(LevelMeter, FallsByTwoAndByOneBelowThree)
{
    struct Case
    {
        juce::int64 start;
        int levelByte;
        std::vector<juce::int64> ticks;
    };
    // Byte 3 is target 36: a fall by 2 from 37 ends below it, and the next tick rises.
    for (const auto& c : {Case{5, 0, {3, 1, 0, 0}}, Case{2, 0, {1, 0}}, Case{37, 3, {35, 36, 36}},
                          Case{10, -5, {8, 6, 4, 2, 1, 0}}, Case{126, 127, {126}}})
    {
        LevelMeter2 meter;
        auto levelByte = (juce::int8)c.levelByte;
        meter.levelSource = &levelByte;
        meter.currentLevel = c.start;
        std::vector<juce::int64> seen;
        for (size_t i = 0; i < c.ticks.size(); ++i)
        {
            meter.timerCallback();
            seen.push_back(meter.currentLevel);
        }
        EXPECT_EQ(seen, c.ticks) << c.start << " with byte " << c.levelByte;
        meter.levelSource = nullptr;
    }
}

TEST(LevelMeter, StartsEmptyWithItsSixtyMillisecondTimer)
{
    LevelMeter2 meter;
    EXPECT_EQ(meter.getBounds(), juce::Rectangle<int>(0, 0, 110, 110));
    EXPECT_TRUE(meter.getName().isEmpty());
    EXPECT_EQ(meter.levelSource, nullptr);
    EXPECT_EQ(meter.currentLevel, 0);
    EXPECT_TRUE(meter.isTimerRunning());
    EXPECT_EQ(meter.getTimerInterval(), 60);
}

struct CountingMeter : LevelMeter2
{
    void paint(juce::Graphics& g) override
    {
        ++paints;
        LevelMeter2::paint(g);
    }
    int paints = 0;
};

TEST(LevelMeter, RepaintsOnEveryTickWithASourceAndNeverWithout)
{
    CountingMeter meter;
    meter.currentLevel = 5;
    widgettest::OnDesktop shown(meter, {100, 100});
    k71test::pumpUntil([&] { return meter.paints > 0; }, 2000);
    // Let the window's own first exposures pass before counting.
    for (int tries = 0; tries < 10 && meter.paints > 0; ++tries)
    {
        meter.paints = 0;
        k71test::pumpFor(150);
    }

    meter.paints = 0;
    k71test::pumpFor(400);
    EXPECT_EQ(meter.paints, 0);
    EXPECT_EQ(meter.currentLevel, 5);

    juce::int8 steady = 64;
    meter.levelSource = &steady;
    EXPECT_TRUE(k71test::pumpUntil([&] { return meter.paints >= 3; }, 2000))
        << "an unchanged level still repaints";
    EXPECT_EQ(meter.currentLevel, 109);
    meter.levelSource = nullptr;
}

bool isRed(juce::Colour c)
{
    return c.getRed() > 200 && c.getBlue() < 50 && c.getAlpha() > 200;
}

bool isBlue(juce::Colour c)
{
    return c.getBlue() > 200 && c.getRed() < 50 && c.getAlpha() > 200;
}

class MeterPictures : public testing::Test
{
  protected:
    MeterPictures()
    {
        meter.stopTimer();
        meter.onImage = widgettest::solidImage(10, 50, juce::Colours::red);
        meter.offImage = widgettest::solidImage(10, 50, juce::Colours::blue);
        meter.setSize(20, 110);
    }

    juce::Image shown(juce::int64 level)
    {
        meter.currentLevel = level;
        return meter.createComponentSnapshot(meter.getLocalBounds());
    }

    LevelMeter2 meter;
};

TEST_F(MeterPictures, LitPictureFromTheCutDown)
{
    struct Case
    {
        juce::int64 level;
        int cutY;
    };
    for (const auto& c : {Case{64, 55}, Case{126, 2}, Case{1, 110}, Case{0, 110}, Case{128, 0}})
    {
        const auto image = shown(c.level);
        SCOPED_TRACE(c.level);
        EXPECT_EQ(meter.cutY, c.cutY);
        for (int y = 1; y < 109; ++y)
            ASSERT_TRUE(y < c.cutY ? isBlue(image.getPixelAt(10, y))
                                   : isRed(image.getPixelAt(10, y)))
                << y;
    }
}

TEST_F(MeterPictures, WithoutALitPictureOnlyTheUnlitOneIsDrawn)
{
    meter.onImage = {};
    meter.setSize(20, 111);
    for (juce::int64 level : {0, 64, 126})
    {
        const auto image = shown(level);
        EXPECT_EQ(meter.cutY, 0);
        for (int y = 1; y < 110; ++y)
            ASSERT_TRUE(isBlue(image.getPixelAt(10, y))) << level << " at " << y;
    }

    meter.offImage = {};
    meter.setSize(20, 110);
    EXPECT_TRUE(widgettest::paintedArea(shown(64)).isEmpty());
}

TEST_F(MeterPictures, ResizeRescalesBothFromTheSources)
{
    // Top half green, bottom half red: scaling through a tiny size would blur them.
    meter.onImage = widgettest::solidImage(10, 50, juce::Colours::red);
    meter.onImage.clear({0, 0, 10, 25}, juce::Colours::lime);
    meter.setSize(20, 2);
    meter.setSize(30, 60);

    EXPECT_EQ(meter.scaledOnImage.getBounds(), juce::Rectangle<int>(0, 0, 30, 60));
    EXPECT_EQ(meter.scaledOffImage.getBounds(), juce::Rectangle<int>(0, 0, 30, 60));
    EXPECT_EQ(meter.scaledOnImage.getPixelAt(15, 10), juce::Colours::lime);
    shown(64);
    EXPECT_EQ(meter.cutY, 30);
}

TEST(LevelMeter, DeletesTheByteItStillPointsToAndNoOther)
{
    // A wrong delete fails the address sanitizer build, a missing one its leak check.
    auto* handedOver = new juce::int8(12);
    juce::int8 keptByOwner = 12;
    {
        LevelMeter2 meter;
        meter.levelSource = handedOver;
        meter.timerCallback();
        EXPECT_EQ(meter.currentLevel, 67);
    }
    {
        LevelMeter2 meter;
        meter.levelSource = &keptByOwner;
        meter.timerCallback();
        meter.levelSource = nullptr;
    }
    EXPECT_EQ(keptByOwner, 12);
}
} // namespace
