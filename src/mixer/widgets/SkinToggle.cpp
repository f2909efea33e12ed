#include "mixer/widgets/SkinToggle.h"

#include "console/HardwareThread.h"
#include "mixer/widgets/GangButton.h"

namespace arx
{

SkinToggle::SkinToggle (MixerHost& mixerHost) : juce::Button ("toggle"), host (mixerHost)
{
    acceptMessagesFromOtherThreads (*this);
    setRepaintsOnMouseActivity (true);
}

SkinToggle::~SkinToggle() = default;

void SkinToggle::setImages (const ButtonImages& set)
{
    images = set;
}

void SkinToggle::setUp (juce::Component& parent)
{
    setClickingTogglesState (true);
    parent.addAndMakeVisible (this);
}

void SkinToggle::commitState()
{
    shown.setValue (getToggleState() ? 1.0f : 0.0f);
}

void SkinToggle::setGang (GangButton* gangButton, SkinToggle* partnerButton) noexcept
{
    gang = gangButton;
    partner = partnerButton;
}

void SkinToggle::commitAndSend()
{
    commitState();
    auto& control = deviceControl();
    control.getThread().queueSet (control);
}

void SkinToggle::showCommittedState()
{
    setToggleState (getShownState(), juce::dontSendNotification);
    repaint();
}

void SkinToggle::clicked()
{
    commitAndSend();

    if (gang != nullptr && partner != nullptr && gang->getToggleState())
    {
        partner->setToggleState (getShownState(), juce::dontSendNotification);
        partner->commitAndSend();
    }
}

void SkinToggle::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    const auto& image = isButtonDown ? images.down : (getShownState() ? images.on : images.off);
    image.drawAt (g, 0, 0);

    if (isMouseOver && ! isButtonDown)
    {
        g.setColour (hoverColour());
        g.fillRect (hoverArea (image.getWidth(), image.getHeight()));
    }
}

void SkinToggle::handleCommandMessage (int commandId)
{
    if (commandId == 0)
        showCommittedState();
    else
        juce::Button::handleCommandMessage (commandId);
}

} // namespace arx
