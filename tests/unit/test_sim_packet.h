#pragma once

// Builds GWC packets and driver request blocks the way the driver's clients lay them out, and
// reads replies word by word: for tests that talk to the device lab below the device layer.

#include "platform/Platform.h"

#include <cstdint>
#include <vector>

namespace arx::simtest
{

struct Reply
{
    bool ok = false;
    uint32_t returned = 0;
    std::vector<uint32_t> words; // the output buffer, whole

    uint32_t word (size_t i) const { return i < words.size() ? words[i] : 0xDEADBEEF; }
    uint32_t status() const { return word (0); }
    uint32_t retval() const { return word (6); }
    uint32_t result (size_t i) const { return word (7 + i); }
};

inline std::vector<uint32_t> gwc (uint32_t category, uint32_t command, std::vector<uint32_t> params)
{
    std::vector<uint32_t> p (7, 0);
    p[1] = 6 + (uint32_t) params.size();
    p[4] = category;
    p[5] = command;
    p.insert (p.end(), params.begin(), params.end());
    return p;
}

inline Reply call (arx::platform::DeviceHandle& h, uint32_t code, const std::vector<uint32_t>& in, uint32_t outSize)
{
    Reply r;
    r.words.assign ((outSize + 3) / 4, 0);
    r.ok = h.deviceIoControl (code, in.data(), (uint32_t) in.size() * 4, r.words.data(), outSize, r.returned);
    return r;
}

inline Reply transact (arx::platform::DeviceHandle& h, uint32_t category, uint32_t command,
                       std::vector<uint32_t> params, uint32_t outSize = 308)
{
    return call (h, arx::platform::IOCTL_ARX_GWC_TRANSACTION, gwc (category, command, std::move (params)), outSize);
}

inline Reply driverRequest (arx::platform::DeviceHandle& h, uint32_t sub, std::vector<uint32_t> args = {})
{
    std::vector<uint32_t> block (16, 0);
    block[2] = sub;
    for (size_t i = 0; i < args.size() && 3 + i < 16; ++i)
        block[3 + i] = args[i];
    return call (h, arx::platform::IOCTL_ARX_DRIVER_REQUEST, block, 64);
}

} // namespace arx::simtest
