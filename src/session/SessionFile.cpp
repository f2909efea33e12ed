#include "session/SessionFile.h"

#include <cstring>
#include <memory>

namespace arx
{

namespace
{
void swapWords (uint32_t* words, size_t count) noexcept
{
    for (size_t i = 0; i < count; ++i)
        words[i] = juce::ByteOrder::swap (words[i]);
}
} // namespace

juce::MemoryBlock SessionFile::encode (const ConsoleState& state)
{
    SessionHeader header;
    state.fillSessionHeader (header);

    juce::MemoryBlock bytes (fileBytes);
    auto* out = static_cast<uint8_t*> (bytes.getData());

    for (size_t w = 0; w < header.size(); ++w)
    {
        const auto word = juce::ByteOrder::swapIfBigEndian (header[w]);
        std::memcpy (out + 4 * w, &word, 4);
    }

    std::memcpy (out + headerBytes, state.image().bytes(), SessionImage::byteCount);
    return bytes;
}

//==============================================================================
SessionMessage SessionFile::save (const ConsoleState& state, const juce::File& target)
{
    if (target.isDirectory())
        return SessionMessage::unableToErase;

    const juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);
    const auto written = writeAndCheck (temporary.getFile(), encode (state));

    if (written != SessionMessage::none)
    {
        // A folder that refuses new files would have refused to give up the old one too.
        if (written == SessionMessage::unableToOpen && target.exists())
            return SessionMessage::unableToErase;

        return written;
    }

    if (! temporary.overwriteTargetFileWithTemporary())
        return target.exists() ? SessionMessage::unableToErase : SessionMessage::unableToWrite;

    return SessionMessage::none;
}

SessionMessage SessionFile::writeAndCheck (const juce::File& temporary, const juce::MemoryBlock& bytes)
{
    {
        juce::FileOutputStream out (temporary, writeBufferBytes);

        if (out.failedToOpen())
            return SessionMessage::unableToOpen;

        const auto* data = static_cast<const uint8_t*> (bytes.getData());

        if (! out.write (data, headerBytes) || ! out.write (data + headerBytes, SessionImage::byteCount))
            return SessionMessage::unableToWrite;

        out.flush(); // also to the disk

        if (out.getStatus().failed())
            return SessionMessage::unableToWrite;
    }

    // What lies on the disk, not what the stream believes it wrote.
    juce::MemoryBlock readBack;
    if (! temporary.loadFileAsData (readBack) || readBack != bytes)
        return SessionMessage::unableToWrite;

    return SessionMessage::none;
}

//==============================================================================
SessionMessage SessionFile::load (ConsoleState& state, const juce::File& file)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen() || in.getTotalLength() != (juce::int64) fileBytes)
        return SessionMessage::unableToOpen;

    juce::MemoryBlock bytes (fileBytes);
    auto* data = static_cast<uint8_t*> (bytes.getData());

    if (in.read (data, (int) headerBytes) != (int) headerBytes
        || in.read (data + headerBytes, (int) SessionImage::byteCount) != (int) SessionImage::byteCount)
        return SessionMessage::headerTooSmall;

    return take (state, data, data + headerBytes);
}

SessionMessage SessionFile::decode (ConsoleState& state, const void* data, size_t size)
{
    if (data == nullptr || size != fileBytes)
        return SessionMessage::unableToOpen;

    const auto* bytes = static_cast<const uint8_t*> (data);
    return take (state, bytes, bytes + headerBytes);
}

SessionMessage SessionFile::take (ConsoleState& state, const uint8_t* headerData, const uint8_t* imageData)
{
    SessionHeader header;
    for (size_t w = 0; w < header.size(); ++w)
        header[w] = juce::ByteOrder::littleEndianInt (headerData + 4 * w);

    // The state is touched only once every check has passed.
    auto image = std::make_unique<SessionImage>();
    std::memcpy (image->bytes(), imageData, SessionImage::byteCount);

    if (juce::ByteOrder::swap (header[0]) == ConsoleState::sessionMagic)
    {
        swapWords (header.data(), header.size());
        swapWords (image->quadlets(), imageWordBytes / 4);
    }

    SessionHeader expected;
    state.fillSessionHeader (expected);

    for (size_t w = 0; w <= 4; ++w) // magic, length, vendor, model, hardware version
        if (header[w] != expected[w])
            return SessionMessage::headerInvalid;

    auto message = SessionMessage::none;

    if (image->imageLength != SessionImage::quadletCount)
        message = SessionMessage::dataInvalid;

    if (image->imageVersion > newestImageVersion)
        message = SessionMessage::wrongVersion;

    if (message != SessionMessage::none)
        return message;

    state.applySessionHeader (header);
    std::memcpy (state.image().bytes(), image->bytes(), SessionImage::byteCount);
    state.markImageReplaced();
    return SessionMessage::none;
}

} // namespace arx
