#include "mixer/widgets/GangButton.h"

#include "look/ConsoleSkin.h"
#include "mixer/widgets/SkinToggle.h"

namespace arx
{

GangButton::GangButton (MixerHost& mixerHost) : juce::Button (componentName), host (mixerHost)
{
    setRepaintsOnMouseActivity (true);
}

GangButton::~GangButton() = default;

void GangButton::setUp (juce::Component& parent)
{
    setClickingTogglesState (true);
    parent.addAndMakeVisible (this);
}

void GangButton::clicked()
{
    host.editState ([this] { storeLink(); });
}

void GangButton::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    const auto& set = host.getSkin().gangImages();
    const auto& image = isButtonDown ? set.down : (getToggleState() ? set.on : set.off);
    image.drawAt (g, 0, 0);

    if (isMouseOver && ! isButtonDown)
    {
        g.setColour (SkinToggle::hoverColour());
        g.fillRect (image.getBounds());
    }
}

} // namespace arx
