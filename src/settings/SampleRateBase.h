#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>

namespace arx
{

// The control that watches the device's sample rate for the settings page: the page runs its
// update after every good status poll.
class SampleRateBase
{
public:
    virtual ~SampleRateBase() = default;

    // Message thread.
    virtual void update() = 0;

    // "48 kHz", "44.1 kHz": whole kHz, and the hundreds digit when the rate is not a whole kHz.
    static juce::String rateText (uint32_t rate)
    {
        const auto kHz = int (rate / 1000);
        if (rate % 1000 == 0)
            return juce::String (kHz) + " kHz";
        return juce::String (kHz) + "." + juce::String (int (rate % 1000 / 100)) + " kHz";
    }
};

} // namespace arx
