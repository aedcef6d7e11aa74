#pragma once

#include "panel/TavrinLLButton.h"
#include "panel/TavrinLLConnectionPath.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The routing (LoopLINE) dialog: nodes joined by connection paths, with four
// toggles. Only its clearing is used.
class LooplineDialog : public juce::Component
{
  public:
    LooplineDialog();
    ~LooplineDialog() override;

    // Switches the toggles off silently, deletes every connection path and
    // deselects every node, then repaints and lays the dialog out again.
    void clearLLConnections();

    juce::ToggleButton topLeftToggle;
    juce::ToggleButton topRightToggle;
    juce::ToggleButton bottomLeftToggle;
    juce::ToggleButton bottomRightToggle;
    juce::OwnedArray<TavrinLLConnectionPath> connectionPaths;
    juce::OwnedArray<TavrinLLButton> inputNodes;
    juce::OwnedArray<TavrinLLButton> outputNodes;
    juce::OwnedArray<TavrinLLButton> loopNodes;

  private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LooplineDialog)
};

// The pieces of the two matrix pictures that the dialog's buttons would show:
// the two top toggles, one node and the two wide bottom buttons.
juce::Array<juce::Image> cutLooplineArtworkPieces();
