#pragma once

// The snapshot slots of one device: eight whole mixes kept in the device's preferences file, so
// that they survive a restart and follow the device. Each holds the session image and the gang
// masks as they were when stored, a name ("Snapshot N" until renamed), the time it was stored
// and the model it was stored from: a slot of another model counts as empty.
//
// Threads: message thread.

#include "console/SessionImage.h"

#include <juce_data_structures/juce_data_structures.h>

#include <array>
#include <vector>

namespace arx
{

class ConsoleState;

class SnapshotBank
{
public:
    static constexpr int slotCount = 8;

    // Slots of the model `model` (a device's hardware type) from `preferences`, which this
    // writes again on every store and rename; see detach().
    SnapshotBank (juce::PropertiesFile& preferences, uint32_t model);

    // The preferences file is closing: the slots stay known, later changes are not written.
    void detach() noexcept { preferences = nullptr; }

    static bool isSlot (int slot) noexcept { return slot >= 0 && slot < slotCount; }

    bool isStored (int slot) const noexcept;
    // The slot's name: its own, or "Snapshot N" (N from 1).
    juce::String name (int slot) const;
    juce::Time storedAt (int slot) const;

    // Keeps the mix of `state` in `slot`; false for a slot out of range.
    bool store (int slot, const ConsoleState& state);
    // An empty name gives the slot its default name back. False for an empty slot.
    bool rename (int slot, const juce::String& newName);

    // Writes the slot's image and gang masks into `state`; false (and `state` untouched) for an
    // empty slot.
    bool fill (int slot, ConsoleState& state) const;

    // The preferences key of a slot (N from 1).
    static juce::String key (int slot);

private:
    struct Slot
    {
        std::vector<uint8_t> image; // empty: nothing stored
        std::array<uint32_t, 3> gangs {}; // inputs, outputs, playback
        juce::String name;
        juce::Time time;
    };

    void read (int slot);
    void write (int slot);

    juce::PropertiesFile* preferences;
    const uint32_t model;
    std::array<Slot, slotCount> slots;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SnapshotBank)
};

} // namespace arx
