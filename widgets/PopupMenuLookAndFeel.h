#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// An in-window menu bar in light grey with black, centred item names.
class PopupMenuLookandFeel : public juce::LookAndFeel_V4
{
  public:
    PopupMenuLookandFeel() = default;
    ~PopupMenuLookandFeel() override = default;

    void drawMenuBarBackground(juce::Graphics& g, int width, int height, bool isMouseOverBar,
                               juce::MenuBarComponent& menuBar) override;
    int getMenuBarItemWidth(juce::MenuBarComponent& menuBar, int itemIndex,
                            const juce::String& itemText) override;
    void drawMenuBarItem(juce::Graphics& g, int width, int height, int itemIndex,
                         const juce::String& itemText, bool isMouseOverItem, bool isMenuOpen,
                         bool isMouseOverBar, juce::MenuBarComponent& menuBar) override;

  private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PopupMenuLookandFeel)
};
