#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A node of the routing matrix: an input, an output or a loop point that a
// connection path starts or ends at.
class TavrinLLButton : public juce::Button
{
  public:
    explicit TavrinLLButton(const juce::String& name);

    void paintButton(juce::Graphics& g, bool highlighted, bool down) override;

    bool selected = false;

  private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TavrinLLButton)
};
