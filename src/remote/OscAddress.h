#pragma once

#include <juce_osc/juce_osc.h>

#include "console/MixSnapshot.h"

namespace arx
{

// One address of the console's OSC address space, read from or made into its text:
//
//   /arx/devices, /arx/subscribe, /arx/subscribe/meters, /arx/unsubscribe
//   /arx/{dev}/undo, /arx/{dev}/redo
//   /arx/{dev}/monitor/{input}/{pair}/level|pan|mute|solo
//   /arx/{dev}/playback/{channel}/level|mute|solo|name
//   /arx/{dev}/output/{channel}/level|mute|name
//   /arx/{dev}/input/{input}/name
//   /arx/{dev}/snapshot/{n}/recall|store|name
//   /arx/{dev}/meters/input|output (sent to subscribers only)
//
// `{dev}` is a device's unique name or its 1-based place in the device list; inputs, channels
// and pairs are 1-based on the wire and 0-based here (`place.b` is the even output of the pair).
//
// Threads: any; no state.
struct OscAddress
{
    enum Kind { invalid, devices, subscribe, subscribeMeters, unsubscribe, undo, redo, control, snapshotRecall, snapshotStore, snapshotName };

    // What a control's value is on the wire: a float in dB, a float pan -1..1, an int 0/1, a string.
    enum ValueType { none, level, pan, flag, name };

    Kind kind = invalid;
    juce::String device;
    MixChange place { MixChange::setting };
    int snapshot = -1; // 0-based slot of a snapshot address

    static OscAddress parse (const juce::String& text);

    // The address of `place` with `device` as {dev}; empty for places without an address.
    static juce::String of (const MixChange& place, const juce::String& device);
    // The address of a device's input or output meters, one float per channel.
    static juce::String metersOf (const juce::String& device, bool inputs);

    static ValueType valueTypeOf (MixChange::Kind kind) noexcept;
    ValueType valueType() const noexcept { return kind == control ? valueTypeOf (place.kind) : none; }

    // Whether the place's channels exist on a device with these counts.
    bool fits (int inputs, int outputs, int playbacks) const noexcept;

    // The value of a set message for this address, checked: a finite float for a level or a pan
    // (an int is taken as well), 0 or 1 for a flag, a string for a name. False with `problem`
    // set when the argument is not one.
    bool checkValue (const juce::OSCArgument& arg, juce::String& problem) const;
};

} // namespace arx
