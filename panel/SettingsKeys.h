#pragma once

// The keys of the panel's settings file. Stored files carry these texts, so
// they never change.

namespace settingskeys
{
// The three switches the device cannot report, as "true" or "false".
constexpr const char* monitoring = "MON";
// True for the consumer format (Con), false for Pro.
constexpr const char* consumerFormat = "PRO_CON";
// True when copying is permitted (Copy), false for NoneCopy.
constexpr const char* copyPermitted = "COPY_NONE";

// The main window's state as the framework writes it; empty for none.
constexpr const char* windowPosition = "WindowPosition";
// Only looked up: where the last routing preset was.
constexpr const char* looplinePresetPath = "LastLLSettingsFilePath";
} // namespace settingskeys
