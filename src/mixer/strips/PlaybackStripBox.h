#pragma once

#include "mixer/strips/PairGangButton.h"
#include "mixer/strips/PlaybackStrip.h"
#include "mixer/widgets/MixerHost.h"
#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace arx
{

// The middle column of the mixer page, "play strip box": the playback strips on the playback
// column artwork, one image per pair of strips.
//
// Threads: message thread only.
class PlaybackStripBox : public juce::Component
{
public:
    ~PlaybackStripBox() override;

    int getNumStrips() const noexcept { return (int) strips.size(); }
    PlaybackStrip* getStrip (int q) const noexcept;

    // The strips switch to the playback channels of output pair bank / 2.
    virtual void selectBank (int bank);

    void paint (juce::Graphics&) override;

protected:
    // In the skin's place below the playback header of `page`.
    PlaybackStripBox (MixerHost& host, juce::Component& page);

    std::vector<std::unique_ptr<PlaybackStrip>> strips;

private:
    SkinArt column;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlaybackStripBox)
};

// The playback strip box of the mixer page: two strips, playback channels b and b + 1 of the
// shown output pair, linked by one gang button.
class DirectPlaybackStripBox : public PlaybackStripBox
{
public:
    DirectPlaybackStripBox (MixerHost& host, juce::Component& page);
    ~DirectPlaybackStripBox() override;

    PlaybackGangButton& getGang (int pair = 0) const { return *gangs.at ((size_t) pair); }

    void selectBank (int bank) override;

private:
    std::vector<std::unique_ptr<PlaybackGangButton>> gangs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DirectPlaybackStripBox)
};

} // namespace arx
