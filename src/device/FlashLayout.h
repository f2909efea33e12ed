#pragma once

// The device's flash as the console addresses it: 2 MiB, erased in 8 KiB sectors below 0x10000
// and in 64 KiB sectors above. An erase takes the whole sector that holds its address.

#include <cstdint>

namespace arx
{

struct FlashLayout
{
    static constexpr uint32_t bytes = 0x200000;
    static constexpr uint32_t smallSectorLimit = 0x10000;
    static constexpr uint32_t smallSector = 8192;
    static constexpr uint32_t largeSector = 65536;

    static constexpr uint32_t sectorSize (uint64_t address) noexcept
    {
        return address < smallSectorLimit ? smallSector : largeSector;
    }

    static constexpr bool startsSector (uint32_t address) noexcept { return address % sectorSize (address) == 0; }

    // Whether `length` bytes from `address` lie inside the flash, without wrapping past its end.
    static constexpr bool holds (uint32_t address, uint64_t length) noexcept
    {
        return address < bytes && length <= (uint64_t) (bytes - address);
    }
};

} // namespace arx
