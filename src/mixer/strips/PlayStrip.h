#pragma once

#include "mixer/strips/ChannelAlias.h"
#include "mixer/strips/ChannelFader.h"
#include "mixer/strips/ChannelToggle.h"
#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class PairGang;

// One playback strip: the level, mute, solo, name and number of the playback channel shown at
// place q (0 left, 1 right) of the playback strip box. Its widgets are children of the box.
//
// Threads: message thread; its controls' get and set run on the hardware thread.
class PlayStrip
{
public:
    PlayStrip (MixerHost& host, juce::Component& box, int place, int channel);
    virtual ~PlayStrip();

    int getChannel() const noexcept { return channel; }
    int getPlace() const noexcept { return place; }

    // Every control stores the old channel's value and shows channel c's.
    void select (int c);

    // The gang links this strip's fader, mute and solo to the other strip's.
    void link (PairGang& gang, PlayStrip& other);

    PlayFader& getFader() noexcept { return *fader; }
    PlayMute& getMute() noexcept { return *mute; }
    PlaySolo& getSolo() noexcept { return *solo; }
    PlayAlias& getAlias() noexcept { return *alias; }
    juce::Label& getNumberLabel() noexcept { return *number; }

private:
    int channel;
    const int place;
    PairGang* gang = nullptr;
    std::unique_ptr<juce::Label> number;
    std::unique_ptr<PlayAlias> alias;
    std::unique_ptr<PlayMute> mute;
    std::unique_ptr<PlayFader> fader;
    std::unique_ptr<PlaySolo> solo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlayStrip)
};

} // namespace arx
