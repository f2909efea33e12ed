#pragma once

// The device's 2 MiB NOR flash: erased by sector (8 KiB below 0x10000, 64 KiB above), a write
// only clears bits, and the part stays busy after each erase or write: an erase for a time that
// grows with the sector's size, a write briefly. While busy it takes no erase, write or read.
// Not locked: its owner (SimDevice) serialises access. Shared by the lab so that a device that
// is unplugged and plugged again under the same name keeps its contents.

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

namespace arx::sim
{

class SimFlash
{
public:
    static constexpr uint32_t size = 2 * 1024 * 1024;
    static constexpr uint32_t smallSectorLimit = 0x10000;
    static constexpr uint32_t smallSector = 8 * 1024;
    static constexpr uint32_t largeSector = 64 * 1024;
    static constexpr int eraseBusyMsPer8KiB = 40; // a 64 KiB sector: 320 ms
    static constexpr int writeBusyMs = 2;

    SimFlash();

    // First byte and length of the sector holding `address` (address < size).
    static uint32_t sectorStart (uint32_t address) noexcept;
    static uint32_t sectorLength (uint32_t address) noexcept;
    // How long an erase of the sector holding `address` keeps the part busy.
    static int eraseBusyMs (uint32_t address) noexcept;

    // Neither checks busy: the device refuses commands while the part is busy.
    bool erase (uint32_t address);                                     // false: out of range
    bool write (uint32_t address, const uint32_t* quads, uint32_t count); // false: out of range
    bool read (uint32_t address, uint32_t* quads, uint32_t count) const;  // false: out of range
    bool readBytes (uint32_t address, void* dest, uint32_t length) const;
    bool isBusy() const noexcept;

    // Raw bytes for tests and state inspection.
    const uint8_t* data() const noexcept { return bytes.data(); }
    bool isBlank (uint32_t address, uint32_t length) const;

    // Puts bytes in place as if erased and written (factory programming); ignores busy.
    void program (uint32_t address, const void* source, uint32_t length);

    int eraseCount = 0;
    int writeCount = 0;
    uint32_t lockValue = 0;

private:
    void startBusy (int ms) noexcept;

    std::vector<uint8_t> bytes;
    juce::uint32 busyUntilMs = 0;
    bool everBusy = false;
};

} // namespace arx::sim
