#include "panel/WindowManagerAdapter.h"

#include <gtest/gtest.h>

namespace
{
struct HintsCase
{
    juce::BorderSize<int> frame; // top, left, bottom, right
    int extraTop;
    double ratio;
    WindowSizeHints expected;
};

TEST(WindowSizeHints, AreTheContentRulesWidenedByTheFrameTheConstrainerTakesOff)
{
    for (const auto& c : {
             // min w, min h, max w, max h, aspect w:h, base w, base h
             HintsCase{{}, 0, 320.0 / 290.0, {219, 198, 640, 580, 32, 29, 0, 0}},
             HintsCase{{20, 1, 5, 1}, 0, 320.0 / 290.0, {221, 223, 642, 605, 32, 29, 2, 25}},
             HintsCase{{}, 10, 320.0 / 290.0, {219, 208, 640, 590, 32, 29, 0, 10}},
             HintsCase{{}, 0, 0.0, {219, 198, 640, 580, 0, 0, 0, 0}},
         })
    {
        BorderBoundsConstrainer constrainer;
        constrainer.frameBorder = c.frame;
        constrainer.extraTop = c.extraTop;
        constrainer.setFixedAspectRatio(c.ratio);
        constrainer.setSizeLimits(219, 198, 640, 580);
        const auto hints = sizeHintsFor(constrainer);
        const auto& e = c.expected;
        const std::vector<int> got{hints.minWidth,  hints.minHeight,   hints.maxWidth,
                                   hints.maxHeight, hints.aspectWidth, hints.aspectHeight,
                                   hints.baseWidth, hints.baseHeight};
        const std::vector<int> wanted{e.minWidth,    e.minHeight,    e.maxWidth,  e.maxHeight,
                                      e.aspectWidth, e.aspectHeight, e.baseWidth, e.baseHeight};
        EXPECT_EQ(got, wanted) << "frame " << c.frame.getTop() << " extra " << c.extraTop
                               << " ratio " << c.ratio;
    }
}
} // namespace
