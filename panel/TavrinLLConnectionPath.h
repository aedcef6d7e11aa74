#pragma once

#include <juce_graphics/juce_graphics.h>

// A drawn connection between two routing nodes. Held by the routing dialog in
// an owned array; virtual so the dialog deletes any kind of path it holds.
class TavrinLLConnectionPath
{
  public:
    TavrinLLConnectionPath(juce::Point<float> from, juce::Point<float> to);
    virtual ~TavrinLLConnectionPath();

    const juce::Path& getPath() const { return path; }

  private:
    juce::Path path;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TavrinLLConnectionPath)
};
