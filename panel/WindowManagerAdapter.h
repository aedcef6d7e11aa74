#pragma once

#include "panel/TavrinBorderBoundsConstrainer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <optional>

// What the window manager is told about the window's size: the constrainer's
// limits and ratio, which hold for the content, widened by the frame the
// constrainer takes off the window rectangle.
struct WindowSizeHints
{
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    int aspectWidth = 0, aspectHeight = 0; // 0 when no ratio is fixed
    int baseWidth = 0, baseHeight = 0;
};
WindowSizeHints sizeHintsFor(const BorderBoundsConstrainer& constrainer);

// Keeps a native window's life under a window manager within the window's own
// rules. The framework applies the constrainer only to its own resizer and on
// X writes size hints without the ratio (and rewrites them on its own), so
// this keeps the window's normal hints current and brings a size that arrives
// from outside back by the constrainer's rule.
class WindowManagerAdapter : private juce::ComponentListener, private juce::AsyncUpdater
{
  public:
    WindowManagerAdapter(juce::ResizableWindow& window, BorderBoundsConstrainer& constrainer);
    ~WindowManagerAdapter() override;

    // The frame the window manager will put around the window once it is mapped, asked
    // of it beforehand; none without a window manager that answers in time.
    std::optional<juce::BorderSize<int>> frameToCome();

  private:
    void componentMovedOrResized(juce::Component&, bool wasMoved, bool wasResized) override;
    void componentParentHierarchyChanged(juce::Component&) override;
    void componentVisibilityChanged(juce::Component&) override;
    void handleAsyncUpdate() override;

    void followPeer();
    void bringBackSize();

    juce::ResizableWindow& window;
    BorderBoundsConstrainer& constrainer;
    juce::Rectangle<int> accepted;
    std::optional<juce::Rectangle<int>> lastCorrected;

    class HintsWriter;
    std::unique_ptr<HintsWriter> hints;

    JUCE_DECLARE_NON_COPYABLE(WindowManagerAdapter)
};
