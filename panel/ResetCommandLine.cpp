#include "panel/ResetCommandLine.h"

bool isResetCommandLine(const juce::String& commandLine)
{
    return commandLine.equalsIgnoreCase("/default") || commandLine.equalsIgnoreCase("/defaults");
}
