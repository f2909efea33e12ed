#include "mixer/strips/ChannelNameLabel.h"

#include "console/ConsoleState.h"
#include "mixer/strips/OutputNames.h"

namespace arx
{

ChannelNameLabel::ChannelNameLabel (ConsoleState& consoleState, int c) : state (consoleState), channel (c) {}

void ChannelNameLabel::select (int c)
{
    channel = c;
    updateText();
}

void ChannelNameLabel::updateText()
{
    // The default is shown, not stored: storing it would change the device's session (and have
    // it written back to flash) although the user changed nothing.
    auto name = storedName (channel);
    if (name.isEmpty())
        name = defaultName (channel);
    setText (name, juce::dontSendNotification);
}

void ChannelNameLabel::resetName()
{
    for (int c = channel & 1; c < channelCount(); c += 2)
        setStoredName (c, {});
}

juce::String ChannelNameLabel::storeName (const juce::String& text)
{
    setStoredName (channel, text);
    return storedName (channel);
}

//==============================================================================
PlaybackNameLabel::PlaybackNameLabel (ConsoleState& consoleState, int c) : ChannelNameLabel (consoleState, c) {}

int PlaybackNameLabel::channelCount() const { return state.playbackCount(); }
juce::String PlaybackNameLabel::storedName (int c) const { return state.playbackAlias (c); }
void PlaybackNameLabel::setStoredName (int c, const juce::String& text) { state.setPlaybackAlias (c, text); }
juce::String PlaybackNameLabel::defaultName (int c) const { return outputnames::defaultPlaybackName (state.info(), c); }

//==============================================================================
OutputNameLabel::OutputNameLabel (ConsoleState& consoleState, int output) : ChannelNameLabel (consoleState, output) {}

int OutputNameLabel::channelCount() const { return state.outputCount(); }
juce::String OutputNameLabel::storedName (int c) const { return state.outputAlias (c); }
void OutputNameLabel::setStoredName (int c, const juce::String& text) { state.setOutputAlias (c, text); }
juce::String OutputNameLabel::defaultName (int c) const { return outputnames::defaultOutputName (state.info(), c); }

} // namespace arx
