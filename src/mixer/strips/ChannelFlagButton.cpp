#include "mixer/strips/ChannelFlagButton.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/Device.h"
#include "mixer/widgets/SoloWarning.h"

namespace arx
{

ChannelFlagButton::ChannelFlagButton (MixerHost& mixerHost, int channel) : BankedToggle (mixerHost, channel) {}

int ChannelFlagButton::bankOf (const MixChange& change) const noexcept
{
    return change.kind == flagKind() && (change.a & 1) == (getBank() & 1) ? change.a : -1;
}

void ChannelFlagButton::refresh (ConsoleState& state, bool markAll)
{
    showStateFlag (state);
    if (markAll)
        markBanks (getBank() & 1, state.outputCount(), 2);
}

void ChannelFlagButton::reset()
{
    auto& state = getThread().getState();
    for (int channel = getBank() & 1; channel < state.outputCount(); channel += 2)
    {
        setStateFlag (state, channel, false);
        markBank (channel);
    }
    refresh (state, false);
}

//==============================================================================
PlaybackMuteButton::PlaybackMuteButton (MixerHost& mixerHost, int channel) : ChannelFlagButton (mixerHost, channel)
{
    setName (juce::String::formatted ("play mute %d", channel));
    setImages (mixerHost.getSkin().muteImages());
}

bool PlaybackMuteButton::stateFlag (const ConsoleState& state, int channel) const { return state.playbackMute (channel); }

void PlaybackMuteButton::setStateFlag (ConsoleState& state, int channel, bool on) const { state.setPlaybackMute (channel, on); }

int PlaybackMuteButton::readDevice (Device& device, int channel, bool& on) const { return device.getPlaybackMute (channel, on); }

int PlaybackMuteButton::writeDevice (Device& device, int channel, bool on) const { return device.setPlaybackMute (channel, on); }

//==============================================================================
PlaybackSoloButton::PlaybackSoloButton (MixerHost& mixerHost, int channel) : ChannelFlagButton (mixerHost, channel)
{
    setName (juce::String::formatted ("Play solo %d", channel));
    setImages (mixerHost.getSkin().soloImages());
}

bool PlaybackSoloButton::stateFlag (const ConsoleState& state, int channel) const { return state.playbackSolo (channel); }

void PlaybackSoloButton::setStateFlag (ConsoleState& state, int channel, bool on) const { state.setPlaybackSolo (channel, on); }

int PlaybackSoloButton::readDevice (Device& device, int channel, bool& on) const { return device.getPlaybackSolo (channel, on); }

int PlaybackSoloButton::writeDevice (Device& device, int channel, bool on) const { return device.setPlaybackSolo (channel, on); }

void PlaybackSoloButton::flagsChanged()
{
    if (auto* warning = host.getSoloWarning())
        warning->recount();
}

//==============================================================================
OutputMuteButton::OutputMuteButton (MixerHost& mixerHost, int place) : ChannelFlagButton (mixerHost, place)
{
    setName (juce::String::formatted ("master mute %d", place));
    setImages (mixerHost.getSkin().muteImages());
}

bool OutputMuteButton::stateFlag (const ConsoleState& state, int channel) const { return state.outputMute (channel); }

void OutputMuteButton::setStateFlag (ConsoleState& state, int channel, bool on) const { state.setOutputMute (channel, on); }

int OutputMuteButton::readDevice (Device& device, int channel, bool& on) const { return device.getOutputMute (channel, on); }

int OutputMuteButton::writeDevice (Device& device, int channel, bool on) const { return device.setOutputMute (channel, on); }

} // namespace arx
