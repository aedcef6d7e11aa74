#include "FaderGroupFixture.h"
#include "WidgetTestSupport.h"

#include "resources/BinaryData.h"

#include <gtest/gtest.h>

using widgettest::Direction;
using widgettest::FaderGroup;

namespace
{
struct ScaleCase
{
    const char* name;
    double sx, sy;
    juce::Rectangle<int> left, right;
    int thumbWidth, thumbHeight;
    juce::Rectangle<int> inputBounds, outputBounds;
    juce::Rectangle<int> zone;
    int inputTrackLength; // fader height less the thumb radius at each end
};

class FaderGroupScaling : public testing::TestWithParam<ScaleCase>
{
};

TEST_P(FaderGroupScaling, PlacesFadersThumbsAndLinkZone)
{
    const auto& expected = GetParam();
    FaderGroup input(Direction::input, expected.sx, expected.sy);
    FaderGroup output(Direction::output, expected.sx, expected.sy);

    EXPECT_EQ(input.group.getBounds(), expected.inputBounds);
    EXPECT_EQ(output.group.getBounds(), expected.outputBounds);
    for (auto* faders : {&input, &output})
    {
        EXPECT_EQ(faders->group.leftSlider.getBounds(), expected.left);
        EXPECT_EQ(faders->group.rightSlider.getBounds(), expected.right);
        EXPECT_EQ(faders->group.getLinkZone(), expected.zone);
        for (auto* thumb :
             {&faders->look.currentThumb, &faders->look.normalThumb, &faders->look.linkedThumb})
        {
            EXPECT_EQ(thumb->getWidth(), expected.thumbWidth);
            EXPECT_EQ(thumb->getHeight(), expected.thumbHeight);
        }
    }

    // Fader rectangles are kept as x, y, height, width.
    const auto& left = expected.left;
    const std::array<int, 4> leftFields{left.getX(), left.getY(), left.getHeight(),
                                        left.getWidth()};
    EXPECT_EQ(input.group.leftSliderBounds, leftFields);

    // One linked step moves by the pixels of half a dB along the track; the
    // output range ends at 0 dB, so +0.5 dB lies beyond it and the step is 0.
    EXPECT_NEAR(input.group.getLinkedStep(), expected.inputTrackLength * 0.5 / 52.0, 1e-4);
    EXPECT_EQ(output.group.getLinkedStep(), 0.0);
}

// At 0.5 the rounding meets 8.5, 9.5, 32.5 and 97.5, which go to the even neighbour.
// The last row scales x and y apart, as the panel does at its largest size
// (640 wide, 556 high below the menu bar).
INSTANTIATE_TEST_SUITE_P(DesignSizes, FaderGroupScaling,
                         testing::Values(ScaleCase{"Design",
                                                   1.0,
                                                   1.0,
                                                   {0, 7, 17, 162},
                                                   {17, 7, 17, 162},
                                                   15,
                                                   19,
                                                   {102, 58, 65, 195},
                                                   {192, 58, 65, 195},
                                                   {8, 7, 17, 162},
                                                   162 - 2 * 9},
                                         ScaleCase{"Double",
                                                   2.0,
                                                   2.0,
                                                   {0, 14, 34, 324},
                                                   {34, 14, 34, 324},
                                                   30,
                                                   38,
                                                   {204, 116, 130, 390},
                                                   {384, 116, 130, 390},
                                                   {17, 14, 34, 324},
                                                   324 - 2 * 19},
                                         ScaleCase{"Half",
                                                   0.5,
                                                   0.5,
                                                   {0, 4, 8, 81},
                                                   {8, 4, 8, 81},
                                                   8,
                                                   10,
                                                   {51, 29, 32, 98},
                                                   {96, 29, 32, 98},
                                                   {4, 4, 8, 81},
                                                   81 - 2 * 5},
                                         ScaleCase{"LargestWindow",
                                                   1.6,
                                                   556.0 / 300.0,
                                                   {0, 13, 27, 300},
                                                   {27, 13, 27, 300},
                                                   24,
                                                   35,
                                                   {163, 107, 104, 361},
                                                   {307, 107, 104, 361},
                                                   {13, 13, 27, 300},
                                                   300 - 2 * 17}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FaderGroupLayout, FadersStayAdjacentWithTheZoneOverThemAtAnyScale)
{
    for (double sx = 0.55; sx < 3.0; sx += 0.07)
        for (double sy : {0.6, 0.93, 1.37, 2.41})
        {
            FaderGroup input(Direction::input, sx, sy);
            const auto left = input.group.leftSlider.getBounds();
            const auto right = input.group.rightSlider.getBounds();
            SCOPED_TRACE(juce::String(sx) + " x " + juce::String(sy));
            EXPECT_EQ(right.getX(), left.getRight());
            EXPECT_EQ(right.getY(), left.getY());
            EXPECT_EQ(right.getHeight(), left.getHeight());
            const auto zone = input.group.getLinkZone();
            EXPECT_FALSE(zone.isEmpty());
            EXPECT_TRUE(left.getUnion(right).contains(zone));
        }
}

TEST(FaderGroupLayout, ScaleWithZeroFaderHeightKeepsFadersAndThumbs)
{
    FaderGroup input(Direction::input);
    const auto thumbData = input.look.currentThumb.getPixelData();

    const auto bounds = input.group.getNewPos(1.0, 0.001);

    EXPECT_EQ(bounds, juce::Rectangle<int>(102, 0, 65, 0));
    EXPECT_EQ(input.group.leftSliderBounds, (std::array<int, 4>{0, 7, 162, 17}));
    EXPECT_EQ(input.group.rightSliderBounds, (std::array<int, 4>{17, 7, 162, 17}));
    EXPECT_EQ(input.look.currentThumb.getPixelData(), thumbData);
    EXPECT_EQ(input.look.linkedThumb.getHeight(), 19);
}

TEST(FaderGroupLayout, MenuOffsetMovesTheGroupDown)
{
    FaderGroup input(Direction::input);
    input.group.menuOffset = 24;
    EXPECT_EQ(input.group.getNewPos(2.0, 2.0), juce::Rectangle<int>(204, 140, 130, 390));
}

TEST(FaderGroupLayout, BeforeTheFirstScaleTheTrackIsTheWholeFaderHeight)
{
    TavrinSliderLookAndFeel look;
    look.setImagPathAndSize(nullptr, 0, nullptr, 0, 0, 0);
    SliderStereoGroup group("sliderGroupIn", 0);
    group.leftSliderBounds = {0, 7, 162, 17};
    group.rightSliderBounds = {17, 7, 162, 17};
    group.configSliders({-40.0, 12.0}, 0.0, 0.0, 0.0, look, {}, {});
    group.setBounds(0, 0, 65, 195);

    EXPECT_FALSE(look.currentThumb.isValid());
    EXPECT_EQ(look.getSliderThumbRadius(group.leftSlider), 0);
    EXPECT_NEAR(group.getLinkedStep(), 162 * 0.5 / 52.0, 1e-4);
    group.removeLookAndFeel();
}

class LinkedThumbMark : public testing::Test
{
  protected:
    void SetUp() override
    {
        // A plain source shows the mark: an opaque blue cap at the design size.
        input.look.linkedThumbSource = widgettest::solidImage(15, 19, juce::Colours::blue);
    }

    FaderGroup input{Direction::input};
};

TEST_F(LinkedThumbMark, RedCentreLineOnTheScaledLinkedThumbOnly)
{
    input.group.getNewPos(2.0, 2.0);
    const auto& linked = input.look.linkedThumb;
    ASSERT_EQ(linked.getBounds(), juce::Rectangle<int>(0, 0, 30, 38));

    // The half-pixel line straddles the boundary between rows 18 and 19.
    for (int row : {18, 19})
    {
        const auto marked = linked.getPixelAt(15, row);
        EXPECT_GT(marked.getRed(), 40) << row;
        EXPECT_LT(marked.getBlue(), 240) << row;
    }
    EXPECT_EQ(linked.getPixelAt(15, 10), juce::Colours::blue);
    EXPECT_EQ(linked.getPixelAt(0, 19), juce::Colours::blue) << "line starts one pixel in";
    EXPECT_EQ(input.look.linkedThumbSource.getPixelAt(7, 9), juce::Colours::blue);
}

TEST_F(LinkedThumbMark, MarkingAtDesignSizeLeavesTheSourceAlone)
{
    // At scale 1 the scaled image is the source itself until it is written.
    input.group.getNewPos(1.0, 1.0);
    input.group.getNewPos(1.0, 1.0);

    EXPECT_GT(input.look.linkedThumb.getPixelAt(7, 9).getRed(), 40);
    EXPECT_EQ(input.look.linkedThumbSource.getPixelAt(7, 9), juce::Colours::blue);
}

TEST(FaderGroupLayout, MarkingAtDesignSizeLeavesTheCachedArtworkAlone)
{
    const auto pristine = juce::ImageFileFormat::loadFrom(
        DEDEVUZIZ::temp_binary_data_31, (size_t)DEDEVUZIZ::temp_binary_data_31Size);
    ASSERT_TRUE(pristine.isValid());
    {
        FaderGroup input(Direction::input);
        FaderGroup output(Direction::output);
        input.group.getNewPos(1.0, 1.0);
    }
    const auto cached = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_31,
                                                        DEDEVUZIZ::temp_binary_data_31Size);
    for (int y = 0; y < pristine.getHeight(); ++y)
        for (int x = 0; x < pristine.getWidth(); ++x)
            ASSERT_EQ(cached.getPixelAt(x, y), pristine.getPixelAt(x, y)) << x << "," << y;
}

float brightness(juce::Colour colour)
{
    return colour.getPerceivedBrightness() * 255.0f;
}

// At the design size a thumb resting on a printed level has its centre mark
// on that level's tick: one whole row, lit, with unlit rows above and below.
TEST(FaderGroupLayout, ThumbMarkLandsOnTheScaleTicks)
{
    const auto background = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_23,
                                                            DEDEVUZIZ::temp_binary_data_23Size);
    const auto thumb = juce::ImageCache::getFromMemory(DEDEVUZIZ::temp_binary_data_30,
                                                       DEDEVUZIZ::temp_binary_data_30Size);
    ASSERT_TRUE(background.isValid() && thumb.isValid());
    // The darkest row inside the cap's outline.
    int markRow = 2;
    for (int y = 2; y < thumb.getHeight() - 2; ++y)
        if (brightness(thumb.getPixelAt(7, y)) < brightness(thumb.getPixelAt(7, markRow)))
            markRow = y;

    struct Scale
    {
        Direction direction;
        int tickColumn; // just left of the group's left fader
        std::vector<double> levels;
    };
    for (const auto& scale : {Scale{Direction::input, 99, {12, 6, 0, -6, -12, -20, -30, -40}},
                              Scale{Direction::output, 189, {0, -5, -10, -20, -30, -40, -55}}})
    {
        FaderGroup faders(scale.direction);
        const auto& fader = faders.group.leftSlider;
        for (double level : scale.levels)
        {
            const int top = (int)(fader.getPositionOfValue(level) - 9.0f);
            const int row = faders.group.getY() + fader.getY() + top + markRow;
            SCOPED_TRACE(juce::String(level) + " dB on row " + juce::String(row));
            EXPECT_GT(brightness(background.getPixelAt(scale.tickColumn, row)), 200.0f);
            for (int beside : {row - 1, row + 1})
                EXPECT_LT(brightness(background.getPixelAt(scale.tickColumn, beside)), 100.0f);
        }
    }
}

TEST_F(LinkedThumbMark, NoMarkWhenSwitchedOff)
{
    input.look.markLinked = false;
    input.group.getNewPos(2.0, 2.0);
    const auto& linked = input.look.linkedThumb;
    for (int row : {18, 19})
        EXPECT_EQ(linked.getPixelAt(15, row), linked.getPixelAt(15, 10)) << row;
}
} // namespace

namespace
{
TEST(FaderGroupLayout, ConfigureGivesBothFadersTheSameSetup)
{
    FaderGroup output(Direction::output);
    for (auto* fader : {&output.group.leftSlider, &output.group.rightSlider})
    {
        SCOPED_TRACE(fader->getName());
        EXPECT_EQ(fader->getSliderStyle(), juce::Slider::LinearVertical);
        EXPECT_EQ(fader->getRange(), juce::Range<double>(-55.0, 0.0));
        EXPECT_EQ(fader->getInterval(), 0.25);
        EXPECT_EQ(fader->getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_EQ(fader->getValue(), 0.0);
        EXPECT_EQ(&fader->getLookAndFeel(), &output.look);
        EXPECT_EQ(fader->findColour(juce::Slider::backgroundColourId), juce::Colour(0x00969798));
        EXPECT_EQ(fader->findColour(juce::Slider::trackColourId), juce::Colour(0x0016181a));
        EXPECT_TRUE(fader->isScrollWheelEnabled());
        EXPECT_FALSE(fader->getSliderSnapsToMousePosition());
        EXPECT_TRUE(fader->isVisible());
        EXPECT_EQ(fader->getParentComponent(), &output.group);
    }
    EXPECT_EQ(output.group.leftSlider.getName(), "Left");
    EXPECT_EQ(output.group.rightSlider.getName(), "Right");
    EXPECT_EQ(output.group.getName(), "sliderGroupOut");
    EXPECT_TRUE(output.group.isTimerRunning());
    EXPECT_EQ(output.group.getTimerInterval(), 200);
}
} // namespace
