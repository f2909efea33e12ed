#pragma once

// What loading a mix would change against the mix the console holds now, in the groups a user
// picks from: each output pair's monitor mix, playback, outputs, names, gangs and the settings
// page's values. Each group lists its places with the old and the new value, and yields the
// part of the load that changes only the groups picked.
//
// Threads: message thread.

#include "console/MixSnapshot.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace arx
{

class ConsoleState;

class SessionCompare
{
public:
    struct Group
    {
        int key = 0; // an output pair's index, or one of the keys below
        juce::String title;
        juce::StringArray lines;
    };

    enum Keys
    {
        playbackKey = 1000,
        outputsKey,
        namesKey,
        gangsKey,
        settingsKey
    };

    SessionCompare (const ConsoleState& now, const ConsoleState& wanted);

    // A whole load also sets the device's sample rate, which no undo step holds: a rate that
    // differs is listed with the settings page's values, as one that only "Load all" applies.
    void addSampleRate (uint32_t now, uint32_t loaded);

    bool isEmpty() const noexcept { return groups.empty(); }
    const std::vector<Group>& getGroups() const noexcept { return groups; }

    // The whole load, and the part of it of the groups ticked (one flag per group, in order).
    const MixDiff& whole() const noexcept { return diff; }
    MixDiff part (const std::vector<bool>& ticked) const;

    // The group a place belongs to.
    static int keyOf (const MixChange& change) noexcept;

private:
    Group& groupFor (int key);
    void describe (const ConsoleState& now, const ConsoleState& wanted, const MixChange& c);

    MixDiff diff;
    std::vector<Group> groups;
};

} // namespace arx
