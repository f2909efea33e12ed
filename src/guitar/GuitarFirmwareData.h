#pragma once

// The guitar's firmware file, "guitar_body.pt2" next to the program: a target byte, a name in
// UTF-16 (big-endian) that ends with a zero unit, three big-endian words (start, second word,
// data length) and the data. Every length in it is checked against the bytes the file holds.
//
// Threads: any; one object is used by one thread at a time.

#include <juce_core/juce_core.h>

#include <cstdint>

namespace arx
{

class GuitarFirmwareData
{
public:
    static constexpr int64_t minFileBytes = 32;
    static constexpr int64_t maxFileBytes = 131072;
    static constexpr uint32_t packetBytes = 64;
    static constexpr uint8_t maxTarget = 9; // packets carry the target as one digit

    // The file in `folder`, or next to the program when none is given.
    static juce::File file (const juce::File& folder = {});

    // Reads and parses the file; `ok` is set only when both succeeded, `error` says why not.
    GuitarFirmwareData (const juce::File& file, bool& ok, juce::String& error);
    // Parses the bytes of a file already read.
    GuitarFirmwareData (const void* bytes, size_t size, bool& ok, juce::String& error);

    const juce::MemoryBlock& data() const noexcept { return bytes; }
    uint8_t target() const noexcept { return targetByte; }
    const juce::String& name() const noexcept { return nameText; }
    uint32_t startWord() const noexcept { return start; }
    uint32_t secondWord() const noexcept { return second; }
    uint32_t length() const noexcept { return dataLength; }

private:
    bool parse (const uint8_t* file, size_t size, juce::String& error);

    juce::MemoryBlock bytes;
    uint8_t targetByte = 0;
    juce::String nameText;
    uint32_t start = 0, second = 0, dataLength = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuitarFirmwareData)
};

} // namespace arx
