#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Applies the stock size limits and aspect ratio to the content area inside the
// native window frame, not to the outer window. A move keeps the proposed
// position; a resize comes back centred on the previous window rectangle, so the
// panel grows and shrinks around its middle whichever edge is dragged.
class BorderBoundsConstrainer : public juce::ComponentBoundsConstrainer
{
  public:
    BorderBoundsConstrainer() = default;
    ~BorderBoundsConstrainer() override = default;

    void checkBounds(juce::Rectangle<int>& bounds, const juce::Rectangle<int>& previousBounds,
                     const juce::Rectangle<int>& limits, bool isStretchingTop,
                     bool isStretchingLeft, bool isStretchingBottom,
                     bool isStretchingRight) override;

    // Thickness of the native frame around the content, read once from the peer.
    juce::BorderSize<int> frameBorder;
    // Height kept off the top of the content before the stock rules apply.
    int extraTop = 0;
};

// Installs the constrainer on the main window with the panel's size rules:
// the frame as the window's peer reports it now, the panel's 320:290 ratio,
// and 219 x 198 up to 640 x 580.
void installMainWindowConstrainer(juce::ResizableWindow& window,
                                  BorderBoundsConstrainer& constrainer);
