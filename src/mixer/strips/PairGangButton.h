#pragma once

#include "mixer/widgets/GangButton.h"

namespace arx
{

class ConsoleState;

// The gang button of the playback or output strips: links channels 2k and 2k + 1 of the pair
// shown, one bit of a gang mask in the console state.
//
// Threads: message thread only.
class PairGangButton : public GangButton
{
public:
    int getFirst() const noexcept { return first; }

    // Shows the link of the pair that begins at channel c.
    void selectPair (int c);

    void refreshFromState() override;
    void storeLink() override;

protected:
    PairGangButton (MixerHost& host, ConsoleState& state);

    virtual bool isLinked (int c) const = 0;
    virtual void setLinked (int c, bool on) = 0;

    ConsoleState& state;

private:
    int first = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PairGangButton)
};

// Bit c / 2 of the playback gang mask.
class PlaybackGangButton : public PairGangButton
{
public:
    PlaybackGangButton (MixerHost& host, ConsoleState& state, int first);

protected:
    bool isLinked (int c) const override;
    void setLinked (int c, bool on) override;
};

// Bit o / 2 of the output gang mask.
class OutputGangButton : public PairGangButton
{
public:
    OutputGangButton (MixerHost& host, ConsoleState& state);

protected:
    bool isLinked (int c) const override;
    void setLinked (int c, bool on) override;
};

} // namespace arx
