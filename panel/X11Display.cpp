#include "panel/X11Display.h"

// The framework's window system class is declared only with the X headers.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdlib>

_XDisplay* frameworkDisplay()
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
}

std::string displayFrameworkTries()
{
    // JUCE 7.0.5's own rule when it opens its display.
    const char* named = std::getenv("DISPLAY");
    return named != nullptr && *named != '\0' ? named : ":0.0";
}
