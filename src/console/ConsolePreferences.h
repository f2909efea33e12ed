#pragma once

// The per-device preferences file: channel names, gang masks, the last sessions folder and the
// window's place. One file per device, named after the device's unique name.

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

namespace arx
{

namespace prefs
{
// Keys owned by the console state.
constexpr const char* inputGangs = "input gangs";
constexpr const char* outputGangs = "output gangs";
constexpr const char* playbackGangs = "playback gangs";
constexpr const char* inputAlias = "input alias %d";
constexpr const char* outputAlias = "output alias %d";
constexpr const char* playAlias = "play alias %d";
constexpr const char* mostRecentFolder = "most recent folder";

// Keys of the application preferences, one file for the whole program.
constexpr const char* startAtLogin = "start at login";

// Keys owned by the console window and its content.
constexpr const char* windowX = "x";
constexpr const char* windowY = "y";
constexpr const char* zoom = "zoom"; // percent
constexpr const char* tab = "tab";
// Keys owned by the snapshot slots and the session load (the slots' own: SnapshotBank::key).
constexpr const char* loadWithoutAsking = "load without asking";

constexpr const char* folderName = "Vantrel ARX Console";
constexpr const char* fileSuffix = "properties";
constexpr int millisecondsBeforeSaving = 1000;

// A per-channel key: `keyFormat` with its %d replaced by the 0-based channel number.
juce::String channelKey (const char* keyFormat, int channel);
} // namespace prefs

// The file's options: named after the device, XML, private to the user, saved 1000 ms after a
// change.
juce::PropertiesFile::Options consolePreferencesOptions (const juce::String& uniqueName);

// Opens the preferences file of the device with this unique name. With no folder the file lives
// in the user's application-data (configuration) folder under "Vantrel ARX Console"; tests pass a
// folder of their own. Message thread. Never null.
std::unique_ptr<juce::PropertiesFile> openConsolePreferences (const juce::String& uniqueName,
                                                              const juce::File& folder = {});

// Opens the application preferences: one file for the whole program, beside the devices' files
// (its suffix keeps it apart from them). Message thread. Never null.
std::unique_ptr<juce::PropertiesFile> openApplicationPreferences (const juce::File& folder = {});

} // namespace arx
