#include "look/SkinArt.h"

#include "look/ConsoleSkin.h"

namespace arx
{

SkinArt::SkinArt (SkinImage image) : once (ConsoleSkin::loadImage (image)), which (image) {}

SkinArt::SkinArt (juce::Image onceSize, std::function<juce::Image()> paintTwice)
    : once (std::move (onceSize)), twicePainter (std::make_shared<TwicePainter> (TwicePainter { std::move (paintTwice), {} }))
{
}

const juce::Image& SkinArt::twiceImage() const
{
    if (twicePainter != nullptr)
    {
        if (! twicePainter->painted.isValid())
            twicePainter->painted = twicePainter->paint();
        return twicePainter->painted;
    }
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
    // Only the part the repaint reaches: JUCE clips a whole image against the clip region row
    // by row, which for a tall fader track under a meter's small band cost more than the rest
    // of an idle window's paint. The margin keeps a scaled drawing's edge pixels sampled from
    // their true neighbours.
    const juce::Rectangle<int> whole (x, y, getWidth(), getHeight());
    const auto area = g.getClipBounds().expanded (2).getIntersection (whole);
    if (! area.isEmpty())
        draw (g, area, area - whole.getPosition());
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
