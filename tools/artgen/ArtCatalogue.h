#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

namespace artgen
{
// One embedded picture: its number, file name, pixel size and painter.
struct ArtEntry
{
    int number;
    const char* fileName;
    int width;
    int height;
    std::function<juce::Image()> paint;
};

// All 32 pictures, in number order (there is no 9 and no 20).
const std::vector<ArtEntry>& artCatalogue();
} // namespace artgen
