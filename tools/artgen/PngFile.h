#pragma once

#include <juce_graphics/juce_graphics.h>

namespace artgen
{
// Writes the image as a PNG file, replacing any file of that name.
bool writePngFile(const juce::Image& image, const juce::File& file);
} // namespace artgen
