#include "guitar/GuitarPacket.h"

#include <cstring>

namespace arx
{
namespace
{
void putLittleEndian (uint8_t* p, uint32_t value) noexcept
{
    for (int i = 0; i < 4; ++i)
        p[i] = (uint8_t) (value >> (8 * i));
}
} // namespace

uint32_t GuitarPacket::crc (const uint8_t* data, size_t length) noexcept
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i)
    {
        crc ^= data[i];
        for (int bit = 0; bit < 32; ++bit)
            crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

std::array<uint8_t, GuitarPacket::size> GuitarPacket::make (uint8_t target, uint16_t index, const uint8_t* data) noexcept
{
    std::array<uint8_t, size> p {};
    std::memcpy (p.data(), ":PNR ", 5);
    p[5] = (uint8_t) ('0' + target % 10);
    p[6] = ' ';
    p[indexAt] = (uint8_t) (index >> 8);
    p[indexAt + 1] = (uint8_t) index;
    std::memcpy (p.data() + dataAt, data, dataBytes);
    putLittleEndian (p.data() + crcAt, crc (data, dataBytes));
    return p;
}

uint32_t GuitarPacket::headerCrc (uint32_t target, uint32_t secondWord, uint32_t length, uint32_t address) noexcept
{
    uint8_t block[16];
    putLittleEndian (block, target);
    putLittleEndian (block + 4, secondWord);
    putLittleEndian (block + 8, length);
    putLittleEndian (block + 12, address);
    return crc (block, sizeof (block));
}

bool GuitarPacket::is (const uint8_t* reply, int count, const char* text) noexcept
{
    const auto length = std::strlen (text);
    return count >= 0 && (size_t) count == length && std::memcmp (reply, text, length) == 0;
}

bool GuitarPacket::isPositive (const uint8_t* reply, int count) noexcept
{
    if (is (reply, count, "RDHI\r") || is (reply, count, "RINI\r"))
        return true;
    return count >= 5 && std::memcmp (reply, "RPNR ", 5) == 0 && ! is (reply, count, "RPNR WRITEERROR\r")
           && ! is (reply, count, "RPNR CRCERROR\r") && ! is (reply, count, "RPNR PACKETERROR\r");
}

} // namespace arx
