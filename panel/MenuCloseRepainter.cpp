#include "panel/MenuCloseRepainter.h"

MenuCloseRepainter::MenuCloseRepainter(juce::MenuBarModel& modelToWatch,
                                       juce::Component& windowToRepaint)
    : model(modelToWatch), window(windowToRepaint)
{
    model.addListener(this);
}

MenuCloseRepainter::~MenuCloseRepainter()
{
    model.removeListener(this);
}

void MenuCloseRepainter::menuBarActivated(juce::MenuBarModel*, bool isActive)
{
    // The menu's own window is gone by now: the bar closes after the menu did.
    if (!isActive)
        window.repaint();
}
