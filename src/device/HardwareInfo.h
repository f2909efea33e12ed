#pragma once

// The device's description as the driver publishes it in the registry value "hwinfo_caps",
// followed by the per-channel tables derived from its group tables. The layout is the stored
// one (little-endian words); do not reorder the fields.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

namespace arx
{

class HardwareInfo
{
public:
    static constexpr size_t registrySize = 260; // bytes of the registry value
    static constexpr size_t recordSize = 644;   // with the two derived maps
    static constexpr int maxGroups = 8;
    static constexpr int maxMappedChannels = 64;
    static constexpr uint8_t unmapped = 0xFF;
    static constexpr uint32_t flagNoFlashLock = 1u << 4;
    static constexpr uint32_t flagHasFpga = 1u << 5;

    struct Group
    {
        uint8_t kind;
        uint8_t channels;
    };

    struct MapEntry
    {
        uint8_t kind;
        uint8_t group;
        uint8_t index;
    };

    HardwareInfo() noexcept;

    // Takes a registry value of any size up to 260 bytes: missing bytes read as zero. A longer
    // value is rejected and leaves the record all zero. Derives the channel maps on success.
    bool decode (const void* data, size_t size) noexcept;

    // Rebuilds inputMap/outputMap from the group tables.
    void deriveMaps() noexcept;

    // The record as laid out in memory (recordSize bytes).
    const uint8_t* bytes() const noexcept { return reinterpret_cast<const uint8_t*> (&record); }

    // Identity
    uint32_t flags() const noexcept { return record.flags; }
    uint32_t vendorId() const noexcept { return record.guidHigh >> 8; }
    uint64_t guid() const noexcept { return (uint64_t (record.guidHigh) << 32) | record.guidLow; }
    uint32_t hwType() const noexcept { return record.hwType; }
    uint32_t hwVersion() const noexcept { return record.hwVersion; }
    juce::String modelName() const;

    // Channel counts, as stored
    int inputCount() const noexcept { return int (record.inputCount); }
    int outputCount() const noexcept { return int (record.outputCount); }
    int playbackCount (int sampleRate) const noexcept;
    uint32_t physCountA() const noexcept { return record.physCountA; }
    uint32_t physCountB() const noexcept { return record.physCountB; }

    // Groups: counts above maxGroups are read as maxGroups, the tables hold no more.
    int inputGroupCount() const noexcept;
    int inputGroupChannels (int group) const noexcept;
    int inputGroupKind (int group) const noexcept;
    juce::String inputGroupName (int group) const;
    juce::String inputGroupShortName (int group) const;
    int outputGroupCount() const noexcept;
    int outputGroupChannels (int group) const noexcept;
    int outputGroupKind (int group) const noexcept;
    juce::String outputGroupName (int group) const;
    juce::String outputGroupShortName (int group) const;

    // Per channel, from the derived maps: 255 for channels without an entry.
    int inputKind (int channel) const noexcept { return inputEntry (channel).kind; }
    int inputGroupOf (int channel) const noexcept { return inputEntry (channel).group; }
    int inputIndexInGroup (int channel) const noexcept { return inputEntry (channel).index; }
    int outputKind (int channel) const noexcept { return outputEntry (channel).kind; }
    int outputGroupOf (int channel) const noexcept { return outputEntry (channel).group; }
    int outputIndexInGroup (int channel) const noexcept { return outputEntry (channel).index; }

    // Clocks
    uint32_t clockMask() const noexcept { return record.clockMask; }
    bool hasSpdifOutput() const noexcept;
    bool hasExternalClocks() const noexcept;
    bool clockAvailable (int source) const noexcept;
    static juce::String clockName (int source);
    static constexpr int clockSourceCount = 6;

    uint32_t minSampleRate() const noexcept { return record.minSampleRate; }
    uint32_t maxSampleRate() const noexcept { return record.maxSampleRate; }

    // Firmware
    uint32_t dspVersion() const noexcept { return record.dspVersion; }
    uint32_t armVersion() const noexcept { return record.armVersion; }
    uint32_t fpgaVersion() const noexcept { return record.fpgaVersion; }
    bool noFlashLock() const noexcept { return (record.flags & flagNoFlashLock) != 0; }
    bool hasFpga() const noexcept { return (record.flags & flagHasFpga) != 0; }

    // Kind names
    static juce::String inputKindName (int kind);
    static juce::String inputKindShortName (int kind);
    static juce::String outputKindName (int kind);
    static juce::String outputKindShortName (int kind);

    // "major.minor[.third][.fourth][E]"
    static juce::String versionText (uint32_t version);

private:
    struct Record
    {
        uint32_t flags;
        uint32_t guidHigh;
        uint32_t guidLow;
        uint32_t hwType;
        uint32_t hwVersion;
        uint8_t unused20[32];
        char modelName[32];
        uint32_t clockMask;
        uint32_t playbackCount1x;
        uint32_t inputCount;
        uint32_t physCountA;
        uint32_t physCountB;
        uint32_t outputGroupCount;
        Group outputGroups[maxGroups];
        uint32_t inputGroupCount;
        Group inputGroups[maxGroups];
        uint32_t unused144[2];
        uint32_t maxSampleRate;
        uint32_t minSampleRate;
        uint32_t dspVersion;
        uint32_t armVersion;
        uint32_t outputCount;
        uint32_t unused172;
        uint32_t fpgaVersion;
        uint32_t playbackCount2x;
        uint32_t unused184;
        uint32_t playbackCount4x;
        uint8_t unused192[registrySize - 192];
        MapEntry inputMap[maxMappedChannels];
        MapEntry outputMap[maxMappedChannels];
    };

    static void deriveMap (MapEntry* map, const Group* groups, int groupCount) noexcept;
    static int clampGroupCount (uint32_t stored) noexcept;
    static int groupKind (const Group* groups, int groupCount, int group) noexcept;
    MapEntry inputEntry (int channel) const noexcept;
    MapEntry outputEntry (int channel) const noexcept;

    Record record;

    static_assert (offsetof (Record, guidHigh) == 4);
    static_assert (offsetof (Record, hwType) == 12);
    static_assert (offsetof (Record, hwVersion) == 16);
    static_assert (offsetof (Record, modelName) == 52);
    static_assert (offsetof (Record, clockMask) == 84);
    static_assert (offsetof (Record, playbackCount1x) == 88);
    static_assert (offsetof (Record, inputCount) == 92);
    static_assert (offsetof (Record, physCountA) == 96);
    static_assert (offsetof (Record, physCountB) == 100);
    static_assert (offsetof (Record, outputGroupCount) == 104);
    static_assert (offsetof (Record, outputGroups) == 108);
    static_assert (offsetof (Record, inputGroupCount) == 124);
    static_assert (offsetof (Record, inputGroups) == 128);
    static_assert (offsetof (Record, maxSampleRate) == 152);
    static_assert (offsetof (Record, minSampleRate) == 156);
    static_assert (offsetof (Record, dspVersion) == 160);
    static_assert (offsetof (Record, armVersion) == 164);
    static_assert (offsetof (Record, outputCount) == 168);
    static_assert (offsetof (Record, fpgaVersion) == 176);
    static_assert (offsetof (Record, playbackCount2x) == 180);
    static_assert (offsetof (Record, playbackCount4x) == 188);
    static_assert (offsetof (Record, inputMap) == 260);
    static_assert (offsetof (Record, outputMap) == 452);
    static_assert (sizeof (Record) == recordSize);

    JUCE_LEAK_DETECTOR (HardwareInfo)
};

} // namespace arx
