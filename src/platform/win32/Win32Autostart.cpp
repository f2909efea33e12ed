#include "platform/Autostart.h"

namespace arx::platform::autostart
{

namespace
{
// The user's Run value; the installer writes the same one when asked to start the console.
juce::String runValue()
{
    return juce::String ("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\") + entryName;
}
} // namespace

bool isEnabled()
{
    return juce::WindowsRegistry::valueExists (runValue());
}

bool setEnabled (bool on, juce::String& failure)
{
    if (! on)
    {
        if (! juce::WindowsRegistry::valueExists (runValue()))
            return true;
        juce::WindowsRegistry::deleteValue (runValue());
    }
    else
    {
        const auto program = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();
        juce::WindowsRegistry::setValue (runValue(), program.quoted());
    }
    if (juce::WindowsRegistry::valueExists (runValue()) != on)
    {
        failure = "cannot change " + runValue();
        return false;
    }
    return true;
}

} // namespace arx::platform::autostart
