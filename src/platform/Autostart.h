#pragma once

// Whether the console starts when the user logs in, as the desktop session keeps it: on Linux the
// XDG autostart entry (the package installs one for every user in /etc/xdg/autostart; the user's
// own entry in ~/.config/autostart overrides it, "Hidden=true" switching it off), on Windows the
// "Run" value of the user's registry (the installer may write the one of all users).
//
// Threads: message thread.

#include <juce_core/juce_core.h>

namespace arx::platform::autostart
{

// The name of the desktop entry and of the Run value.
constexpr const char* entryName = "com.vantrel.arxconsole";

// Whether the session starts the console now.
bool isEnabled();

// Makes the session start the console (the running program) or not. False, with the reason,
// when the entry cannot be written.
bool setEnabled (bool on, juce::String& failure);

} // namespace arx::platform::autostart
