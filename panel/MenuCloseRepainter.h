#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Repaints a window whenever its menu bar closes its menus. On X the notice of
// the area a closed menu uncovers can stay unread in the connection's queue
// until the next input arrives, so without this the menu's picture stays on
// the panel while the pointer is left still.
class MenuCloseRepainter : private juce::MenuBarModel::Listener
{
  public:
    MenuCloseRepainter(juce::MenuBarModel& model, juce::Component& window);
    ~MenuCloseRepainter() override;

  private:
    void menuBarItemsChanged(juce::MenuBarModel*) override {}
    void menuCommandInvoked(juce::MenuBarModel*,
                            const juce::ApplicationCommandTarget::InvocationInfo&) override
    {
    }
    void menuBarActivated(juce::MenuBarModel*, bool isActive) override;

    juce::MenuBarModel& model;
    juce::Component& window;

    JUCE_DECLARE_NON_COPYABLE(MenuCloseRepainter)
};
