#pragma once

// The device's firmware as it lies in flash, and the lab's firmware files.
//
// Each image sits at a fixed address, padded to a fixed length: its last quad is an end mark
// and the quad before it the image's version. At power-up the device reads the version of
// every image whose end mark is intact; an image without it (blank, or cut short by an update
// that did not finish) leaves the device running backup code, which reports itself with build
// kind 14. A new flash part comes programmed with the profile's versions.
//
// The image data is generated from the image's name and version, so that a DAT file written by
// the generator for the version already in flash holds exactly what the flash holds. The
// generator is a lab tool: its files exercise the console's update, they are not firmware.

#include "sim/SimFlash.h"
#include "sim/SimProfiles.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

namespace arx::sim
{

struct SimImageLayout
{
    const char* name;      // the DAT file's name without extension
    uint32_t type;         // DAT header type: 1 ARM code, 3 FPGA
    uint32_t address;      // byte address in flash
    uint32_t dataQuads;    // quads the DAT file carries
    uint32_t paddedQuads;  // quads in flash after padding
    uint32_t SimProfile::*version; // the description field that reports it
};

class SimFirmware
{
public:
    static constexpr uint32_t endMark = 0x41525845; // "ARXE"
    static constexpr uint32_t backupBuildKind = 0xE;

    // The ARX's images in flashing order: ARM code, then the FPGA.
    static const std::vector<SimImageLayout>& images();
    static const SimImageLayout* findImage (const juce::String& name);

    // The image as it lies in flash: data, erased padding, version, end mark.
    static std::vector<uint32_t> flashQuads (const SimImageLayout& layout, uint32_t version);

    // Factory programming of a new part: every image with the profile's version.
    static void programFactoryImages (SimFlash& flash, const SimProfile& profile);

    // The version a device reads for an image at power-up, backup code when it is not intact.
    static uint32_t versionInFlash (const SimFlash& flash, const SimImageLayout& layout, uint32_t factoryVersion);

    // The profile as the device describes itself after power-up from this flash.
    static SimProfile poweredUp (const SimProfile& profile, const SimFlash& flash);

    //==============================================================================
    // Generator

    // A DAT file of the image with `version` (pad flag set, padded to the image's length).
    static juce::String datText (const SimImageLayout& layout, uint32_t version);
    // A DAT file of a header and data of one's own choice; the quad count is the data's.
    static juce::String datText (uint32_t type, uint32_t address, const std::vector<uint32_t>& data,
                                 uint32_t version = 0, uint32_t padTo = 0, uint32_t endQuad = endMark);

    // Writes "<name>.dat" for every image into `folder`; false when a file cannot be written.
    static bool writeDatFiles (const juce::File& folder, uint32_t version);
};

} // namespace arx::sim
