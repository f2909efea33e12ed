#include "mixer/MixerPagePanels.h"

#include "look/ConsoleSkin.h"

namespace arx
{

LogoBox::LogoBox (const ConsoleSkin& skin, juce::Component& page) : juce::Component ("logo box"), logo (skin.logoImage())
{
    setBounds (skin.logoBoxBounds());
    setOpaque (true);
    setInterceptsMouseClicks (false, false);
    page.addAndMakeVisible (this);
}

void LogoBox::paint (juce::Graphics& g)
{
    g.fillAll (Spacer::colour());
    logo.drawAt (g, 0, 0);
}

//==============================================================================
Spacer::Spacer (juce::Rectangle<int> bounds, juce::Component& parent)
{
    setBounds (bounds);
    setOpaque (true);
    setInterceptsMouseClicks (false, false);
    parent.addAndMakeVisible (this);
}

void Spacer::paint (juce::Graphics& g)
{
    g.fillAll (colour());
}

} // namespace arx
