#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace arx
{

class ConsoleState;

// One place of a console state that a user can change, as listeners and remote clients name
// it. `a` and `b` are 0-based: input and output of a monitor control, else the channel.
struct MixChange
{
    enum Kind
    {
        monitorLevel, monitorPan, monitorMute, monitorSolo,
        playbackLevel, playbackMute, playbackSolo, playbackName,
        outputLevel, outputMute, outputName,
        inputName,
        gangs, setting
    };

    Kind kind;
    int a = 0;
    int b = 0;

    bool operator== (const MixChange& o) const noexcept { return kind == o.kind && a == o.a && b == o.b; }
};

class MixDiff;

// The part of a console state the user edits, word by word: levels, pans, mutes, solos, names,
// gang masks, the S/PDIF format, the clock source and the guitar settings. Not the sample rate,
// which the driver and the audio programs react to and which no undo takes back.
class MixSnapshot
{
public:
    static MixSnapshot of (const ConsoleState& state);

    bool operator== (const MixSnapshot& o) const noexcept { return words == o.words; }
    bool operator!= (const MixSnapshot& o) const noexcept { return words != o.words; }

private:
    friend class MixDiff;
    std::vector<uint32_t> words;
};

// The words two snapshots differ in, with both values: what one edit step changed. Applying
// either side writes only those words, so values the device changed meanwhile elsewhere stay.
class MixDiff
{
public:
    MixDiff() = default;
    static MixDiff between (const MixSnapshot& before, const MixSnapshot& after);

    bool isEmpty() const noexcept { return words.empty(); }
    size_t size() const noexcept { return words.size(); }

    // Writes the `before` (or `after`) side of every word into `state`, or into `snapshot`.
    void apply (ConsoleState& state, bool before) const;
    void apply (MixSnapshot& snapshot, bool before) const;

    // Whether a word outside the mixer (S/PDIF, clock, guitar) changed.
    bool touchesSettings() const noexcept;

    // The places that changed, each once, in image order.
    std::vector<MixChange> changes() const;

    // The part of this diff whose places `keep` accepts, bit for bit: a word shared by places
    // (four pans in one word, a name's first bytes beside a mute) keeps only the accepted ones.
    MixDiff only (const std::function<bool (const MixChange&)>& keep) const;

private:
    struct Word
    {
        int slot;
        uint32_t before, after;
    };

    std::vector<Word> words;
};

} // namespace arx
