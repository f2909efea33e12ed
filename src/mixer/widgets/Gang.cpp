#include "mixer/widgets/Gang.h"

#include "look/ConsoleSkin.h"
#include "mixer/widgets/ToggleBase.h"

namespace arx
{

Gang::Gang (MixerHost& mixerHost) : juce::Button (componentName), host (mixerHost)
{
    setRepaintsOnMouseActivity (true);
}

Gang::~Gang() = default;

void Gang::setUp (juce::Component& parent)
{
    setClickingTogglesState (true);
    parent.addAndMakeVisible (this);
}

void Gang::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    const auto& set = host.getSkin().gangImages();
    const auto& image = isButtonDown ? set.down : (getToggleState() ? set.on : set.off);
    g.drawImageAt (image, 0, 0);

    if (isMouseOver && ! isButtonDown)
    {
        g.setColour (ToggleBase::hoverColour());
        g.fillRect (image.getBounds());
    }
}

} // namespace arx
