#pragma once

#include "console/HwCtrl.h"
#include "console/hwthread.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class bhw;
class ConsoleState;

// A group box of the settings page that is also a hardware control: the hardware thread runs its
// get and set and posts command messages to it, and the message thread shows what they brought.
//
// Threads: built and destroyed on the message thread, before the hardware thread starts and
// after it stopped.
class SettingsGroup : public juce::GroupComponent, public HwCtrl
{
public:
    SettingsGroup (HwCtrlHost& host, const juce::String& name, const juce::String& groupTitle)
        : juce::GroupComponent (name, groupTitle), HwCtrl (host)
    {
        acceptMessagesFromOtherThreads (*this);
    }

protected:
    bhw& device() const noexcept { return getThread().getDevice(); }
    ConsoleState& state() const noexcept { return getThread().getState(); }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsGroup)
};

} // namespace arx
