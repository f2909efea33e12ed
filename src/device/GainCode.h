#pragma once

// Level and pan values as the device stores them: a gain is a linear factor scaled by 2^24
// (0 dB = 0x01000000), a pan is one byte from 0 (left) to 255 (right). Both the device commands
// and the console state convert through here so that a value read back always matches.

#include <cmath>
#include <cstdint>

namespace arx
{

constexpr uint32_t unityGainCode = 0x01000000;
constexpr float silentGainDb = -144.0f;

// round(10^(dB/20) * 2^24) in single precision, ties to even; saturates at both ends.
inline uint32_t gainToCode (float dB) noexcept
{
    if (std::isnan (dB))
        return 0;

    const float linear = std::pow (10.0f, dB / 20.0f) * 16777216.0f;

    if (! (linear < 4294967296.0f))
        return 0xFFFFFFFFu;

    const float rounded = std::nearbyint (linear); // default rounding mode: ties to even
    return rounded <= 0.0f ? 0u : static_cast<uint32_t> (rounded);
}

// 20 * log10(code / 2^24); silence (code 0) reads as -144 dB.
inline float codeToGain (uint32_t code) noexcept
{
    if (code == 0)
        return silentGainDb;

    return 20.0f * std::log10 (static_cast<float> (code) / 16777216.0f);
}

// round(pan * 255) for pan in 0..1; out-of-range pans are pinned to the ends.
inline uint8_t panToCode (float pan) noexcept
{
    if (! (pan > 0.0f))
        return 0;
    if (pan >= 1.0f)
        return 255;

    return static_cast<uint8_t> (std::nearbyint (pan * 255.0f));
}

inline float codeToPan (uint8_t code) noexcept
{
    return static_cast<float> (code) / 255.0f;
}

} // namespace arx
