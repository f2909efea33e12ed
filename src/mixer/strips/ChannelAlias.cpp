#include "mixer/strips/ChannelAlias.h"

#include "console/ConsoleState.h"
#include "mixer/strips/OutputNames.h"

namespace arx
{

ChannelAlias::ChannelAlias (ConsoleState& consoleState, int c) : state (consoleState), channel (c) {}

void ChannelAlias::select (int c)
{
    channel = c;
    updateText();
}

void ChannelAlias::updateText()
{
    // The default is shown, not stored: storing it would change the device's session (and have
    // it written back to flash) although the user changed nothing.
    auto name = storedName (channel);
    if (name.isEmpty())
        name = defaultName (channel);
    setText (name, juce::dontSendNotification);
}

void ChannelAlias::resetName()
{
    for (int c = channel & 1; c < channelCount(); c += 2)
        setStoredName (c, {});
}

juce::String ChannelAlias::storeName (const juce::String& text)
{
    setStoredName (channel, text);
    return storedName (channel);
}

//==============================================================================
PlayAlias::PlayAlias (ConsoleState& consoleState, int c) : ChannelAlias (consoleState, c) {}

int PlayAlias::channelCount() const { return state.playbackCount(); }
juce::String PlayAlias::storedName (int c) const { return state.playbackAlias (c); }
void PlayAlias::setStoredName (int c, const juce::String& text) { state.setPlaybackAlias (c, text); }
juce::String PlayAlias::defaultName (int c) const { return outputnames::defaultPlaybackName (state.info(), c); }

//==============================================================================
MasterAlias::MasterAlias (ConsoleState& consoleState, int output) : ChannelAlias (consoleState, output) {}

int MasterAlias::channelCount() const { return state.outputCount(); }
juce::String MasterAlias::storedName (int c) const { return state.outputAlias (c); }
void MasterAlias::setStoredName (int c, const juce::String& text) { state.setOutputAlias (c, text); }
juce::String MasterAlias::defaultName (int c) const { return outputnames::defaultOutputName (state.info(), c); }

} // namespace arx
