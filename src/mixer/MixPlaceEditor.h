#pragma once

#include "console/MixSnapshot.h"

#include <juce_core/juce_core.h>

#include <functional>

namespace arx
{

class ConsoleState;
class DeviceControl;
class EditPath;

// Reads and sets one place of a window's mix by its name (a MixChange), for clients that name
// places rather than touch widgets (the OSC endpoint). A set goes through the window's edit
// path as a user's edit of the place's control would: the state changes, the control shows it
// and is queued on the hardware thread, the step can be undone. Levels are clamped to the
// fader's range and snapped to its grid as a typed value is; a ganged partner follows by the
// same step in dB (or takes the same mute or solo), as it does for a drag.
//
// Values: a level is a double in dB as the fader shows it, a pan a double from -1 (left) to 1 (right), a mute or a
// solo an int 0 or 1, a name a string.
//
// Threads: message thread.
class MixPlaceEditor
{
public:
    MixPlaceEditor (ConsoleState& state, EditPath& path, DeviceControl* controls, std::function<void()> showNames);

    juce::var valueOf (const MixChange& place) const;

    int inputCount() const noexcept;
    int outputCount() const noexcept;
    int playbackCount() const noexcept;

    // False, with nothing changed, for a place or a value this mix has not.
    bool set (const MixChange& place, const juce::var& value);

private:
    void setControlled (const MixChange& place, const juce::var& value);
    void writeState (const MixChange& place, const juce::var& value);
    // The partner a gang links `place` to; false when none does.
    bool gangedPartner (const MixChange& place, MixChange& partner) const;
    void showAndQueue (const MixChange& place);
    bool controls (const DeviceControl& control, const MixChange& place) const;

    ConsoleState& state;
    EditPath& path;
    DeviceControl* head;
    std::function<void()> showNames;
};

} // namespace arx
