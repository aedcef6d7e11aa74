#pragma once

#include "ArtStyle.h"

// One painter per kind of picture; each returns a finished image of its size.
namespace artgen
{
juce::Image paintPanelBackground();
juce::Image paintButtonImage(int width, int height, const juce::String& text, KeyLight light);
juce::Image paintThumb(bool linked);
juce::Image paintAboutPicture();
juce::Image paintAboutClose(bool highlighted);
juce::Image paintRoutingMatrix(bool allOn);
} // namespace artgen
