#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace arx
{

class ConsoleState;

// One request of a web remote page, as it arrives over its WebSocket: a small JSON object.
// Anything else (not UTF-8 or not JSON, nested deeper or with a number longer than a request
// ever has, an unknown type, a number out of range) is refused with a reason, never half taken.
//
//   {"t":"list"}                                   the devices
//   {"t":"open","dev":"NAME"}                      follow one device (its mix and changes)
//   {"t":"set","dev":"NAME","k":"ml","a":3,"b":0,"v":-6.5}
//   {"t":"begin","dev":"NAME"} / {"t":"end",...}   a drag: one undo step
//   {"t":"undo","dev":"NAME"} / {"t":"redo",...}
//   {"t":"meters","on":true}                       meters while the page is visible
struct RemoteRequest
{
    enum class Type { list, open, set, begin, end, undo, redo, meters };

    // What a "set" changes: monitor level, pan, mute, solo (a input, b output); playback level,
    // mute, solo and output level, mute (a the channel).
    enum class Key { monitorLevel, monitorPan, monitorMute, monitorSolo,
                     playbackLevel, playbackMute, playbackSolo, outputLevel, outputMute };

    Type type = Type::list;
    juce::String device;
    Key key = Key::monitorLevel;
    int a = 0;
    int b = 0;
    double value = 0.0;
    bool on = false;

    static constexpr int maxBytes = 4096;
    static constexpr int maxChannel = 63;

    // The request in `text`, or nothing with `error` saying why.
    static std::optional<RemoteRequest> parse (const char* text, size_t size, juce::String& error);

    // Whether `state` has the channels a "set" names.
    bool fits (const ConsoleState& state) const noexcept;
    // Writes a "set" that fits into `state` as the window does: a ganged partner follows a level
    // by the same difference, and a monitor level moves both sides of the output pair.
    void applyTo (ConsoleState& state) const;

    static const char* keyName (Key key) noexcept;
};

} // namespace arx
