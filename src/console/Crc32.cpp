#include "console/Crc32.h"

#include <array>

namespace arx
{

namespace
{
std::array<uint32_t, 256> makeTable() noexcept
{
    std::array<uint32_t, 256> table {};

    for (uint32_t i = 0; i < 256; ++i)
    {
        auto value = i;

        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) != 0 ? (value >> 1) ^ 0xEDB88320u : value >> 1;

        table[i] = value;
    }

    return table;
}
} // namespace

uint32_t crc32 (const void* data, size_t size) noexcept
{
    static const auto table = makeTable();

    auto crc = 0xFFFFFFFFu;
    auto* bytes = static_cast<const uint8_t*> (data);

    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);

    return ~crc;
}

} // namespace arx
