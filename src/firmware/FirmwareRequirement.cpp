#include "firmware/FirmwareRequirement.h"

#include "device/HardwareInfo.h"

namespace arx
{
namespace
{
// Rows for the models of the same hardware platform that this console never opens are not
// carried: only a device it serves can reach the lookup.
constexpr FirmwareRequirement requirements[] = {
    { 0x00075B, 0xAFB2, 0x05020000, 2, { "arxarm", "arxfpga" } },
};
} // namespace

const FirmwareRequirement* FirmwareRequirement::find (uint32_t vendorId, uint32_t hwType) noexcept
{
    for (auto& row : requirements)
        if (row.vendor == vendorId && row.model == hwType)
            return &row;
    return nullptr;
}

const FirmwareRequirement* FirmwareRequirement::find (const HardwareInfo& info) noexcept
{
    return find (info.vendorId(), info.hwType());
}

juce::File FirmwareRequirement::programFolder()
{
    return juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory();
}

juce::File FirmwareRequirement::imageFile (const juce::String& name, const juce::File& folder)
{
    return (folder == juce::File() ? programFolder() : folder).getChildFile (name + ".dat");
}

} // namespace arx
