#pragma once

#include "mixer/strips/PairGang.h"
#include "mixer/strips/PlayStrip.h"
#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

namespace arx
{

// The middle column of the mixer page, "play strip box": the playback strips on the playback
// column artwork, one image per pair of strips.
//
// Threads: message thread only.
class PlayStripBox : public juce::Component
{
public:
    ~PlayStripBox() override;

    int getNumStrips() const noexcept { return (int) strips.size(); }
    PlayStrip* getStrip (int q) const noexcept;

    // The strips switch to the playback channels of output pair bank / 2.
    virtual void selectBank (int bank);

    void paint (juce::Graphics&) override;

protected:
    // In the skin's place below the playback header of `page`.
    PlayStripBox (MixerHost& host, juce::Component& page);

    std::vector<std::unique_ptr<PlayStrip>> strips;

private:
    juce::Image column;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlayStripBox)
};

// The playback strip box of the mixer page: two strips, playback channels b and b + 1 of the
// shown output pair, linked by one gang button.
class DirectPlayStripBox : public PlayStripBox
{
public:
    DirectPlayStripBox (MixerHost& host, juce::Component& page);
    ~DirectPlayStripBox() override;

    PlayGang& getGang (int pair = 0) const { return *gangs.at ((size_t) pair); }

    void selectBank (int bank) override;

private:
    std::vector<std::unique_ptr<PlayGang>> gangs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DirectPlayStripBox)
};

} // namespace arx
