#pragma once

// Text to and from the guitar through the device's relay, with the guitar's patience: every
// operation gives up after 2000 ms.
//
// Threads: the guitar update thread; the device's mutex serialises each transaction with
// those of other threads.

#include "device/Device.h"

namespace arx
{

class GuitarTextLink
{
public:
    static constexpr int limitMs = 2000;

    explicit GuitarTextLink (Device& device) : dev (device) {}

    // Until the device accepts the bytes (true) or 2000 ms pass (false), retrying refusals,
    // time-outs and failures alike.
    bool send (const uint8_t* bytes, int count);
    bool send (const juce::String& text);

    // Until a chunk holds a carriage return or 2000 ms pass; the bytes received, 0 on a device
    // failure. `room` includes the end mark put after the last byte.
    int receiveLine (uint8_t* buffer, int room);
    // Until at least `wanted` bytes have come or 2000 ms pass.
    int receiveAtLeast (uint8_t* buffer, int room, int wanted);

    // Throws away what the guitar still had to say.
    void drain();

private:
    int collect (uint8_t* buffer, int room, int wanted, int pauseMs);

    Device& dev;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuitarTextLink)
};

} // namespace arx
