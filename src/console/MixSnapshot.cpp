#include "console/MixSnapshot.h"

#include "console/ConsoleState.h"

#include <cstddef>
#include <unordered_set>

namespace arx
{

namespace
{
// A word of the snapshot: an image quadlet (only the bits of `mask`) or a gang mask.
struct Place
{
    int quadlet; // < 0: gang mask (-1 inputs, -2 outputs, -3 playback)
    uint32_t mask;
};

constexpr int quadletOf (size_t byteOffset) noexcept { return int (byteOffset / 4); }

const std::vector<Place>& places()
{
    static const std::vector<Place> table = [] {
        std::vector<Place> t;
        const auto add = [&t] (size_t firstByte, size_t endByte) {
            for (int q = quadletOf (firstByte); q < quadletOf (endByte); ++q)
                t.push_back ({ q, ~0u });
        };
        t.push_back ({ quadletOf (offsetof (SessionImage, flags)),
                       SessionImage::flagSpdifFormat | SessionImage::flagGuitarAutoCharge });
        t.push_back ({ quadletOf (offsetof (SessionImage, clockSource)), ~0u });
        add (offsetof (SessionImage, monitorGain), offsetof (SessionImage, reserved1689to1827));
        add (offsetof (SessionImage, inputChannel), sizeof (SessionImage));
        t.push_back ({ -1, ~0u });
        t.push_back ({ -2, ~0u });
        t.push_back ({ -3, ~0u });
        return t;
    }();
    return table;
}

uint32_t read (const ConsoleState& state, const Place& p) noexcept
{
    switch (p.quadlet)
    {
        case -1: return state.inputGangs();
        case -2: return state.outputGangs();
        case -3: return state.playbackGangs();
        default: return state.image().quadlets()[p.quadlet] & p.mask;
    }
}

void write (ConsoleState& state, const Place& p, uint32_t value) noexcept
{
    switch (p.quadlet)
    {
        case -1: state.setInputGangs (value); break;
        case -2: state.setOutputGangs (value); break;
        case -3: state.setPlaybackGangs (value); break;
        default:
        {
            auto& word = state.image().quadlets()[p.quadlet];
            word = (word & ~p.mask) | (value & p.mask);
            break;
        }
    }
}

constexpr int channels = SessionImage::maxChannels;

MixChange pairChange (MixChange::Kind kind, size_t offsetInArray)
{
    return { kind, int (offsetInArray) / channels, int (offsetInArray) % channels };
}

// The place of a changed byte of the channel records and byte arrays; `bits` are the bits that
// changed in it.
MixChange recordChange (size_t byte, uint8_t bits)
{
    const auto within = [byte] (size_t start, size_t count) { return byte >= start && byte < start + count; };
    const auto recordOf = [byte] (size_t start) { return std::make_pair (int ((byte - start) / sizeof (ChannelRecord)),
                                                                         (byte - start) % sizeof (ChannelRecord)); };
    constexpr size_t records = channels * sizeof (ChannelRecord);
    constexpr size_t matrix = channels * channels;

    if (within (offsetof (SessionImage, monitorPan), matrix))
        return pairChange (MixChange::monitorPan, byte - offsetof (SessionImage, monitorPan));
    if (within (offsetof (SessionImage, monitorFlags), matrix))
        return pairChange ((bits & SessionImage::monitorSoloBit) != 0 ? MixChange::monitorSolo : MixChange::monitorMute,
                           byte - offsetof (SessionImage, monitorFlags));
    if (within (offsetof (SessionImage, inputChannel), records))
        return { MixChange::inputName, recordOf (offsetof (SessionImage, inputChannel)).first };

    const bool playback = within (offsetof (SessionImage, playbackChannel), records);
    const auto [channel, field] = recordOf (playback ? offsetof (SessionImage, playbackChannel)
                                                     : offsetof (SessionImage, outputChannel));
    if (field == offsetof (ChannelRecord, mute))
        return { playback ? MixChange::playbackMute : MixChange::outputMute, channel };
    if (field == offsetof (ChannelRecord, solo))
        return { playback ? MixChange::playbackSolo : MixChange::setting, channel };
    return { playback ? MixChange::playbackName : MixChange::outputName, channel };
}

MixChange quadletChange (int quadlet)
{
    const auto byte = size_t (quadlet) * 4;
    const auto gains = offsetof (SessionImage, monitorGain);
    if (byte >= gains && byte < offsetof (SessionImage, playbackGain))
        return pairChange (MixChange::monitorLevel, (byte - gains) / 4);
    if (byte >= offsetof (SessionImage, playbackGain) && byte < offsetof (SessionImage, outputGain))
        return { MixChange::playbackLevel, int ((byte - offsetof (SessionImage, playbackGain)) / 4) };
    if (byte >= offsetof (SessionImage, outputGain) && byte < offsetof (SessionImage, guitarSetting))
        return { MixChange::outputLevel, int ((byte - offsetof (SessionImage, outputGain)) / 4) };
    return { MixChange::setting };
}

bool isSettingQuadlet (int quadlet) noexcept
{
    const auto byte = size_t (quadlet) * 4;
    return quadlet >= 0
           && (byte == offsetof (SessionImage, flags) || byte == offsetof (SessionImage, clockSource)
               || byte == offsetof (SessionImage, guitarSetting));
}
} // namespace

//==============================================================================
MixSnapshot MixSnapshot::of (const ConsoleState& state)
{
    MixSnapshot s;
    const auto& table = places();
    s.words.reserve (table.size());
    for (const auto& p : table)
        s.words.push_back (read (state, p));
    return s;
}

MixDiff MixDiff::between (const MixSnapshot& before, const MixSnapshot& after)
{
    MixDiff d;
    for (size_t i = 0; i < before.words.size() && i < after.words.size(); ++i)
        if (before.words[i] != after.words[i])
            d.words.push_back ({ int (i), before.words[i], after.words[i] });
    return d;
}

void MixDiff::apply (ConsoleState& state, bool before) const
{
    const auto& table = places();
    for (const auto& w : words)
        write (state, table[size_t (w.slot)], before ? w.before : w.after);
}

void MixDiff::apply (MixSnapshot& snapshot, bool before) const
{
    for (const auto& w : words)
        if (size_t (w.slot) < snapshot.words.size())
            snapshot.words[size_t (w.slot)] = before ? w.before : w.after;
}

bool MixDiff::touchesSettings() const noexcept
{
    const auto& table = places();
    for (const auto& w : words)
        if (isSettingQuadlet (table[size_t (w.slot)].quadlet))
            return true;
    return false;
}

bool MixDiff::touches (size_t imageByte, uint32_t mask) const noexcept
{
    const auto& table = places();
    for (const auto& w : words)
        if (table[size_t (w.slot)].quadlet == quadletOf (imageByte) && ((w.before ^ w.after) & mask) != 0)
            return true;
    return false;
}

std::vector<MixChange> MixDiff::changes() const
{
    std::vector<MixChange> out;
    std::unordered_set<uint32_t> seen;
    const auto add = [&] (MixChange c) {
        if (seen.insert ((uint32_t (c.kind) << 16) | (uint32_t (c.a) << 8) | uint32_t (c.b)).second)
            out.push_back (c);
    };

    const auto& table = places();
    const auto firstRecordQuadlet = quadletOf (offsetof (SessionImage, inputChannel));
    for (const auto& w : words)
    {
        const auto q = table[size_t (w.slot)].quadlet;
        if (q < 0)
        {
            add ({ MixChange::gangs, -q - 1 });
        }
        else if (q < firstRecordQuadlet)
        {
            add (quadletChange (q));
        }
        else
        {
            // Byte records lie in memory order: each changed byte names its own place.
            for (int k = 0; k < 4; ++k)
            {
                const auto bits = uint8_t (((w.before ^ w.after) >> (8 * k)) & 0xff);
                // A monitor flags byte may carry a mute and a solo change at once.
                for (const auto part : { uint8_t (bits & SessionImage::monitorMuteBit),
                                         uint8_t (bits & ~SessionImage::monitorMuteBit) })
                    if (part != 0)
                        add (recordChange (size_t (q) * 4 + size_t (k), part));
            }
        }
    }
    return out;
}

MixDiff MixDiff::only (const std::function<bool (const MixChange&)>& keep) const
{
    MixDiff part;
    const auto& table = places();
    const auto firstRecordQuadlet = quadletOf (offsetof (SessionImage, inputChannel));
    for (const auto& w : words)
    {
        const auto q = table[size_t (w.slot)].quadlet;
        uint32_t mask = 0;
        if (q < 0)
            mask = keep ({ MixChange::gangs, -q - 1 }) ? ~0u : 0u;
        else if (q < firstRecordQuadlet)
            mask = keep (quadletChange (q)) ? ~0u : 0u;
        else
            for (int k = 0; k < 4; ++k)
            {
                const auto bits = uint8_t (((w.before ^ w.after) >> (8 * k)) & 0xff);
                if (bits != 0 && keep (recordChange (size_t (q) * 4 + size_t (k), bits)))
                    mask |= 0xffu << (8 * k);
            }

        const auto after = (w.before & ~mask) | (w.after & mask);
        if (after != w.before)
            part.words.push_back ({ w.slot, w.before, after });
    }
    return part;
}

} // namespace arx
