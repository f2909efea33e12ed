#include "sim/SimSessionImage.h"

#include <cmath>

namespace arx::sim
{
namespace
{
void put32 (uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t) v;
    p[1] = (uint8_t) (v >> 8);
    p[2] = (uint8_t) (v >> 16);
    p[3] = (uint8_t) (v >> 24);
}

uint32_t get32 (const uint8_t* p)
{
    return (uint32_t) p[0] | ((uint32_t) p[1] << 8) | ((uint32_t) p[2] << 16) | ((uint32_t) p[3] << 24);
}

constexpr uint32_t unityGain = 0x01000000;

// The channel's place in its input group; past the last group, its own number.
int indexInGroup (const SimProfile& p, int channel)
{
    int first = 0;
    for (const auto& group : p.inputGroups)
    {
        if (channel < first + group.channels)
            return channel - first;
        first += group.channels;
    }
    return channel;
}
} // namespace

uint32_t SimSessionImage::crc32 (const uint8_t* data, size_t length, uint32_t crc)
{
    static const auto table = [] {
        std::vector<uint32_t> t (256);
        for (uint32_t i = 0; i < 256; ++i)
        {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();

    crc = ~crc;
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t SimSessionImage::crcOf (const uint8_t* image) { return crc32 (image + 8, bytes - 8); }

bool SimSessionImage::isValid (const uint8_t* image)
{
    return get32 (image) == quadlets && get32 (image + 4) == crcOf (image);
}

std::vector<uint8_t> SimSessionImage::factory (const SimProfile& p)
{
    std::vector<uint8_t> image (bytes, 0);
    auto* d = image.data();
    put32 (d, quadlets);
    put32 (d + 8, version);
    put32 (d + flagsAt, 1u << 30); // automatic guitar charging on
    put32 (d + clockSourceAt, 0);
    put32 (d + sampleRateAt, 48000);

    constexpr int n = 40;
    for (int i = 0; i < n; ++i)
    {
        for (int o = 0; o < n; ++o)
        {
            put32 (d + monitorGainAt + 4 * (uint32_t) (n * i + o), unityGain);
            d[monitorFlagsAt + (uint32_t) (n * i + o)] = 1; // muted unless analog pass-through below
        }
        put32 (d + playbackGainAt + 4 * (uint32_t) i, unityGain);
        put32 (d + outputGainAt + 4 * (uint32_t) i, unityGain);
    }

    // Analog input pairs reach the analog output pair of the same number.
    for (int i = 0; i < n; ++i)
    {
        const int pair = i & ~1;
        if (p.inputKind (pair) == 0 && p.outputKind (pair) == 0)
        {
            d[monitorFlagsAt + (uint32_t) (n * i + pair)] = 0;
            d[monitorFlagsAt + (uint32_t) (n * i + pair + 1)] = 0;
        }
    }

    // The first channel of each pair in its group left, the second right; guitar, piezo and
    // strings centred.
    for (int i = 0; i < n; ++i)
    {
        const auto kind = p.inputKind (i);
        const uint8_t pan = (kind == 7 || kind == 8 || kind == 9) ? 128 : ((indexInGroup (p, i) & 1) ? 255 : 0);
        for (int o = 0; o < n; ++o)
            d[monitorPanAt + (uint32_t) (n * i + o)] = pan;
    }

    put32 (d + guitarSettingAt, 300);
    put32 (d + 4, crcOf (d));
    return image;
}

} // namespace arx::sim
