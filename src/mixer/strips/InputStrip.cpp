#include "mixer/strips/InputStrip.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/Device.h"
#include "look/ConsoleSkin.h"

namespace arx
{

namespace
{
constexpr int stringKind = 9;
constexpr float faderTextHeight = 12.5f;
} // namespace

InputMeter::InputMeter (const ConsoleSkin& skin)
{
    setBounds (skin.inputMeterBounds());
    setImages (skin.meterLitImage(), skin.meterUnlitImage());
}

//==============================================================================
InputStrip::InputStrip (MixerHost& mixerHost, int inputIndex) : host (mixerHost), input (inputIndex)
{
    auto& skin = host.getSkin();
    auto& state = host.getHardwareThread().getState();
    const auto* info = state.info();

    setOpaque (true);
    background = skin.inputStripImage();

    const int group = info != nullptr ? info->inputGroupOf (input) : HardwareInfo::unmapped;
    if (info != nullptr && info->inputGroupChannels (group) > 1)
    {
        number = std::make_unique<juce::Label> (juce::String::formatted ("upper label %d", input), numberText (info, input));
        number->setJustificationType (juce::Justification::centred);
        number->setBounds (skin.inputNumberLabelBounds());
        number->setColour (juce::Label::textColourId, juce::Colours::white);
        number->setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        number->setFont (juce::Font ((float) number->getHeight(), juce::Font::bold));
        number->setInterceptsMouseClicks (false, false);
        addAndMakeVisible (*number);
    }

    alias = std::make_unique<InputNameLabel> (state, input);
    alias->setBounds (skin.inputNameLabelBounds());
    alias->setUp (*this);

    solo = std::make_unique<MonitorSoloButton> (host, input);
    solo->setBounds (skin.inputSoloBounds());
    solo->setUp (*this);

    mute = std::make_unique<MonitorMuteButton> (host, input);
    mute->setBounds (skin.inputMuteBounds());
    mute->setUp (*this);

    pan = std::make_unique<MonitorPanKnob> (host, *this, input);

    // Before the fader, which overlaps it and draws its cap clear of it.
    level = std::make_unique<InputMeter> (skin);
    level->setUp (*this);

    fader = std::make_unique<MonitorFader> (host, input);
    fader->setBounds (skin.inputFaderBounds());
    fader->setUp (*this);
    fader->makeTextBox (*this, skin.inputFaderValueBounds(), faderTextHeight);
}

InputStrip::~InputStrip() = default;

juce::String InputStrip::numberText (const HardwareInfo* info, int input)
{
    const int k = info != nullptr ? info->inputIndexInGroup (input) : input;
    if (info != nullptr && info->inputKind (input) == stringKind)
        return juce::String (6 - k);
    return juce::String (k + 1);
}

juce::Rectangle<int> InputStrip::refreshMeter()
{
    return level->setLevel (host.getHardwareThread().getDevice().inputMeter (input));
}

void InputStrip::selectBank (int bank)
{
    fader->selectBank (bank);
    mute->selectBank (bank);
    solo->selectBank (bank);
    pan->selectBank (bank);
}

void InputStrip::paint (juce::Graphics& g)
{
    background.drawAt (g, 0, 0);
}

} // namespace arx
