#pragma once

#include "console/DeviceControl.h"
#include "console/HardwareThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class Device;
class ConsoleState;

// A group box of the settings page that is also a hardware control: the hardware thread runs its
// get and set and posts command messages to it, and the message thread shows what they brought.
//
// Threads: built and destroyed on the message thread, before the hardware thread starts and
// after it stopped.
class SettingsGroup : public juce::GroupComponent, public DeviceControl
{
public:
    SettingsGroup (DeviceControlHost& host, const juce::String& name, const juce::String& groupTitle)
        : juce::GroupComponent (name, groupTitle), DeviceControl (host)
    {
        acceptMessagesFromOtherThreads (*this);
    }

protected:
    Device& device() const noexcept { return getThread().getDevice(); }
    ConsoleState& state() const noexcept { return getThread().getState(); }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsGroup)
};

} // namespace arx
