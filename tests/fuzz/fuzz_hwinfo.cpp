// The description decoder on arbitrary registry values, then every accessor.

#include "device/HardwareInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    arx::HardwareInfo info;
    if (! info.decode (data, size))
        return 0;

    volatile uint64_t sink = info.vendorId() + info.guid() + info.hwType() + info.hwVersion();
    sink = sink + (uint64_t) info.modelName().length();
    sink = sink + (uint64_t) info.inputCount() + (uint64_t) info.outputCount();
    for (int rate : { 44100, 50000, 50001, 96000, 100001, 192000 })
        sink = sink + (uint64_t) info.playbackCount (rate);

    for (int g = -1; g <= arx::HardwareInfo::maxGroups + 1; ++g)
    {
        sink = sink + (uint64_t) info.inputGroupChannels (g) + (uint64_t) info.outputGroupChannels (g);
        sink = sink + (uint64_t) (info.inputGroupName (g).length() + info.inputGroupShortName (g).length());
        sink = sink + (uint64_t) (info.outputGroupName (g).length() + info.outputGroupShortName (g).length());
    }
    for (int ch = -1; ch <= arx::HardwareInfo::maxMappedChannels; ++ch)
    {
        sink = sink + (uint64_t) info.inputKind (ch) + (uint64_t) info.inputGroupOf (ch)
               + (uint64_t) info.inputIndexInGroup (ch);
        sink = sink + (uint64_t) info.outputKind (ch) + (uint64_t) info.outputGroupOf (ch)
               + (uint64_t) info.outputIndexInGroup (ch);
    }
    for (int source = -1; source <= 33; ++source)
        sink = sink + (uint64_t) info.clockAvailable (source) + (uint64_t) arx::HardwareInfo::clockName (source).length();

    sink = sink + (uint64_t) info.hasSpdifOutput() + (uint64_t) info.hasExternalClocks();
    sink = sink + info.minSampleRate() + info.maxSampleRate() + (uint64_t) info.noFlashLock() + (uint64_t) info.hasFpga();
    sink = sink + (uint64_t) arx::HardwareInfo::versionText (info.dspVersion()).length();
    sink = sink + (uint64_t) arx::HardwareInfo::versionText (info.armVersion()).length();
    sink = sink + (uint64_t) arx::HardwareInfo::versionText (info.fpgaVersion()).length();
    (void) sink;
    return 0;
}
