#include "look/SkinArt.h"

#include "look/ConsoleSkin.h"

namespace arx
{

SkinArt::SkinArt (SkinImage image) : once (ConsoleSkin::loadImage (image)), which (image) {}

SkinArt::SkinArt (juce::Image onceSize, juce::Image twiceSize) : once (std::move (onceSize)), twice (std::move (twiceSize))
{
}

const juce::Image& SkinArt::twiceImage() const
{
    if (! twice.isValid() && which.has_value())
        twice = ConsoleSkin::loadTwiceImage (*which);
    return twice;
}

bool SkinArt::drawsTwice (juce::Graphics& g)
{
    return g.getInternalContext().getPhysicalPixelScaleFactor() >= 1.5f;
}

void SkinArt::drawAt (juce::Graphics& g, int x, int y) const
{
    if (drawsTwice (g) && twiceImage().isValid())
        draw (g, { x, y, getWidth(), getHeight() }, getBounds());
    else
        g.drawImageAt (once, x, y);
}

void SkinArt::draw (juce::Graphics& g, juce::Rectangle<int> dest, juce::Rectangle<int> source) const
{
    if (drawsTwice (g))
    {
        const auto& large = twiceImage();
        if (large.isValid())
        {
            g.drawImage (large, dest.getX(), dest.getY(), dest.getWidth(), dest.getHeight(), source.getX() * 2,
                         source.getY() * 2, source.getWidth() * 2, source.getHeight() * 2);
            return;
        }
    }
    g.drawImage (once, dest.getX(), dest.getY(), dest.getWidth(), dest.getHeight(), source.getX(), source.getY(),
                 source.getWidth(), source.getHeight());
}

} // namespace arx
