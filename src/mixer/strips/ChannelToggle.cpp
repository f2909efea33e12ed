#include "mixer/strips/ChannelToggle.h"

#include "console/ConsoleState.h"
#include "console/hwthread.h"
#include "device/bhw.h"
#include "mixer/widgets/RudeSolo.h"

namespace arx
{

ChannelToggle::ChannelToggle (MixerHost& mixerHost, int channel) : ToggleBanked (mixerHost, channel) {}

void ChannelToggle::refresh (ConsoleState& state, bool markAll)
{
    showStateFlag (state);
    if (markAll)
        markBanks (getBank() & 1, state.outputCount(), 2);
}

void ChannelToggle::reset()
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
PlayMute::PlayMute (MixerHost& mixerHost, int channel) : ChannelToggle (mixerHost, channel)
{
    setName (juce::String::formatted ("play mute %d", channel));
    setImages (mixerHost.getSkin().muteImages());
}

bool PlayMute::stateFlag (const ConsoleState& state, int channel) const { return state.playbackMute (channel); }

void PlayMute::setStateFlag (ConsoleState& state, int channel, bool on) const { state.setPlaybackMute (channel, on); }

int PlayMute::readDevice (bhw& device, int channel, bool& on) const { return device.getPlaybackMute (channel, on); }

int PlayMute::writeDevice (bhw& device, int channel, bool on) const { return device.setPlaybackMute (channel, on); }

//==============================================================================
PlaySolo::PlaySolo (MixerHost& mixerHost, int channel) : ChannelToggle (mixerHost, channel)
{
    setName (juce::String::formatted ("Play solo %d", channel));
    setImages (mixerHost.getSkin().soloImages());
}

bool PlaySolo::stateFlag (const ConsoleState& state, int channel) const { return state.playbackSolo (channel); }

void PlaySolo::setStateFlag (ConsoleState& state, int channel, bool on) const { state.setPlaybackSolo (channel, on); }

int PlaySolo::readDevice (bhw& device, int channel, bool& on) const { return device.getPlaybackSolo (channel, on); }

int PlaySolo::writeDevice (bhw& device, int channel, bool on) const { return device.setPlaybackSolo (channel, on); }

void PlaySolo::flagsChanged()
{
    if (auto* warning = host.getSoloWarning())
        warning->recount();
}

//==============================================================================
MasterMute::MasterMute (MixerHost& mixerHost, int place) : ChannelToggle (mixerHost, place)
{
    setName (juce::String::formatted ("master mute %d", place));
    setImages (mixerHost.getSkin().muteImages());
}

bool MasterMute::stateFlag (const ConsoleState& state, int channel) const { return state.outputMute (channel); }

void MasterMute::setStateFlag (ConsoleState& state, int channel, bool on) const { state.setOutputMute (channel, on); }

int MasterMute::readDevice (bhw& device, int channel, bool& on) const { return device.getOutputMute (channel, on); }

int MasterMute::writeDevice (bhw& device, int channel, bool on) const { return device.setOutputMute (channel, on); }

} // namespace arx
