#include "session/LegacySessionFile.h"

#include <cstring>

namespace arx
{

namespace
{
// Offsets in the file.
constexpr size_t versionAt = 36;
constexpr size_t flagsAt = 40;
constexpr size_t inputRecordsAt = 44;
constexpr size_t monitorBlocksAt = 620;
constexpr size_t monitorBlockBytes = 192;
constexpr size_t monitorPairRecordBytes = 16;
constexpr size_t inputGangsAt = 5228;
constexpr size_t inputGangRecordBytes = 12;
constexpr size_t playbackRecordsAt = 5516;
constexpr size_t playbackGangsAt = 6188;
constexpr size_t outputRecordsAt = 6200;
constexpr size_t outputGangsAt = 6872;
constexpr size_t channelRecordBytes = 28; // gain, mute, solo, 22-byte name
constexpr size_t imageWord4At = 6884;
constexpr size_t clockSourceAt = 6892;
constexpr size_t sampleRateAt = 6896;

uint32_t wordAt (const uint8_t* bytes, size_t offset) noexcept
{
    return juce::ByteOrder::littleEndianInt (bytes + offset);
}

void setBit (uint8_t& flags, uint8_t bit, bool on) noexcept
{
    flags = on ? uint8_t (flags | bit) : uint8_t (flags & ~bit);
}

// Mute and the first 21 name bytes of a 28-byte record; the name stays terminated.
void takeChannel (ChannelRecord& record, const uint8_t* source) noexcept
{
    record.mute = source[4];
    std::memcpy (record.alias, source + 6, ChannelRecord::maxAliasLength);
    record.alias[ChannelRecord::maxAliasLength] = 0;
}
} // namespace

bool LegacySessionFile::appliesTo (uint32_t hwType, const juce::File& file)
{
    return hwType == modelWithLegacyFiles && file.getFileExtension() == extension;
}

SessionMessage LegacySessionFile::load (ConsoleState& state, const juce::File& file)
{
    juce::FileInputStream in (file);

    if (in.failedToOpen() || in.getTotalLength() != (juce::int64) fileBytes)
        return SessionMessage::unableToOpen;

    juce::MemoryBlock bytes (fileBytes);

    if (in.read (bytes.getData(), (int) fileBytes) != (int) fileBytes)
        return SessionMessage::wrongSize;

    return take (state, static_cast<const uint8_t*> (bytes.getData()));
}

SessionMessage LegacySessionFile::decode (ConsoleState& state, const void* data, size_t size)
{
    if (data == nullptr || size != fileBytes)
        return SessionMessage::unableToOpen;

    return take (state, static_cast<const uint8_t*> (data));
}

SessionMessage LegacySessionFile::take (ConsoleState& state, const uint8_t* bytes)
{
    auto message = SessionMessage::none;

    if (wordAt (bytes, 0) != lengthWords)
        message = SessionMessage::dataInvalid;

    if (wordAt (bytes, versionAt) != fileVersion)
        message = SessionMessage::wrongVersion;

    if (message != SessionMessage::none)
        return message;

    const int inputs = juce::jmin (state.inputCount(), maxInputs);
    const int outputs = juce::jmin (state.outputCount(), maxOutputs);
    auto& image = state.image();

    for (int i = 0; i < inputs; ++i)
    {
        auto& record = image.inputChannel[i];
        std::memcpy (&record, bytes + inputRecordsAt + sizeof (ChannelRecord) * size_t (i), sizeof (ChannelRecord));
        record.alias[ChannelRecord::maxAliasLength] = 0;
    }

    takeMonitor (image, bytes, inputs, outputs);

    // The odd channel of a pair decides its gang bit.
    for (int i = 0; i < inputs; ++i)
        state.setInputGang (i, bytes[inputGangsAt + inputGangRecordBytes * size_t (i)] != 0);

    takeOutputs (state, bytes, outputs);

    image.flags = wordAt (bytes, flagsAt);
    image.reserved4to5[0] = wordAt (bytes, imageWord4At);
    image.clockSource = wordAt (bytes, clockSourceAt);
    image.sampleRate = wordAt (bytes, sampleRateAt);

    state.markImageReplaced();
    return SessionMessage::none;
}

void LegacySessionFile::takeMonitor (SessionImage& image, const uint8_t* bytes, int inputs, int outputs) noexcept
{
    // One record per output pair, written into the pair's even output only.
    for (int i = 0; i < inputs; ++i)
    {
        const auto* block = bytes + monitorBlocksAt + monitorBlockBytes * size_t (i);

        for (int c = 0; c < outputs; c += 2)
        {
            const auto* pair = block + monitorPairRecordBytes * size_t (c / 2);
            image.monitorGain[i][c] = wordAt (pair, 0);
            image.monitorPan[i][c] = pair[4];
            setBit (image.monitorFlags[i][c], SessionImage::monitorSoloBit, pair[5] != 0);
            setBit (image.monitorFlags[i][c], SessionImage::monitorMuteBit, pair[6] != 0);
        }
    }
}

void LegacySessionFile::takeOutputs (ConsoleState& state, const uint8_t* bytes, int outputs) noexcept
{
    auto& image = state.image();

    for (int o = 0; o < outputs; ++o)
    {
        const auto* playback = bytes + playbackRecordsAt + channelRecordBytes * size_t (o);
        const auto* output = bytes + outputRecordsAt + channelRecordBytes * size_t (o);

        image.playbackGain[o] = wordAt (playback, 0);
        image.outputGain[o] = wordAt (output, 0);
        takeChannel (image.playbackChannel[o], playback); // its solo byte stays
        takeChannel (image.outputChannel[o], output);
        image.outputChannel[o].solo = output[5];

        // The gang tables hold fewer entries than there are records: the later channel of a
        // pair decides, and channels past a table keep their bit.
        if (o < gangTableBytes)
        {
            state.setPlaybackGang (o, bytes[playbackGangsAt + size_t (o)] != 0);
            state.setOutputGang (o, bytes[outputGangsAt + size_t (o)] != 0);
        }
    }
}

} // namespace arx
