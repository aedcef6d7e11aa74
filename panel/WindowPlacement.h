#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

// Where a window stored on a monitor that is gone comes back. Rectangles here are
// whole windows, frame included, in the desktop's logical pixels.
struct DisplayArea
{
    juce::Rectangle<int> total; // the whole display
    juce::Rectangle<int> user;  // less the desktop's panels and docks
};

// The desktop's displays as the framework knows them now.
std::vector<DisplayArea> currentDisplayAreas();

// A window lies on the displays when every pixel of it is on one display or another
// (their whole areas, so a window across two adjacent screens or under a panel is one
// the user put there).
bool liesOnDisplays(juce::Rectangle<int> window, const std::vector<DisplayArea>& displays);

// The window moved wholly onto the user area of the display nearest to it: the one it
// overlaps most, else the one whose user area is closest to its centre. Its size stays;
// one larger than that area has its top-left corner at the area's.
juce::Rectangle<int> placedOnNearestDisplay(juce::Rectangle<int> window,
                                            const std::vector<DisplayArea>& displays);
