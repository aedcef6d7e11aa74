#pragma once

#include "PanelGeometry.h"

#include <juce_graphics/juce_graphics.h>

// The one look every picture shares: dark anodised metal, light silkscreen
// legends, keys whose face lights up when on.
namespace artgen
{
namespace colours
{
const juce::Colour metal{0xff2c3036};
const juce::Colour metalDeep{0xff1c1f23};
const juce::Colour silkscreen{0xffe4e7ea};
const juce::Colour silkscreenDim{0xffa9b0b8};
const juce::Colour rule{0xff6d747d};
const juce::Colour slot{0xff08090a};
const juce::Colour display{0xffd7dfc9};
const juce::Colour keyFaceTop{0xff50565f};
const juce::Colour keyFaceBottom{0xff343940};
const juce::Colour keyLegend{0xffc8ced6};
const juce::Colour keyEdge{0xff0e1012};
} // namespace colours

// The colour a key's face glows in when it is on.
enum class KeyLight
{
    off,
    amber,
    red,
    green,
    violet
};

// DejaVu Sans from fonts-dejavu-core, loaded from its file so every machine
// renders the same glyphs.
juce::Font panelFont(float height, bool bold = true);

// A fresh transparent ARGB canvas in main memory.
juce::Image makeCanvas(int width, int height);

juce::Rectangle<float> toFloat(const geometry::Box& box);

// Brushed metal: fine horizontal grain over a base colour, the same on every run.
void paintBrushedMetal(juce::Graphics& g, juce::Rectangle<int> area, juce::Colour base, int seed);

// A plate's bevel: light upper-left edge, dark lower-right edge.
void paintBevel(juce::Graphics& g, juce::Rectangle<float> area, float cornerSize, bool raised);

// A countersunk screw head with a slot at the given angle (radians).
void paintScrew(juce::Graphics& g, juce::Point<float> centre, float radius, float angle);

// Silkscreen text, fitted on one line into the area if it is too wide.
void paintLegend(juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area,
                 float height, juce::Justification justification,
                 juce::Colour colour = colours::silkscreen);

// Small silkscreen text that has to survive the panel's smallest size: the
// baseline and every character's left edge on whole pixels, and extra space
// between characters (given up before the text is squeezed to fit). Returns
// where the text runs across.
juce::Range<float> paintGridLegend(juce::Graphics& g, const juce::String& text,
                                   juce::Rectangle<float> area, float height,
                                   juce::Justification justification, float tracking,
                                   juce::Colour colour = colours::silkscreen);

// A rounded push key filling the area, lit or not, with its legend.
void paintKey(juce::Graphics& g, juce::Rectangle<float> area, const juce::String& text,
              KeyLight light, float textHeight);

// Text width of one line at a font, for fitting.
float textWidth(const juce::Font& font, const juce::String& text);
} // namespace artgen
