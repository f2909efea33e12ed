#pragma once

// Session files for tests: a scratch folder, states full of distinct values, the big-endian
// form of a saved file and a legacy file with a recognisable pattern.

#include "console/ConsoleState.h"
#include "session/LegacySessionFile.h"
#include "session/SessionFile.h"
#include "test_console_fixture.h"

#include <cstring>
#include <ostream>

namespace arx
{
// gtest shows a message by its text.
inline void PrintTo (SessionMessage message, std::ostream* os)
{
    *os << '"' << sessionMessageText (message) << '"';
}
} // namespace arx

namespace arx::test
{

struct ScratchFolder
{
    ScratchFolder() { folder.createDirectory(); }
    ~ScratchFolder() { folder.deleteRecursively(); }

    juce::File file (const juce::String& name) const { return folder.getChildFile (name); }

    const juce::File folder = juce::File::createTempFile ("arx-sessions");
};

// Every byte of the image from `seed`, then a valid length and version; gangs and word 10 too.
inline void fillState (ConsoleState& state, int seed)
{
    juce::Random random (seed);
    auto* bytes = state.image().bytes();
    for (size_t i = 0; i < SessionImage::byteCount; ++i)
        bytes[i] = (uint8_t) random.nextInt (256);

    state.image().imageLength = SessionImage::quadletCount;
    state.image().imageVersion = SessionImage::writeBackVersion;
    state.setInputGangs ((uint32_t) random.nextInt());
    state.setPlaybackGangs ((uint32_t) random.nextInt());
    state.setOutputGangs ((uint32_t) random.nextInt());
    state.setSessionHeaderWord ((uint32_t) random.nextInt());
}

inline bool sameSession (const ConsoleState& a, const ConsoleState& b)
{
    return std::memcmp (a.image().bytes(), b.image().bytes(), SessionImage::byteCount) == 0
           && a.inputGangs() == b.inputGangs() && a.playbackGangs() == b.playbackGangs()
           && a.outputGangs() == b.outputGangs() && a.sessionHeaderWord() == b.sessionHeaderWord();
}

// The file as a big-endian machine would have written it: every header word and every image
// word below the byte records reversed.
inline juce::MemoryBlock toBigEndian (const juce::MemoryBlock& file)
{
    juce::MemoryBlock swapped (file);
    auto* words = static_cast<uint32_t*> (swapped.getData());
    const size_t count = (SessionFile::headerBytes + SessionFile::imageWordBytes) / 4;
    for (size_t w = 0; w < count; ++w)
        words[w] = juce::ByteOrder::swap (words[w]);
    return swapped;
}

inline void putWord (juce::MemoryBlock& block, size_t offset, uint32_t value)
{
    const auto le = juce::ByteOrder::swapIfBigEndian (value);
    std::memcpy (static_cast<uint8_t*> (block.getData()) + offset, &le, 4);
}

// A legacy file whose every byte is (offset * 7 + 1) & 0xFF, with valid length and version words.
inline juce::MemoryBlock legacyFile()
{
    juce::MemoryBlock file (LegacySessionFile::fileBytes);
    auto* bytes = static_cast<uint8_t*> (file.getData());
    for (size_t i = 0; i < file.getSize(); ++i)
        bytes[i] = (uint8_t) (i * 7 + 1);
    putWord (file, 0, LegacySessionFile::lengthWords);
    putWord (file, 36, LegacySessionFile::fileVersion);
    return file;
}

inline sim::PlugOptions profileWith (std::function<void (sim::SimProfile&)> change)
{
    sim::PlugOptions options;
    options.hwinfoOverride = hwinfoWith (std::move (change));
    return options;
}

} // namespace arx::test
