#include "mixer/ZoomHolder.h"

#include <cmath>

namespace arx
{

ZoomHolder::ZoomHolder (juce::Component& c) : content (c)
{
    setOpaque (c.isOpaque());
    addAndMakeVisible (content);
    fit();
}

ZoomHolder::~ZoomHolder()
{
    content.setTransform ({});
    removeChildComponent (&content);
}

void ZoomHolder::setScale (float newScale)
{
    scale = newScale;
    content.setTransform (juce::AffineTransform::scale (scale));
    fit();
}

void ZoomHolder::childBoundsChanged (juce::Component* child)
{
    if (child == &content)
        fit();
}

void ZoomHolder::fit()
{
    // Halves round up: 923 at 150% is 1385.
    setSize ((int) std::floor (content.getWidth() * (double) scale + 0.5),
             (int) std::floor (content.getHeight() * (double) scale + 0.5));
}

} // namespace arx
