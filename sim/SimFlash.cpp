#include "sim/SimFlash.h"

#include <cstring>

namespace arx::sim
{

SimFlash::SimFlash() : bytes (size, 0xFF) {}

uint32_t SimFlash::sectorLength (uint32_t address) noexcept
{
    return address < smallSectorLimit ? smallSector : largeSector;
}

int SimFlash::eraseBusyMs (uint32_t address) noexcept
{
    return eraseBusyMsPer8KiB * (int) (sectorLength (address) / smallSector);
}

uint32_t SimFlash::sectorStart (uint32_t address) noexcept
{
    return address & ~(sectorLength (address) - 1);
}

bool SimFlash::erase (uint32_t address)
{
    if (address >= size)
        return false;
    std::memset (bytes.data() + sectorStart (address), 0xFF, sectorLength (address));
    ++eraseCount;
    startBusy (eraseBusyMs (address));
    return true;
}

bool SimFlash::write (uint32_t address, const uint32_t* quads, uint32_t count)
{
    if (address >= size || count > (size - address) / 4)
        return false;
    // NOR flash: programming can only clear bits.
    for (uint32_t q = 0; q < count; ++q)
        for (uint32_t b = 0; b < 4; ++b)
            bytes[address + 4 * q + b] &= (uint8_t) (quads[q] >> (8 * b));
    ++writeCount;
    startBusy (writeBusyMs);
    return true;
}

bool SimFlash::read (uint32_t address, uint32_t* quads, uint32_t count) const
{
    if (address >= size || count > (size - address) / 4)
        return false;
    for (uint32_t q = 0; q < count; ++q)
    {
        auto* p = bytes.data() + address + 4 * q;
        quads[q] = (uint32_t) p[0] | ((uint32_t) p[1] << 8) | ((uint32_t) p[2] << 16)
                   | ((uint32_t) p[3] << 24);
    }
    return true;
}

bool SimFlash::readBytes (uint32_t address, void* dest, uint32_t length) const
{
    if (address >= size || length > size - address)
        return false;
    std::memcpy (dest, bytes.data() + address, length);
    return true;
}

bool SimFlash::isBlank (uint32_t address, uint32_t length) const
{
    if (address >= size || length > size - address)
        return false;
    for (uint32_t i = 0; i < length; ++i)
        if (bytes[address + i] != 0xFF)
            return false;
    return true;
}

void SimFlash::program (uint32_t address, const void* source, uint32_t length)
{
    if (address < size && length <= size - address)
        std::memcpy (bytes.data() + address, source, length);
}

bool SimFlash::isBusy() const noexcept
{
    return everBusy && (int32_t) (busyUntilMs - juce::Time::getMillisecondCounter()) > 0;
}

void SimFlash::startBusy (int ms) noexcept
{
    busyUntilMs = juce::Time::getMillisecondCounter() + (juce::uint32) ms;
    everBusy = true;
}

} // namespace arx::sim
