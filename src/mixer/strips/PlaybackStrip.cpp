#include "mixer/strips/PlaybackStrip.h"

#include "console/HardwareThread.h"
#include "look/ConsoleSkin.h"
#include "mixer/strips/PairGangButton.h"

namespace arx
{

namespace
{
constexpr float faderTextHeight = 12.5f;
const juce::Colour numberBackground (15, 15, 15);
} // namespace

PlaybackStrip::PlaybackStrip (MixerHost& host, juce::Component& box, int q, int c) : channel (c), place (q)
{
    auto& skin = host.getSkin();
    auto& state = host.getHardwareThread().getState();

    number = std::make_unique<juce::Label> (juce::String::formatted ("upper play label %d", q), juce::String (c + 1));
    number->setBounds (skin.playbackNumberLabelBounds (q));
    number->setJustificationType (juce::Justification::centred);
    number->setFont (juce::Font ((float) number->getHeight(), juce::Font::bold));
    number->setBorderSize ({});
    number->setColour (juce::Label::backgroundColourId, numberBackground);
    number->setColour (juce::Label::textColourId, juce::Colours::white);
    number->setInterceptsMouseClicks (false, false);
    box.addAndMakeVisible (*number);

    alias = std::make_unique<PlaybackNameLabel> (state, c);
    alias->setBounds (skin.playbackNameLabelBounds (q));
    alias->setUp (box);

    mute = std::make_unique<PlaybackMuteButton> (host, c);
    mute->setBounds (skin.playbackMuteBounds (q));
    mute->setUp (box);

    fader = std::make_unique<PlaybackFader> (host, c);
    fader->setBounds (skin.playbackFaderBounds (q));
    fader->setUp (box);
    fader->makeTextBox (box, skin.playbackFaderValueBounds (q), faderTextHeight);

    solo = std::make_unique<PlaybackSoloButton> (host, c);
    solo->setBounds (skin.playbackSoloBounds (q));
    solo->setUp (box);
}

PlaybackStrip::~PlaybackStrip() = default;

void PlaybackStrip::select (int c)
{
    channel = c;
    fader->selectBank (c);
    mute->selectBank (c);
    if ((c & 1) == 0 && gang != nullptr)
        gang->selectPair (c);
    alias->select (c);
    number->setText (juce::String (c + 1), juce::dontSendNotification);
    solo->selectBank (c);
}

void PlaybackStrip::link (PairGangButton& gangButton, PlaybackStrip& other)
{
    gang = &gangButton;
    fader->setGang (&gangButton, other.fader.get());
    mute->setGang (&gangButton, other.mute.get());
    solo->setGang (&gangButton, other.solo.get());
}

} // namespace arx
