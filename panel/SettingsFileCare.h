#pragma once

#include <juce_core/juce_core.h>

// Care of the settings file before the framework first reads it, so that a
// damaged, oversized or unwritable file costs the user nothing silently:
// - leftover "<name>_temp<hex><ext>" files of interrupted saves are removed;
// - a file the framework could not read, or one far larger than this program
//   ever writes, is renamed aside ("<file>.unreadable-1" or
//   "<file>.too-large-1", those kept before moved one number up) so the next
//   save cannot overwrite it, and the panel starts with factory switches;
// - a location where the file cannot be written is named.
// Each finding is said once on stderr.
void prepareSettingsFile(const juce::File& settingsFile);

// Files beyond these are not handed to the framework: its load time grows
// with the square of the number of entries (seconds for ten thousand on a
// busy machine), and the panel's own file holds a handful in a few hundred
// bytes.
constexpr juce::int64 largestReadableSettingsFile = 1024 * 1024;
constexpr int mostReadableSettingsEntries = 1000;

// How many renamed files of each kind are kept.
constexpr int keptAsideSettingsFiles = 3;
