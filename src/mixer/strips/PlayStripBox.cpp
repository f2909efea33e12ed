#include "mixer/strips/PlayStripBox.h"

#include "console/hwthread.h"
#include "look/ConsoleSkin.h"

namespace arx
{

PlayStripBox::PlayStripBox (MixerHost& host, juce::Component& page) : column (host.getSkin().playbackColumnImage())
{
    setName ("play strip box");
    setBounds (host.getSkin().playbackStripBoxBounds());
    setOpaque (true);
    page.addAndMakeVisible (this);
}

PlayStripBox::~PlayStripBox() = default;

PlayStrip* PlayStripBox::getStrip (int q) const noexcept
{
    return q >= 0 && q < getNumStrips() ? strips[(size_t) q].get() : nullptr;
}

void PlayStripBox::selectBank (int)
{
    repaint();
}

void PlayStripBox::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
    for (int k = 0; k < getNumStrips() / 2; ++k)
        g.drawImageAt (column, k * column.getWidth(), 0);
}

//==============================================================================
DirectPlayStripBox::DirectPlayStripBox (MixerHost& host, juce::Component& page) : PlayStripBox (host, page)
{
    for (int q = 0; q < 2; ++q)
        strips.push_back (std::make_unique<PlayStrip> (host, *this, q, q));

    auto& skin = host.getSkin();
    auto& state = host.getHwThread().getState();
    for (int pair = 0; 2 * pair + 1 < getNumStrips(); ++pair)
    {
        auto gang = std::make_unique<PlayGang> (host, state, 2 * pair);
        gang->setBounds (skin.playbackGangBounds().translated (2 * skin.stripWidth() * pair, 0));
        gang->setUp (*this);
        auto& left = *strips[(size_t) (2 * pair)];
        auto& right = *strips[(size_t) (2 * pair + 1)];
        left.link (*gang, right);
        right.link (*gang, left);
        gangs.push_back (std::move (gang));
    }
}

DirectPlayStripBox::~DirectPlayStripBox()
{
    // The strips' buttons point at the gangs: they go first.
    strips.clear();
}

void DirectPlayStripBox::selectBank (int bank)
{
    for (int q = 0; q + 1 < getNumStrips(); q += 2)
    {
        strips[(size_t) q]->select (bank);
        strips[(size_t) q + 1]->select (bank + 1);
    }
    PlayStripBox::selectBank (bank);
}

} // namespace arx
