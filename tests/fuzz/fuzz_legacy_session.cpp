// The legacy session loader on arbitrary bytes: once as they come, and once laid over a valid
// legacy file from an offset the input picks, on the model's own 13-input device or on one with
// forty inputs and outputs, more than the file has records for.

#include "unit/test_session_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace
{

arx::test::LabDevice& lab (bool wide)
{
    static arx::test::LabDevice model;
    static arx::test::LabDevice forty (arx::test::profileWith ([] (arx::sim::SimProfile& p) {
        p.inputGroups = { { 0, 20 }, { 1, 20 } };
        p.outputGroups = { { 0, 20 }, { 1, 20 } };
    }));
    return wide ? forty : model;
}

uint64_t readBack (const arx::ConsoleState& state)
{
    uint64_t sink = state.inputGangs() + state.playbackGangs() + state.outputGangs() + state.image().flags;
    for (int c = 0; c < arx::ConsoleState::maxChannels; ++c)
    {
        sink += (uint64_t) (state.inputAlias (c).length() + state.playbackAlias (c).length() + state.outputAlias (c).length());
        for (int o = 0; o < arx::ConsoleState::maxChannels; ++o)
            sink += state.image().monitorGain[c][o] + (uint64_t) state.monitorMute (c, o) + (uint64_t) state.monitorSolo (c, o);
    }
    return sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static const auto valid = arx::test::legacyFile();
    volatile uint64_t sink = 0;

    if (size < 3)
        return 0;

    const bool wide = (data[0] & 1) != 0;
    {
        arx::ConsoleState state (lab (wide).device.get());
        if (arx::LegacySessionFile::decode (state, data, size) == arx::SessionMessage::none)
            sink = sink + readBack (state);
    }

    auto file = valid;
    const size_t at = ((size_t (data[1]) << 8) | data[2]) % file.getSize();
    const size_t count = std::min (size - 3, file.getSize() - at);
    std::memcpy (static_cast<uint8_t*> (file.getData()) + at, data + 3, count);

    arx::ConsoleState state (lab (wide).device.get());
    if (arx::LegacySessionFile::decode (state, file.getData(), file.getSize()) == arx::SessionMessage::none)
        sink = sink + readBack (state);
    return 0;
}
