#include "sim/SimGuitar.h"

#include <algorithm>

namespace arx::sim
{

bool SimGuitar::receiveFromHost (const uint8_t* data, size_t length)
{
    if (! connected)
        return false;
    received.insert (received.end(), data, data + length);
    return true;
}

std::vector<uint8_t> SimGuitar::takeForHost (size_t maxBytes)
{
    auto n = std::min (maxBytes, pending.size());
    std::vector<uint8_t> out (pending.begin(), pending.begin() + (std::ptrdiff_t) n);
    pending.erase (pending.begin(), pending.begin() + (std::ptrdiff_t) n);
    return out;
}

} // namespace arx::sim
