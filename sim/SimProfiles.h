#pragma once

// Device profiles the lab can plug: identity, channel groups, clocks and firmware versions, and
// the registry value "hwinfo_caps" built from them. The record is written word by word here on
// purpose: the lab is the independent reference for the console's decoder.

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

namespace arx::sim
{

struct SimChannelGroup
{
    uint8_t kind = 0;
    uint8_t channels = 0;
};

struct SimProfile
{
    juce::String name;
    bool hasHwinfo = true; // false: the registry read of "hwinfo_caps" fails
    uint32_t flags = 0x20; // bit 5 hasFpga, bit 4 noFlashLock
    uint32_t vendorId = 0x75B;
    uint32_t guidLowBase = 0x00010000; // the n-th device of a profile gets guidLowBase + n; one base per profile
    uint32_t hwType = 0xAFB2;
    uint32_t hwVersion = 1;
    juce::String modelName = "ARX";
    uint32_t clockMask = 0x0B; // Internal, FireWire, S/PDIF
    uint32_t minSampleRate = 32000;
    uint32_t maxSampleRate = 192000;
    uint32_t dspVersion = 0x05020000;
    uint32_t armVersion = 0x05020000;
    uint32_t fpgaVersion = 0x05020000;
    uint32_t playbackCount1x = 8, playbackCount2x = 8, playbackCount4x = 4;
    std::vector<SimChannelGroup> inputGroups;
    std::vector<SimChannelGroup> outputGroups;
    uint32_t sessionBase = 0x1E0000; // byte address of the session area in flash

    int inputCount() const noexcept;
    int outputCount() const noexcept;
    uint32_t physCountA() const noexcept { return (uint32_t) inputCount(); }
    uint32_t physCountB() const noexcept { return (uint32_t) outputCount(); }
    uint8_t inputKind (int channel) const noexcept;  // 0xFF past the last channel
    uint8_t outputKind (int channel) const noexcept; // 0xFF past the last channel
};

class SimProfiles
{
public:
    // Null when there is no profile of that name.
    static const SimProfile* find (const juce::String& name);
    static juce::StringArray names();

    // The 260-byte registry value for the `index`-th device of the profile.
    static juce::MemoryBlock buildHwinfo (const SimProfile& profile, uint32_t index);

    static constexpr size_t hwinfoSize = 260;
};

} // namespace arx::sim
