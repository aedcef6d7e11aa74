#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Starts one command (program and arguments) without waiting for it to end;
// true when the program was found and started.
using CommandRunner = std::function<bool(const juce::StringArray& command)>;

// Opens the desktop's sound settings: the first of a short list of known
// programs that starts. The command that started, or empty when none did.
juce::String openAudioSettingsApplication();

// The programs tried, in order.
const juce::Array<juce::StringArray>& audioSettingsCommands();

// Replaces the runner (tests); an empty runner restores the default one.
void setCommandRunner(CommandRunner runner);

// The default runner: finds the program on PATH and starts it detached, in a
// session of its own and never waited for, so it outlives the panel.
bool startDetachedCommand(const juce::StringArray& command);
