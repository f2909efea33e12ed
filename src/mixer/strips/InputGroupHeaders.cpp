#include "mixer/strips/InputGroupHeaders.h"

#include "device/HardwareInfo.h"
#include "look/ConsoleLookAndFeel.h"

namespace arx
{

namespace
{
constexpr int labelHeight = 24;
constexpr float fontHeight = 14.0f;
} // namespace

InputGroupHeaders::InputGroupHeaders (const HardwareInfo* info, int strips, int stripWidth, juce::Component& box)
{
    setBounds (0, 0, strips * stripWidth, height);
    setOpaque (true);
    box.addAndMakeVisible (this);

    if (info == nullptr)
        return;

    int firstStrip = 0;
    for (int g = 0; g < info->inputGroupCount() && firstStrip < strips; ++g)
    {
        const int shown = juce::jmin (info->inputGroupChannels (g), strips - firstStrip);
        const int x = firstStrip * stripWidth;
        const int span = shown * stripWidth;

        auto label = std::make_unique<juce::Label> ("input group label", info->inputGroupName (g).toUpperCase());
        label->setBounds (x + (span - stripWidth) / 2, (height - labelHeight) / 2, stripWidth, labelHeight);
        label->setJustificationType (juce::Justification::centred);
        label->setFont (juce::Font (fontHeight, juce::Font::bold));
        addAndMakeVisible (*label);
        labels.push_back (std::move (label));

        firstStrip += shown;
    }
}

InputGroupHeaders::~InputGroupHeaders() = default;

void InputGroupHeaders::paint (juce::Graphics& g)
{
    g.fillAll (ConsoleLookAndFeel::backgroundColour());
}

} // namespace arx
