#pragma once

// "Start at login", the tray menu's tick item: the user's choice is kept in the application
// preferences and carried out by the desktop session's autostart entry (platform/Autostart.h).
// Until the user has chosen, the session's entry answers: the package and the installer make
// one. A choice that the session lost (a reinstalled entry, a removed one) is made again when
// the program starts.
//
// Threads: message thread.

#include <juce_core/juce_core.h>

namespace arx
{

class StartAtLogin
{
public:
    // The preferences folder: empty for the user's configuration folder.
    explicit StartAtLogin (juce::File preferencesFolder = {});

    bool isOn() const;
    // Keeps the choice and carries it out; false (logged) when the session's entry cannot be
    // changed. The choice is kept all the same.
    bool set (bool on);
    // Makes the session's entry follow a choice made earlier; nothing when none was made.
    void restoreChoice();

private:
    juce::File folder;
};

} // namespace arx
