#pragma once

// What the session operations need from the console content that holds them: showing the
// console state again after a load, and resetting the controls. The content implements both,
// usually from the building blocks below.
//
// Threads: message thread.

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace arx
{

class ConsoleState;
class DeviceControl;

class SessionHost
{
public:
    virtual ~SessionHost() = default;

    // After a load, whatever the loader decided: every gang button ("console_gang_button") and
    // every channel name ("alias") shows the state again; then every control bound to the device,
    // in list order, runs refresh (state, true) and is queued for set, so that the whole state
    // reaches the device. Ends with a repaint of the content.
    virtual void applyToControls() = 0;

    // After the state side of a reset: every channel name shows its (cleared) name again; every
    // control bound to the device runs reset() and is queued for set. Ends with a repaint.
    virtual void resetControls() = 0;

    // A session file was chosen: the host may show what loading it would change and then load
    // it whole (`loadAll`), a part of it, or nothing. False: the host does not ask and the load
    // goes ahead at once.
    virtual bool compareBeforeLoad (const juce::File& chosen, std::function<void()> loadAll)
    {
        juce::ignoreUnused (chosen, loadAll);
        return false;
    }

    //==============================================================================
    // Every control of the list from `first` on: refresh with all banks marked, then queued for
    // set on its own hardware thread.
    static void refreshAndQueueAll (DeviceControl* first, ConsoleState& state);

    // Every control of the list from `first` on: reset, then queued for set.
    static void resetAndQueueAll (DeviceControl* first);

    // `root` and its descendants, depth-first, that carry the component name `name`.
    static void forEachNamed (juce::Component& root, const juce::String& name,
                              const std::function<void (juce::Component&)>& visit);
};

} // namespace arx
