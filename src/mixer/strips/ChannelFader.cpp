#include "mixer/strips/ChannelFader.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/GainCode.h"
#include "device/Device.h"

namespace arx
{

ChannelFader::ChannelFader (MixerHost& mixerHost, int channel) : Fader (mixerHost, channel) {}

void ChannelFader::get()
{
    const int channel = getBank();
    const auto editsBefore = editCount();
    uint32_t gain = 0;
    const int code = readDevice (getThread().getDevice(), channel, gain);
    if (code == 0)
        takeBankRead (editsBefore, channel, [&] { setStateCode (getThread().getState(), channel, gain); });
    onGetResult (code, this);
}

int ChannelFader::bankOf (const MixChange& change) const noexcept
{
    return change.kind == levelKind() && (change.a & 1) == (getBank() & 1) ? change.a : -1;
}

double ChannelFader::stateLevel (const ConsoleState& state, int channel) const
{
    return codeToGain (stateCode (state, channel));
}

void ChannelFader::set()
{
    auto& state = getThread().getState();
    auto& device = getThread().getDevice();
    sendNextBank ([&] (int channel) { return writeDevice (device, channel, stateCode (state, channel)); });
}

void ChannelFader::refresh (ConsoleState& state, bool markAll)
{
    showStateLevel();
    store (state);
    if (markAll)
        markBanks (getBank() & 1, state.outputCount(), 2);
}

void ChannelFader::store (ConsoleState& state)
{
    const auto level = shownLevel();
    if (wouldOnlyRound (codeToGain (stateCode (state, level.bank)), level.value))
        return;
    setStateCode (state, level.bank, gainToCode (level.value));
}

void ChannelFader::reset()
{
    auto& state = getThread().getState();
    for (int channel = getBank() & 1; channel < state.outputCount(); channel += 2)
    {
        setStateCode (state, channel, unityGainCode);
        markBank (channel);
    }
    showStateLevel();
}

void ChannelFader::handleCommandMessage (int)
{
    showStateLevel();
}

//==============================================================================
PlaybackFader::PlaybackFader (MixerHost& mixerHost, int channel) : ChannelFader (mixerHost, channel)
{
    setName (juce::String::formatted ("play fader %d", channel));
}

void PlaybackFader::selectBank (int channel)
{
    ChannelFader::selectBank (channel);
    getThread().queueGet (*this);
}

uint32_t PlaybackFader::stateCode (const ConsoleState& state, int channel) const { return state.playbackGainCode (channel); }

void PlaybackFader::setStateCode (ConsoleState& state, int channel, uint32_t code) const
{
    state.setPlaybackGainCode (channel, code);
}

int PlaybackFader::readDevice (Device& device, int channel, uint32_t& code) const
{
    return device.getPlaybackGainCode (channel, code);
}

int PlaybackFader::writeDevice (Device& device, int channel, uint32_t code) const
{
    return device.setPlaybackGainCode (channel, code);
}

//==============================================================================
OutputFader::OutputFader (MixerHost& mixerHost, int place) : ChannelFader (mixerHost, place)
{
    setName (juce::String::formatted ("master fader %d", place));
}

uint32_t OutputFader::stateCode (const ConsoleState& state, int channel) const { return state.outputGainCode (channel); }

void OutputFader::setStateCode (ConsoleState& state, int channel, uint32_t code) const
{
    state.setOutputGainCode (channel, code);
}

int OutputFader::readDevice (Device& device, int channel, uint32_t& code) const
{
    return device.getOutputGainCode (channel, code);
}

int OutputFader::writeDevice (Device& device, int channel, uint32_t code) const
{
    return device.setOutputGainCode (channel, code);
}

} // namespace arx
