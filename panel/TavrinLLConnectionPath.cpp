#include "panel/TavrinLLConnectionPath.h"

TavrinLLConnectionPath::TavrinLLConnectionPath(juce::Point<float> from, juce::Point<float> to)
{
    path.startNewSubPath(from);
    path.lineTo(to);
}

TavrinLLConnectionPath::~TavrinLLConnectionPath() = default;
