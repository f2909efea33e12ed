#pragma once

#include "mixer/widgets/NameLabel.h"

namespace arx
{

class ConsoleState;

// The name of the playback channel or output a strip shows: the name in the console state, or
// its default name, which is shown but not stored. The strip moves it between the channels of
// one parity; a typed name belongs to the channel shown when it was typed.
//
// Threads: message thread only.
class ChannelNameLabel : public NameLabel
{
public:
    int getChannel() const noexcept { return channel; }

    // Shows channel c's name.
    void select (int c);

    // Every channel of this label's parity forgets its name.
    void resetName() override;
    void updateText() override;

protected:
    ChannelNameLabel (ConsoleState& state, int channel);

    juce::String storeName (const juce::String& text) override;

    // Channels this kind of name exists for.
    virtual int channelCount() const = 0;
    virtual juce::String storedName (int c) const = 0;
    virtual void setStoredName (int c, const juce::String& text) = 0;
    virtual juce::String defaultName (int c) const = 0;

    ConsoleState& state;

private:
    int channel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelNameLabel)
};

// playbackAlias(c); "Play A1", ... or Left and Right by default.
class PlaybackNameLabel : public ChannelNameLabel
{
public:
    PlaybackNameLabel (ConsoleState& state, int channel);

protected:
    int channelCount() const override;
    juce::String storedName (int c) const override;
    void setStoredName (int c, const juce::String& text) override;
    juce::String defaultName (int c) const override;
};

// outputAlias(o); "Out A1", ... or Left and Right by default.
class OutputNameLabel : public ChannelNameLabel
{
public:
    OutputNameLabel (ConsoleState& state, int output);

protected:
    int channelCount() const override;
    juce::String storedName (int c) const override;
    void setStoredName (int c, const juce::String& text) override;
    juce::String defaultName (int c) const override;
};

} // namespace arx
