#include "app/StartAtLogin.h"

#include "console/ConsolePreferences.h"
#include "platform/Autostart.h"

namespace arx
{

namespace
{
bool carryOut (bool on)
{
    juce::String failure;
    if (platform::autostart::setEnabled (on, failure))
        return true;
    juce::Logger::writeToLog ("Console - start at login: " + failure);
    return false;
}
} // namespace

StartAtLogin::StartAtLogin (juce::File preferencesFolder) : folder (std::move (preferencesFolder)) {}

bool StartAtLogin::isOn() const
{
    const auto preferences = openApplicationPreferences (folder);
    if (preferences->containsKey (prefs::startAtLogin))
        return preferences->getBoolValue (prefs::startAtLogin);
    return platform::autostart::isEnabled();
}

bool StartAtLogin::set (bool on)
{
    openApplicationPreferences (folder)->setValue (prefs::startAtLogin, on);
    return carryOut (on);
}

void StartAtLogin::restoreChoice()
{
    const auto preferences = openApplicationPreferences (folder);
    if (! preferences->containsKey (prefs::startAtLogin))
        return;
    const bool on = preferences->getBoolValue (prefs::startAtLogin);
    if (platform::autostart::isEnabled() != on)
        carryOut (on);
}

} // namespace arx
