#pragma once

#include <juce_graphics/juce_graphics.h>

// The folder of the typeface the panel's text is drawn in, DejaVu Sans.
extern const char* const panelTypefaceFolder;

// The font folders JUCE is to scan: a user's own JUCE_FONT_PATH as it stands,
// else the panel's typeface folder when it holds DejaVu Sans, else none given
// (JUCE then scans every folder of the system's font configuration).
juce::String panelFontPath(const juce::String& userFontPath, const juce::File& typefaceFolder);

// Makes JUCE list the fonts of panelFontPath() instead of every font on the
// machine. Call it before any text is measured or drawn: JUCE reads its font
// folders once, on first use. Programs started later see the environment
// unchanged.
void findPanelTypeface();
