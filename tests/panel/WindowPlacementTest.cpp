// Where a stored window comes back when its monitor is gone.
#include "panel/WindowPlacement.h"

#include <gtest/gtest.h>

namespace
{
using Box = juce::Rectangle<int>;

// One 1280 x 1024 screen with a 24 pixel panel at its bottom, and a second one of
// 1024 x 768 to its right.
const std::vector<DisplayArea> one{{{0, 0, 1280, 1024}, {0, 0, 1280, 1000}}};
const std::vector<DisplayArea> two{{{0, 0, 1280, 1024}, {0, 0, 1280, 1000}},
                                   {{1280, 0, 1024, 768}, {1280, 0, 1024, 768}}};

TEST(WindowPlacement, AWindowOnTheDisplaysStaysAndOneOffThemComesWhollyOnTheNearest)
{
    struct Case
    {
        const char* what;
        const std::vector<DisplayArea>& displays;
        Box window;
        bool lies;
        Box placed; // where it goes when it does not lie on the displays
    };
    const Case cases[] = {
        {"inside", one, {100, 100, 322, 315}, true, {}},
        {"at the far corner, over the panel", one, {958, 709, 322, 315}, true, {}},
        {"across two screens", two, {1100, 100, 322, 315}, true, {}},
        {"one pixel off the right", one, {959, 100, 322, 315}, false, {958, 100, 322, 315}},
        {"off below the second screen's bottom",
         two,
         {1300, 700, 322, 315},
         false,
         {1300, 453, 322, 315}},
        {"far off below and right", one, {3000, 2500, 322, 315}, false, {958, 685, 322, 315}},
        {"far off above and left", one, {-900, -700, 322, 315}, false, {0, 0, 322, 315}},
        {"partly off above", one, {400, -100, 322, 315}, false, {400, 0, 322, 315}},
        {"off to the right of both: the second is nearer",
         two,
         {2600, 300, 322, 315},
         false,
         {1982, 300, 322, 315}},
        {"mostly over the first", two, {1100, 900, 322, 315}, false, {958, 685, 322, 315}},
        {"larger than the user area", one, {-50, -50, 1400, 1100}, false, {0, 0, 1400, 1100}},
    };
    for (const auto& row : cases)
    {
        EXPECT_EQ(liesOnDisplays(row.window, row.displays), row.lies) << row.what;
        if (!row.lies)
        {
            EXPECT_EQ(placedOnNearestDisplay(row.window, row.displays).toString(),
                      row.placed.toString())
                << row.what;
        }
    }
}
} // namespace
