#include "mixer/strips/OutputNames.h"

#include "device/HardwareInfo.h"

namespace arx::outputnames
{

namespace
{
constexpr int headphonesKind = 5;

// `prefix` with the short name of the channel's group and its number within the group; a
// channel that no group holds counts from the first channel.
juce::String groupedName (const HardwareInfo* info, int channel, const char* prefix)
{
    if (isPlainStereo (info))
        return (channel & 1) == 0 ? "Left" : "Right";

    const int group = info != nullptr ? info->outputGroupOf (channel) : HardwareInfo::unmapped;
    if (group == HardwareInfo::unmapped)
        return prefix + juce::String (channel + 1);
    return prefix + info->outputGroupShortName (group) + juce::String (info->outputIndexInGroup (channel) + 1);
}
} // namespace

bool isPlainStereo (const HardwareInfo* info) noexcept
{
    return info != nullptr && info->outputGroupCount() == 1 && info->outputGroupChannels (0) == 2;
}

juce::String kindTitle (const HardwareInfo* info, int output)
{
    const int kind = info != nullptr ? info->outputKind (output) : -1;
    if (kind == 0)
        return "ANALOG";
    if (kind >= 1 && kind <= 3)
        return "DIGITAL";
    if (kind == headphonesKind)
        return "HEADPHONES";
    return "OUTPUT";
}

juce::String defaultOutputName (const HardwareInfo* info, int output)
{
    return groupedName (info, output, "Out ");
}

juce::String defaultPlaybackName (const HardwareInfo* info, int channel)
{
    return groupedName (info, channel, "Play ");
}

} // namespace arx::outputnames
