#include "mixer/widgets/ToggleBase.h"

#include "console/hwthread.h"
#include "mixer/widgets/Gang.h"

namespace arx
{

ToggleBase::ToggleBase (MixerHost& mixerHost) : juce::Button ("toggle"), host (mixerHost)
{
    acceptMessagesFromOtherThreads (*this);
    setRepaintsOnMouseActivity (true);
}

ToggleBase::~ToggleBase() = default;

void ToggleBase::setImages (const ButtonImages& set)
{
    images = set;
}

void ToggleBase::setUp (juce::Component& parent)
{
    setClickingTogglesState (true);
    parent.addAndMakeVisible (this);
}

void ToggleBase::commitState()
{
    shown.setValue (getToggleState() ? 1.0f : 0.0f);
}

void ToggleBase::setGang (Gang* gangButton, ToggleBase* partnerButton) noexcept
{
    gang = gangButton;
    partner = partnerButton;
}

void ToggleBase::queueSet()
{
    auto& control = hwCtrl();
    control.getThread().queueSet (control);
}

void ToggleBase::showCommittedState()
{
    setToggleState (getShownState(), juce::dontSendNotification);
    repaint();
}

void ToggleBase::clicked()
{
    commitState();
    queueSet();

    if (gang != nullptr && partner != nullptr && gang->getToggleState())
    {
        partner->setToggleState (getShownState(), juce::dontSendNotification);
        partner->commitState();
        partner->queueSet();
    }
}

void ToggleBase::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    const auto& image = isButtonDown ? images.down : (getShownState() ? images.on : images.off);
    g.drawImageAt (image, 0, 0);

    if (isMouseOver && ! isButtonDown)
    {
        g.setColour (hoverColour());
        g.fillRect (hoverArea (image.getWidth(), image.getHeight()));
    }
}

void ToggleBase::handleCommandMessage (int commandId)
{
    if (commandId == 0)
        showCommittedState();
    else
        juce::Button::handleCommandMessage (commandId);
}

} // namespace arx
