#include "mixer/strips/StripHeaders.h"

#include "device/HardwareInfo.h"
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

PlaybackHeader::PlaybackHeader (const ConsoleSkin& skin, const HardwareInfo* description, juce::Component& page)
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

void PlaybackHeader::selectBank (int b)
{
    bank = b;
    setText (headerText (info, b), juce::dontSendNotification);
}

juce::String PlaybackHeader::headerText (const HardwareInfo* info, int bank)
{
    if (info != nullptr && info->outputGroupCount() == 1)
        return "PLAYBACK";
    return outputnames::kindTitle (info, bank);
}

//==============================================================================
OutputHeader::OutputHeader (const ConsoleSkin& skin, const HardwareInfo* description, juce::Component& page)
    : info (description)
{
    setBounds (skin.outputHeaderBounds());
    setOpaque (true);
    setInterceptsMouseClicks (false, false);
    page.addAndMakeVisible (this);
}

void OutputHeader::selectBank (int b)
{
    bank = b;
    repaint();
}

juce::String OutputHeader::getText() const
{
    return outputnames::kindTitle (info, bank);
}

void OutputHeader::paint (juce::Graphics& g)
{
    g.fillAll (headerBackground);
    g.setColour (juce::Colours::white);
    g.setFont (juce::Font (masterFontShare * (float) getHeight(), juce::Font::bold));
    g.drawFittedText (getText(), getLocalBounds(), juce::Justification::centred, 1, minimumScale);
}

} // namespace arx
