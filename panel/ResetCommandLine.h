#pragma once

#include <juce_core/juce_core.h>

// Whether the command line asks for factory defaults and a forgotten window
// position: exactly "/default" or "/defaults" as the whole text, in any case.
bool isResetCommandLine(const juce::String& commandLine);
