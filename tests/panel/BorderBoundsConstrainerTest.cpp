#include "panel/TavrinBorderBoundsConstrainer.h"

#include <gtest/gtest.h>

namespace
{
using Rect = juce::Rectangle<int>;

enum Stretch : int
{
    none = 0,
    top = 1,
    left = 2,
    bottom = 4,
    right = 8
};

struct BoundsCase
{
    const char* name;
    juce::BorderSize<int> frame; // top, left, bottom, right
    int extraTop;
    Rect previous;
    Rect proposed;
    int stretch;
    Rect expected;
};

std::ostream& operator<<(std::ostream& out, const BoundsCase& c)
{
    return out << c.name;
}

class ConstrainedBounds : public testing::TestWithParam<BoundsCase>
{
};

TEST_P(ConstrainedBounds, ConstrainsTheContentAreaAndPlacesTheResult)
{
    const auto& c = GetParam();
    BorderBoundsConstrainer constrainer;
    constrainer.frameBorder = c.frame;
    constrainer.extraTop = c.extraTop;
    constrainer.setFixedAspectRatio(320.0 / 290.0);
    constrainer.setSizeLimits(219, 198, 640, 580);

    Rect bounds = c.proposed;
    constrainer.checkBounds(bounds, c.previous, Rect(0, 0, 1600, 1200), (c.stretch & top) != 0,
                            (c.stretch & left) != 0, (c.stretch & bottom) != 0,
                            (c.stretch & right) != 0);
    EXPECT_EQ(bounds, c.expected);
}

const juce::BorderSize<int> noFrame;
const juce::BorderSize<int> topFrame(22, 0, 0, 0);
const juce::BorderSize<int> fullFrame(22, 3, 3, 3);
const Rect home(100, 100, 320, 290);

// 416 x 377 is exactly at the ratio, so the rounding of the stock rules plays no part.
INSTANTIATE_TEST_SUITE_P(
    Cases, ConstrainedBounds,
    testing::Values(
        BoundsCase{
            "MoveKeepsPosition", noFrame, 0, home, {50, 60, 320, 290}, none, {50, 60, 320, 290}},
        BoundsCase{"MoveBringsSizeToRatio",
                   noFrame,
                   0,
                   home,
                   {50, 60, 500, 300},
                   none,
                   {50, 60, 500, 453}},
        BoundsCase{"MoveBringsSizeWithinLimits",
                   noFrame,
                   0,
                   home,
                   {-30, 2000, 900, 900},
                   none,
                   {-30, 2000, 640, 580}},
        BoundsCase{"MoveWithFrameMeasuresContent",
                   fullFrame,
                   0,
                   {0, 0, 326, 315},
                   {70, 80, 326, 315},
                   none,
                   {70, 80, 326, 315}},
        BoundsCase{"RightEdgeGrowsAroundCentre",
                   noFrame,
                   0,
                   home,
                   {100, 100, 416, 290},
                   right,
                   {52, 57, 416, 377}},
        BoundsCase{"LeftEdgeGrowsAroundCentre",
                   noFrame,
                   0,
                   home,
                   {4, 100, 416, 290},
                   left,
                   {52, 57, 416, 377}},
        BoundsCase{"BottomEdgeGrowsAroundCentre",
                   noFrame,
                   0,
                   home,
                   {100, 100, 320, 377},
                   bottom,
                   {52, 57, 416, 377}},
        BoundsCase{"TopEdgeGrowsAroundCentre",
                   noFrame,
                   0,
                   home,
                   {100, 13, 320, 377},
                   top,
                   {52, 57, 416, 377}},
        BoundsCase{"CornerGrowsAroundCentre",
                   noFrame,
                   0,
                   home,
                   {100, 100, 416, 300},
                   bottom | right,
                   {52, 57, 416, 377}},
        BoundsCase{"ResizeStopsAtMaximum",
                   noFrame,
                   0,
                   home,
                   {100, 100, 900, 290},
                   right,
                   {-60, -45, 640, 580}},
        BoundsCase{"ResizeStopsAtMinimum",
                   noFrame,
                   0,
                   home,
                   {100, 100, 100, 290},
                   right,
                   {151, 146, 219, 198}},
        BoundsCase{"ResizeLimitsApplyInsideFrame",
                   fullFrame,
                   0,
                   {100, 100, 326, 315},
                   {100, 100, 1000, 315},
                   right,
                   {-60, -45, 646, 605}},
        BoundsCase{"TopFrameMaximumFits",
                   topFrame,
                   0,
                   {0, 0, 640, 602},
                   {0, 0, 640, 602},
                   none,
                   {0, 0, 640, 602}},
        BoundsCase{"TopFrameOnePixelOverMove",
                   topFrame,
                   0,
                   {0, 0, 640, 602},
                   {0, 0, 641, 603},
                   none,
                   {0, 0, 640, 602}},
        BoundsCase{"TopFrameOnePixelOverResize",
                   topFrame,
                   0,
                   {0, 0, 640, 602},
                   {0, 0, 641, 603},
                   bottom | right,
                   {0, 0, 640, 602}},
        BoundsCase{"OddPreviousWidthHalvesDown",
                   noFrame,
                   0,
                   {100, 100, 321, 291},
                   {100, 100, 320, 290},
                   right,
                   {100, 100, 320, 290}},
        BoundsCase{"OddNewWidthHalvesDown",
                   noFrame,
                   0,
                   home,
                   {100, 100, 321, 290},
                   right,
                   {100, 100, 321, 291}},
        BoundsCase{
            "ExtraTopIsAddedBack", noFrame, 10, home, {0, 0, 320, 300}, none, {0, 0, 320, 300}}),
    [](const testing::TestParamInfo<BoundsCase>& info) { return std::string(info.param.name); });
} // namespace
