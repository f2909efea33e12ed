// The DAT parser on arbitrary files: what it accepts must lie inside the image buffer and the
// flash, padding included, and every accepted quad is read.

#include "firmware/DatImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static arx::DatImage image; // its buffer is large: one for the whole run
    juce::String error;
    if (! image.parse (data, size, "fuzz.dat", error))
        return error.isEmpty() ? (__builtin_trap(), 0) : 0;

    const auto quads = (uint64_t) image.quadCount();
    if (quads == 0 || quads > (uint64_t) arx::DatImage::maxDataQuads
        || image.startAddress() + 4 * quads > arx::DatImage::flashBytes)
        __builtin_trap();

    volatile uint32_t sink = 0;
    for (uint64_t q = 0; q < quads; ++q)
        sink = sink ^ image.data()[q];
    sink = sink + (uint32_t) image.description().length() + (uint32_t) (image.progressStep() > 0.0f);
    (void) sink;
    return 0;
}
