#include "mixer/strips/PlaybackStripBox.h"

#include "console/HardwareThread.h"
#include "look/ConsoleSkin.h"

namespace arx
{

PlaybackStripBox::PlaybackStripBox (MixerHost& host, juce::Component& page) : column (host.getSkin().playbackColumnImage())
{
    setName ("play strip box");
    setBounds (host.getSkin().playbackStripBoxBounds());
    setOpaque (true);
    page.addAndMakeVisible (this);
}

PlaybackStripBox::~PlaybackStripBox() = default;

PlaybackStrip* PlaybackStripBox::getStrip (int q) const noexcept
{
    return q >= 0 && q < getNumStrips() ? strips[(size_t) q].get() : nullptr;
}

void PlaybackStripBox::selectBank (int)
{
    repaint();
}

void PlaybackStripBox::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
    for (int k = 0; k < getNumStrips() / 2; ++k)
        column.drawAt (g, k * column.getWidth(), 0);
}

//==============================================================================
DirectPlaybackStripBox::DirectPlaybackStripBox (MixerHost& host, juce::Component& page) : PlaybackStripBox (host, page)
{
    for (int q = 0; q < 2; ++q)
        strips.push_back (std::make_unique<PlaybackStrip> (host, *this, q, q));

    auto& skin = host.getSkin();
    auto& state = host.getHardwareThread().getState();
    for (int pair = 0; 2 * pair + 1 < getNumStrips(); ++pair)
    {
        auto gang = std::make_unique<PlaybackGangButton> (host, state, 2 * pair);
        gang->setBounds (skin.playbackGangBounds().translated (2 * skin.stripWidth() * pair, 0));
        gang->setUp (*this);
        auto& left = *strips[(size_t) (2 * pair)];
        auto& right = *strips[(size_t) (2 * pair + 1)];
        left.link (*gang, right);
        right.link (*gang, left);
        gangs.push_back (std::move (gang));
    }
}

DirectPlaybackStripBox::~DirectPlaybackStripBox()
{
    // The strips' buttons point at the gangs: they go first.
    strips.clear();
}

void DirectPlaybackStripBox::selectBank (int bank)
{
    for (int q = 0; q + 1 < getNumStrips(); q += 2)
    {
        strips[(size_t) q]->select (bank);
        strips[(size_t) q + 1]->select (bank + 1);
    }
    PlaybackStripBox::selectBank (bank);
}

} // namespace arx
