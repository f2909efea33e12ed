#pragma once

#include "mixer/strips/ChannelNameLabel.h"
#include "mixer/strips/ChannelFader.h"
#include "mixer/strips/ChannelFlagButton.h"
#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class PairGangButton;

// One playback strip: the level, mute, solo, name and number of the playback channel shown at
// place q (0 left, 1 right) of the playback strip box. Its widgets are children of the box.
//
// Threads: message thread; its controls' get and set run on the hardware thread.
class PlaybackStrip
{
public:
    PlaybackStrip (MixerHost& host, juce::Component& box, int place, int channel);
    virtual ~PlaybackStrip();

    int getChannel() const noexcept { return channel; }
    int getPlace() const noexcept { return place; }

    // Every control stores the old channel's value and shows channel c's.
    void select (int c);

    // The gang links this strip's fader, mute and solo to the other strip's.
    void link (PairGangButton& gang, PlaybackStrip& other);

    PlaybackFader& getFader() noexcept { return *fader; }
    PlaybackMuteButton& getMute() noexcept { return *mute; }
    PlaybackSoloButton& getSolo() noexcept { return *solo; }
    PlaybackNameLabel& getAlias() noexcept { return *alias; }
    juce::Label& getNumberLabel() noexcept { return *number; }

private:
    int channel;
    const int place;
    PairGangButton* gang = nullptr;
    std::unique_ptr<juce::Label> number;
    std::unique_ptr<PlaybackNameLabel> alias;
    std::unique_ptr<PlaybackMuteButton> mute;
    std::unique_ptr<PlaybackFader> fader;
    std::unique_ptr<PlaybackSoloButton> solo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlaybackStrip)
};

} // namespace arx
