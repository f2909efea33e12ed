#pragma once

// The session image as the device keeps it in flash (the console's layout, unreversed), and the
// factory image a new device ships with.

#include "sim/SimProfiles.h"

#include <cstdint>
#include <vector>

namespace arx::sim
{

struct SimSessionImage
{
    static constexpr uint32_t quadlets = 3348;
    static constexpr uint32_t bytes = quadlets * 4;
    static constexpr uint32_t version = 512;
    static constexpr uint32_t reversedStart = 7312; // bytes from here on travel byte-reversed
    static constexpr uint32_t reversedEnd = bytes;

    // Byte offsets
    static constexpr uint32_t flagsAt = 12, clockSourceAt = 24, sampleRateAt = 28;
    static constexpr uint32_t monitorGainAt = 32, playbackGainAt = 6432, outputGainAt = 6592;
    static constexpr uint32_t guitarSettingAt = 6752;
    static constexpr uint32_t inputChannelAt = 7312, monitorPanAt = 8272, monitorFlagsAt = 9872;
    static constexpr uint32_t playbackChannelAt = 11472, outputChannelAt = 12432;
    static constexpr uint32_t channelRecordSize = 24;

    // CRC-32 (reflected 0xEDB88320, init and final complement) over image bytes 8..end.
    static uint32_t crcOf (const uint8_t* image);
    static uint32_t crc32 (const uint8_t* data, size_t length, uint32_t crc = 0);

    // A complete factory image for the profile, CRC set.
    static std::vector<uint8_t> factory (const SimProfile& profile);

    // True when the bytes hold a plausible image: the length word and a matching CRC.
    static bool isValid (const uint8_t* image);
};

} // namespace arx::sim
