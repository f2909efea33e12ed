#pragma once

// The guitar loader's message formats: its CRC, the 77-byte data packet and how a reply is
// judged. Any thread.

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>

namespace arx
{

struct GuitarPacket
{
    static constexpr int size = 77;
    static constexpr int dataBytes = 64;
    static constexpr int indexAt = 7;
    static constexpr int dataAt = 9;
    static constexpr int crcAt = 73;

    // CRC-32 with polynomial 0x04C11DB7, initial value all ones, most significant bit first, no
    // final inversion, each byte fed in as the four bytes 0, 0, 0, b.
    static uint32_t crc (const uint8_t* data, size_t length) noexcept;

    // ":PNR ", the target digit and a blank, the index (big-endian), 64 data bytes and their CRC
    // (least significant byte first). `target` is 0 to 9.
    static std::array<uint8_t, size> make (uint8_t target, uint16_t index, const uint8_t* data) noexcept;

    // The initialise command's CRC: of target, second word, data length and address, each as a
    // word, least significant byte first.
    static uint32_t headerCrc (uint32_t target, uint32_t secondWord, uint32_t length, uint32_t address) noexcept;

    // Exactly `text`, nothing more.
    static bool is (const uint8_t* reply, int count, const char* text) noexcept;

    // "RDHI\r", "RINI\r", or an "RPNR " reply that is none of its three error replies.
    static bool isPositive (const uint8_t* reply, int count) noexcept;
};

} // namespace arx
