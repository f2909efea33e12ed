#pragma once

#include "mixer/strips/VolumeFollower.h"
#include "mixer/widgets/BankedToggle.h"

namespace arx
{

// A mute or solo of one playback channel or one output: its bank is the channel. The subclass
// names the state field and the device commands.
//
// Threads: as BankedToggle.
class ChannelFlagButton : public BankedToggle
{
public:
    int getChannel() const noexcept { return getBank(); }

    // With markAll every channel of this button's parity below the output count is marked.
    void refresh (ConsoleState& state, bool markAll) override;
    // Off for every channel of this button's parity.
    void reset() override;

protected:
    ChannelFlagButton (MixerHost& host, int channel);

    // The place kind of this button's flag.
    virtual MixChange::Kind flagKind() const noexcept = 0;
    // A channel of this button's parity.
    int bankOf (const MixChange& change) const noexcept override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelFlagButton)
};

// "play mute %d": byte 0 of playback channel c's record. Written through the system volume
// link; a change made outside the console makes it read the device again.
class PlaybackMuteButton : public ChannelFlagButton
{
public:
    PlaybackMuteButton (MixerHost& host, int channel);

protected:
    bool stateFlag (const ConsoleState& state, int channel) const override;
    void setStateFlag (ConsoleState& state, int channel, bool on) const override;
    int readDevice (Device& device, int channel, bool& on) const override;
    int writeDevice (Device& device, int channel, bool on) const override;
    MixChange::Kind flagKind() const noexcept override { return MixChange::playbackMute; }

private:
    VolumeFollower follower { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlaybackMuteButton)
};

// "Play solo %d": byte 1 of playback channel c's record. Every change makes the solo warning
// count again.
class PlaybackSoloButton : public ChannelFlagButton
{
public:
    PlaybackSoloButton (MixerHost& host, int channel);

protected:
    bool stateFlag (const ConsoleState& state, int channel) const override;
    void setStateFlag (ConsoleState& state, int channel, bool on) const override;
    int readDevice (Device& device, int channel, bool& on) const override;
    int writeDevice (Device& device, int channel, bool on) const override;
    MixChange::Kind flagKind() const noexcept override { return MixChange::playbackSolo; }
    void flagsChanged() override;
};

// "master mute %d" with its place q: byte 0 of output o's record.
class OutputMuteButton : public ChannelFlagButton
{
public:
    OutputMuteButton (MixerHost& host, int place);

protected:
    bool stateFlag (const ConsoleState& state, int channel) const override;
    void setStateFlag (ConsoleState& state, int channel, bool on) const override;
    int readDevice (Device& device, int channel, bool& on) const override;
    int writeDevice (Device& device, int channel, bool on) const override;
    MixChange::Kind flagKind() const noexcept override { return MixChange::outputMute; }
};

} // namespace arx
