// The guitar firmware file parser on arbitrary files: what it accepts has a target digit, at
// least one whole packet and exactly the data it claims, and every packet of it can be built.

#include "guitar/GuitarFirmwareData.h"
#include "guitar/GuitarPacket.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    bool ok = false;
    juce::String error;
    arx::GuitarFirmwareData firmware (data, size, ok, error);
    if (! ok)
        return error.isEmpty() ? (__builtin_trap(), 0) : 0;

    if (firmware.target() > arx::GuitarFirmwareData::maxTarget || firmware.length() < arx::GuitarPacket::dataBytes
        || firmware.data().getSize() != firmware.length() || firmware.length() > size)
        __builtin_trap();

    volatile uint32_t sink = (uint32_t) firmware.name().length();
    const auto* bytes = static_cast<const uint8_t*> (firmware.data().getData());
    const auto packets = firmware.length() / arx::GuitarPacket::dataBytes;
    for (uint32_t i = 0; i < packets; ++i)
        sink = sink ^ arx::GuitarPacket::make (firmware.target(), (uint16_t) i, bytes + i * arx::GuitarPacket::dataBytes)[76];
    (void) sink;
    return 0;
}
