#pragma once

#include "mixer/strips/VolumeFollower.h"
#include "mixer/widgets/Fader.h"

#include <cstdint>

namespace arx
{

class Device;

// A fader of one playback channel or one output: its bank is the channel. The console state
// holds the level as a gain code, and that code goes to the device and comes back from it
// unchanged. The subclass names the state field and the device commands.
//
// Threads: as Fader.
class ChannelFader : public Fader
{
public:
    int getChannel() const noexcept { return getBank(); }

    // Reads the channel's level from the device into the state, unless the user edited the
    // fader while it was read or an edit of the channel waits to be sent; the fader shows the
    // state's level when the message comes.
    void get() override;
    void set() override;
    // Shows the state's level; with markAll every channel of this fader's parity below the
    // output count is marked for sending.
    void refresh (ConsoleState& state, bool markAll) override;
    // A level the fader cannot show exactly stays as it is until the user moves the fader.
    void store (ConsoleState& state) override;
    // 0 dB for every channel of this fader's parity.
    void reset() override;

    void handleCommandMessage (int) override;

protected:
    ChannelFader (MixerHost& host, int channel);

    virtual uint32_t stateCode (const ConsoleState& state, int channel) const = 0;
    virtual void setStateCode (ConsoleState& state, int channel, uint32_t code) const = 0;
    virtual int readDevice (Device& device, int channel, uint32_t& code) const = 0;
    virtual int writeDevice (Device& device, int channel, uint32_t code) const = 0;
    // The place kind of this fader's level.
    virtual MixChange::Kind levelKind() const noexcept = 0;
    // A channel of this fader's parity.
    int bankOf (const MixChange& change) const noexcept override;

    double stateLevel (const ConsoleState& state, int channel) const override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelFader)
};

// "play fader %d": the level of playback channel c, playbackGain(c). It is written through the
// system volume link; when the link reports a change made outside the console the fader reads
// the device again.
class PlaybackFader : public ChannelFader
{
public:
    PlaybackFader (MixerHost& host, int channel);

    // Shows the new channel's level from the state at once and reads it from the device, which
    // other programs may have changed.
    void selectBank (int channel) override;

protected:
    uint32_t stateCode (const ConsoleState& state, int channel) const override;
    void setStateCode (ConsoleState& state, int channel, uint32_t code) const override;
    int readDevice (Device& device, int channel, uint32_t& code) const override;
    int writeDevice (Device& device, int channel, uint32_t code) const override;
    MixChange::Kind levelKind() const noexcept override { return MixChange::playbackLevel; }

private:
    VolumeFollower follower { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlaybackFader)
};

// "master fader %d" with its place q: the level of output o, outputGain(o).
class OutputFader : public ChannelFader
{
public:
    OutputFader (MixerHost& host, int place);

protected:
    uint32_t stateCode (const ConsoleState& state, int channel) const override;
    void setStateCode (ConsoleState& state, int channel, uint32_t code) const override;
    int readDevice (Device& device, int channel, uint32_t& code) const override;
    int writeDevice (Device& device, int channel, uint32_t code) const override;
    MixChange::Kind levelKind() const noexcept override { return MixChange::outputLevel; }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OutputFader)
};

} // namespace arx
