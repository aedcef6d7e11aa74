#pragma once

#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>

// Care of the settings file before the framework first reads it, so that a
// damaged, oversized or unwritable file costs the user nothing silently:
// - leftover "<name>_temp<hex><ext>" files of interrupted saves are removed;
// - a file the framework could not read, or one far larger than this program
//   ever writes, is renamed aside ("<file>.unreadable-1" or
//   "<file>.too-large-1", those kept before moved one number up) so the next
//   save cannot overwrite it, and the panel starts with factory switches;
// - a location where the file cannot be written is named.
// Each finding is said once on stderr. False when the location was said to
// be unwritable.
bool prepareSettingsFile(const juce::File& settingsFile);

// The saves of the settings file, said when they fail: once on stderr, naming
// the file, until a save of it succeeds again. A failed save keeps the values
// in memory, still to be written, and the next save tries again; the file on
// disk stays as it was (the framework writes a temporary file and moves it
// into place). The framework's own save after each change (JUCE 7.0.5:
// PropertiesFile::timerCallback) drops its result, so this one follows every
// change with a save of its own on the same delay.
class SettingsSaver : private juce::ChangeListener, private juce::Timer
{
  public:
    SettingsSaver() = default;
    ~SettingsSaver() override;

    // Follows the changes of the user settings until destroyed; the
    // properties outlive this. failureSaid: the location was already said to
    // be unwritable.
    void watch(juce::ApplicationProperties& properties, bool failureSaid);
    // Writes what is not written yet; false when that failed.
    bool saveNow();

  private:
    void changeListenerCallback(juce::ChangeBroadcaster*) override;
    void timerCallback() override;

    juce::PropertiesFile* watched = nullptr;
    int delayMs = -1;
    bool failureSaid = false;

    JUCE_DECLARE_NON_COPYABLE(SettingsSaver)
};

// Files beyond these are not handed to the framework: its load time grows
// with the square of the number of entries (seconds for ten thousand on a
// busy machine), and the panel's own file holds a handful in a few hundred
// bytes.
constexpr juce::int64 largestReadableSettingsFile = 1024 * 1024;
constexpr int mostReadableSettingsEntries = 1000;

// How many renamed files of each kind are kept.
constexpr int keptAsideSettingsFiles = 3;
