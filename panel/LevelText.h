#pragma once

#include <juce_core/juce_core.h>

// Text shown in a fader group's value label: the level with the given number
// of significant figures, " dB", and blanks up to eight characters so the
// label's text does not jump sideways as the value changes.
juce::String levelText(double decibels, int significantFigures);

// Three significant figures from 10 dB upward (in magnitude), two below, so
// the label shows one decimal in both ranges.
int levelSignificantFigures(double decibels);

// The level text with the figures chosen by magnitude.
juce::String levelTextByMagnitude(double decibels);
