#pragma once

// One firmware image read from a DAT file: five magic numbers, then hexadecimal quads, the first
// 64 of them the header that says where in flash the data goes. Loading runs every check in a
// fixed order and stops at the first that fails, with the text the user is shown.
//
// Threads: used by one thread at a time (the flash thread).

#include "device/FlashLayout.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <vector>

namespace arx
{

class DatImage
{
public:
    static constexpr int headerQuads = 64;
    static constexpr int maxDataQuads = 98304;
    static constexpr int maxQuads = headerQuads + maxDataQuads;
    static constexpr uint32_t flashBytes = FlashLayout::bytes;

    // Header quads
    enum HeaderField
    {
        typeField = 0,
        startAddressField = 1,
        quadCountField = 2,
        endQuadField = 3,
        versionField = 5,
        padFlagField = 6,
        paddedLengthField = 7
    };

    enum Type : uint32_t
    {
        dspCode = 0,
        armCode = 1,
        unnamedCode = 2,
        fpga = 3
    };

    DatImage();

    // Reads and checks the file. On failure `error` holds the message and the image is unusable.
    bool load (const juce::File& file, juce::String& error);
    // The same for a file's bytes already in memory; `path` names it in the messages.
    bool parse (const void* data, size_t size, const juce::String& path, juce::String& error);

    uint32_t header (HeaderField field) const noexcept { return quads[(size_t) field]; }
    uint32_t type() const noexcept { return header (typeField); }
    uint32_t startAddress() const noexcept { return header (startAddressField); }
    uint32_t version() const noexcept { return header (versionField); }

    // Data quads to flash, after padding.
    int quadCount() const noexcept { return (int) dataQuads; }
    const uint32_t* data() const noexcept { return quads.data() + headerQuads; }
    // Values read from the file, header included.
    int quadTotal() const noexcept { return total; }

    // The line shown under the progress bar: empty for images of 2048 quads or fewer.
    juce::String description() const;
    // Progress per quad handled: 1 / quad count.
    float progressStep() const noexcept { return 1.0f / (float) dataQuads; }

private:
    bool readMagic (const char*& text, const juce::String& path, juce::String& error);
    bool readValues (const char*& text, const juce::String& path, juce::String& error);
    bool checkHeader (const juce::String& path, juce::String& error) const;
    bool pad (const juce::String& path, juce::String& error);

    std::vector<uint32_t> quads;
    int total = 0;
    uint32_t dataQuads = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DatImage)
};

} // namespace arx
