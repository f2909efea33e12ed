#pragma once

// The session file: a 64-byte header that ties the file to the device model, followed by the
// session image, in little-endian 32-bit words. Files written big-endian are read too (the
// magic tells), and a file for another device, another image length or a newer version is
// refused with the console state untouched.
//
// Threads: message thread (whole-image operations, see ConsoleState).

#include "console/ConsoleState.h"
#include "session/SessionMessage.h"

#include <juce_core/juce_core.h>

namespace arx
{

class SessionFile
{
public:
    static constexpr size_t headerBytes = sizeof (SessionHeader);
    static constexpr size_t fileBytes = ConsoleState::sessionFileSize;
    // Image bytes below this offset are 32-bit words (byte-swapped in a big-endian file); the
    // byte records after them never are.
    static constexpr size_t imageWordBytes = SessionImage::reversedRegionStart;
    static constexpr uint32_t newestImageVersion = 512;
    static constexpr int writeBufferBytes = 32768;

    // The file's bytes for the state as it stands: the header, then the image as it lies in
    // memory (its CRC word as the state holds it).
    static juce::MemoryBlock encode (const ConsoleState& state);

    // Writes a temporary file next to `target`, flushes it, reads it back, then renames it over
    // `target`; whatever fails, `target` is left as it was.
    static SessionMessage save (const ConsoleState& state, const juce::File& target);

    // Reads `file` and, if every check passes, takes its gang masks, header word 10 and image
    // into `state` (which then counts as whole for the write-back to the device).
    static SessionMessage load (ConsoleState& state, const juce::File& file);

    // load's checks on the bytes of a file already in memory.
    static SessionMessage decode (ConsoleState& state, const void* data, size_t size);

private:
    static SessionMessage take (ConsoleState& state, const uint8_t* headerData, const uint8_t* imageData);
    static SessionMessage writeAndCheck (const juce::File& temporary, const juce::MemoryBlock& bytes);
};

} // namespace arx
