#include "session/SessionBox.h"

#include "look/ConsoleSkin.h"
#include "session/SessionController.h"

namespace arx
{

SessionImageButton::SessionImageButton (const juce::String& name, const ButtonImages& images)
    : juce::ImageButton (name), art (images)
{
    const auto none = juce::Colours::transparentBlack;
    setImages (true, true, true,
               images.off.image(), 1.0f, none,
               images.off.image(), 1.0f, juce::Colours::white.withAlpha (0.1f),
               images.down.image(), 1.0f, none);
}

void SessionImageButton::paintButton (juce::Graphics& g, bool isMouseOver, bool isButtonDown)
{
    if (! SkinArt::drawsTwice (g))
    {
        juce::ImageButton::paintButton (g, isMouseOver, isButtonDown);
        return;
    }
    // Zoomed: the faces painted at twice the size, the hover tint on top as the image button
    // lays it.
    (isButtonDown ? art.down : art.off).drawAt (g, 0, 0);
    if (isMouseOver && ! isButtonDown)
    {
        g.setColour (juce::Colours::white.withAlpha (0.1f));
        g.fillRect (getLocalBounds());
    }
}

LoadButton::LoadButton (juce::ApplicationCommandManager& commands)
    : SessionImageButton ("LoadButton", ConsoleSkin::loadImages())
{
    setCommandToTrigger (&commands, SessionController::loadCommand, false);
}

SaveButton::SaveButton (juce::ApplicationCommandManager& commands)
    : SessionImageButton ("SaveButton", ConsoleSkin::saveImages())
{
    setCommandToTrigger (&commands, SessionController::saveAsCommand, false);
}

void SaveButton::flash()
{
    setState (juce::Button::buttonDown);
    startTimer (flashMs);
}

void SaveButton::timerCallback()
{
    setState (juce::Button::buttonNormal);
    stopTimer();
}

ResetButton::ResetButton (std::function<void()> onReset)
    : SessionImageButton ("ResetButton", ConsoleSkin::resetImages())
{
    onClick = std::move (onReset);
}

//==============================================================================
SessionBox::SessionBox (const ConsoleSkin& skin, juce::ApplicationCommandManager& commands,
                        std::function<void()> onReset)
    : load (commands), save (commands), reset (std::move (onReset))
{
    setName ("session box");
    setSize (ConsoleSkin::sessionBoxWidth, ConsoleSkin::sessionBoxHeight);

    int index = 0;
    for (auto* button : { static_cast<juce::Button*> (&load), static_cast<juce::Button*> (&save),
                          static_cast<juce::Button*> (&reset) })
    {
        button->setBounds (skin.sessionButtonBounds (index++));
        addAndMakeVisible (button);
    }
}

void SessionBox::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (15, 15, 15));
}

} // namespace arx
