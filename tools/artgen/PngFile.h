#pragma once

#include <juce_graphics/juce_graphics.h>

#include <optional>

namespace artgen
{
// Writes the image as a PNG file, replacing any file of that name.
bool writePngFile(const juce::Image& image, const juce::File& file);

// The output folder named by a generator's one argument, created if need be;
// none, with the usage or the failure printed, otherwise.
std::optional<juce::File> outputFolderArgument(int argc, char* argv[]);
} // namespace artgen
