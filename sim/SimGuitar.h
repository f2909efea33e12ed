#pragma once

// The guitar behind the device. For now it records what the console relays to it and answers
// nothing; its text protocol takes this place later. Not locked: SimDevice serialises access.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace arx::sim
{

class SimGuitar
{
public:
    // Bytes the console sent, in the order the guitar receives them (big-endian quadlets
    // already unpacked). Returns false when the guitar does not take them.
    bool receiveFromHost (const uint8_t* data, size_t length);

    // Up to `maxBytes` bytes the guitar has for the console; removed from its queue.
    std::vector<uint8_t> takeForHost (size_t maxBytes);

    bool connected = true;
    bool chargingNow = false;
    bool autoCharge = true;
    uint32_t chargeDelay = 300;
    uint32_t control = 0; // 0 live, 1 detecting, 2 hex mode

    bool isHexMode() const noexcept { return control == 2; }

    std::vector<uint8_t> received; // everything the host sent, kept for inspection
    std::vector<uint8_t> pending;  // what the host has not fetched yet
};

} // namespace arx::sim
