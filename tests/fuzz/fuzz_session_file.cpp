// The session file loader on arbitrary bytes: once as they come, and once laid over a valid file
// of the device (in either byte order) from an offset the input picks. A state that took the
// file is then read back value by value, over every channel the state holds.

#include "device/HardwareInfo.h"
#include "unit/test_session_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace
{

arx::test::LabDevice& lab()
{
    static arx::test::LabDevice device;
    return device;
}

const juce::MemoryBlock& validFile (bool bigEndian)
{
    static const auto little = []
    {
        arx::ConsoleState state (lab().device.get());
        arx::test::fillState (state, 1);
        return arx::SessionFile::encode (state);
    }();
    static const auto big = arx::test::toBigEndian (little);
    return bigEndian ? big : little;
}

uint64_t readBack (const arx::ConsoleState& state)
{
    uint64_t sink = state.inputGangs() + state.playbackGangs() + state.outputGangs() + state.sessionHeaderWord();
    for (int c = 0; c < arx::ConsoleState::maxChannels; ++c)
    {
        sink += (uint64_t) (state.inputAlias (c).length() + state.playbackAlias (c).length() + state.outputAlias (c).length());
        sink += (uint64_t) state.isInputGanged (c) + (uint64_t) state.isPlaybackGanged (c) + (uint64_t) state.isOutputGanged (c);
        sink += (uint64_t) state.playbackMute (c) + (uint64_t) state.playbackSolo (c) + (uint64_t) state.outputMute (c);
        sink += (uint64_t) (state.playbackGain (c) + state.outputGain (c) > 0.0f);
        for (int o = 0; o < arx::ConsoleState::maxChannels; ++o)
            sink += (uint64_t) state.monitorMute (c, o) + (uint64_t) state.monitorSolo (c, o)
                    + (uint64_t) (state.monitorPan (c, o) + state.monitorGain (c, o) > 0.0f);
    }
    const auto& image = state.image();
    sink += (uint64_t) arx::HardwareInfo::clockName ((int) image.clockSource).length();
    sink += (uint64_t) state.info()->playbackCount ((int) image.sampleRate);
    sink += state.guitarSetting() + (uint64_t) state.guitarEnabled();
    return sink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    volatile uint64_t sink = 0;
    {
        arx::ConsoleState state (lab().device.get());
        if (arx::SessionFile::decode (state, data, size) == arx::SessionMessage::none)
            sink = sink + readBack (state);
    }
    if (size < 3)
        return 0;

    auto file = validFile ((data[0] & 1) != 0);
    const size_t at = ((size_t (data[1]) << 8) | data[2]) % file.getSize();
    const size_t count = std::min (size - 3, file.getSize() - at);
    std::memcpy (static_cast<uint8_t*> (file.getData()) + at, data + 3, count);

    arx::ConsoleState state (lab().device.get());
    if (arx::SessionFile::decode (state, file.getData(), file.getSize()) == arx::SessionMessage::none)
        sink = sink + readBack (state);
    return 0;
}
