#pragma once

// Which firmware each supported device model must at least run, and the DAT files that make it
// up, in flashing order. The files lie next to the program: "<name>.dat" in the folder of the
// running executable, and nowhere else.

#include <juce_core/juce_core.h>

#include <cstdint>

namespace arx
{

class HardwareInfo;

struct FirmwareRequirement
{
    static constexpr int maxImages = 4;

    uint32_t vendor;          // 24-bit vendor identifier
    uint32_t model;           // the description's hardware type
    uint32_t requiredVersion; // the lowest acceptable version word
    int imageCount;
    const char* images[maxImages];

    // The first row for the device's vendor and model; null when the model has no requirement.
    static const FirmwareRequirement* find (uint32_t vendorId, uint32_t hwType) noexcept;
    static const FirmwareRequirement* find (const HardwareInfo& info) noexcept;

    // The DAT file of an image: in `folder`, or next to the program when none is given.
    static juce::File imageFile (const juce::String& name, const juce::File& folder = {});
    static juce::File programFolder();
};

} // namespace arx
