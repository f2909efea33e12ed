#include "mixer/strips/StripHdrs.h"

#include "device/HwInfo.h"
#include "look/ConsoleSkin.h"
#include "mixer/strips/OutputNames.h"

namespace arx
{

namespace
{
const juce::Colour headerBackground (15, 15, 15);
constexpr float playFontHeight = 14.0f;
constexpr float masterFontShare = 0.6f;
} // namespace

PlayStripHdr::PlayStripHdr (const ConsoleSkin& skin, const HwInfo* description, juce::Component& page)
    : juce::Label ("play strip hdr", headerText (description, 0)), info (description)
{
    setBounds (skin.playbackHeaderBounds());
    setOpaque (true);
    setFont (juce::Font (playFontHeight, juce::Font::bold));
    setJustificationType (juce::Justification::centred);
    setColour (juce::Label::backgroundColourId, headerBackground);
    setColour (juce::Label::textColourId, juce::Colours::white);
    setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    page.addAndMakeVisible (this);
}

void PlayStripHdr::selectBank (int b)
{
    bank = b;
    setText (headerText (info, b), juce::dontSendNotification);
}

juce::String PlayStripHdr::headerText (const HwInfo* info, int bank)
{
    if (info != nullptr && info->outputGroupCount() == 1)
        return "PLAYBACK";
    return outputnames::kindTitle (info, bank);
}

//==============================================================================
MasterStripHdr::MasterStripHdr (const ConsoleSkin& skin, const HwInfo* description, juce::Component& page)
    : info (description)
{
    setBounds (skin.outputHeaderBounds());
    setOpaque (true);
    setInterceptsMouseClicks (false, false);
    page.addAndMakeVisible (this);
}

void MasterStripHdr::selectBank (int b)
{
    bank = b;
    repaint();
}

juce::String MasterStripHdr::getText() const
{
    return outputnames::kindTitle (info, bank);
}

void MasterStripHdr::paint (juce::Graphics& g)
{
    g.fillAll (headerBackground);
    g.setColour (juce::Colours::white);
    g.setFont (juce::Font (masterFontShare * (float) getHeight(), juce::Font::bold));
    g.drawFittedText (getText(), getLocalBounds(), juce::Justification::centred, 1, minimumScale);
}

} // namespace arx
