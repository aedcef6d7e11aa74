#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace artgen
{
// The program's icon for the desktop's menus and docks: a small plate of the
// panel's metal with its two fader slots and a lit key, drawn afresh at each
// size so small ones stay crisp.
juce::Image paintAppIcon(int size);

// The square sizes installed under the desktop's icon theme.
const std::vector<int>& appIconSizes();
} // namespace artgen
