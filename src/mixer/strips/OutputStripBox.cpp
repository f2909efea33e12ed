#include "mixer/strips/OutputStripBox.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/HardwareInfo.h"
#include "device/Device.h"
#include "look/ConsoleSkin.h"

namespace arx
{

namespace
{
constexpr float faderTextHeight = 12.5f;
} // namespace

OutputMeter::OutputMeter (const ConsoleSkin& skin, int place)
{
    setBounds (skin.outputMeterBounds (place));
    setImages (skin.meterLitImage(), skin.meterUnlitImage());
}

//==============================================================================
OutputStripBox::OutputStripBox (MixerHost& mixerHost, juce::Component& page)
    : host (mixerHost), column (mixerHost.getSkin().outputColumnImage())
{
    auto& skin = host.getSkin();
    auto& state = host.getHardwareThread().getState();

    setBounds (skin.outputStripBoxBounds());
    setOpaque (true);
    page.addAndMakeVisible (this);

    // The meters lie under the faders, which overlap them and draw their caps clear of them.
    for (int q = 0; q < 2; ++q)
    {
        meters[(size_t) q] = std::make_unique<OutputMeter> (skin, q);
        meters[(size_t) q]->setUp (*this);
    }
    for (int q = 0; q < 2; ++q)
    {
        auto& fader = faders[(size_t) q] = std::make_unique<OutputFader> (host, q);
        fader->setBounds (skin.outputFaderBounds (q));
        fader->setUp (*this);
        fader->makeTextBox (*this, skin.outputFaderValueBounds (q), faderTextHeight);
    }
    for (int q = 0; q < 2; ++q)
    {
        auto& mute = mutes[(size_t) q] = std::make_unique<OutputMuteButton> (host, q);
        mute->setBounds (skin.outputMuteBounds (q));
        mute->setUp (*this);
    }
    for (int q = 0; q < 2; ++q)
    {
        auto& alias = aliases[(size_t) q] = std::make_unique<OutputNameLabel> (state, q);
        alias->setBounds (skin.outputNameLabelBounds (q));
        alias->setUp (*this);
    }

    gang = std::make_unique<OutputGangButton> (host, state);
    gang->setBounds (skin.outputGangBounds());
    gang->setUp (*this);
    for (int q = 0; q < 2; ++q)
    {
        faders[(size_t) q]->setGang (gang.get(), faders[(size_t) (1 - q)].get());
        mutes[(size_t) q]->setGang (gang.get(), mutes[(size_t) (1 - q)].get());
    }

    for (int q = 0; q < 2; ++q)
    {
        auto& number = numbers[(size_t) q] = std::make_unique<juce::Label> ("master upper label", numberText (state.info(), q));
        number->setBounds (skin.outputNumberLabelBounds (q));
        number->setJustificationType (juce::Justification::centred);
        number->setFont (juce::Font ((float) number->getHeight(), juce::Font::bold));
        number->setBorderSize ({});
        number->setInterceptsMouseClicks (false, false);
        addAndMakeVisible (*number);
    }
}

OutputStripBox::~OutputStripBox()
{
    // The faders and mutes point at the gang: they go first.
    for (auto& f : faders)
        f.reset();
    for (auto& m : mutes)
        m.reset();
}

juce::String OutputStripBox::numberText (const HardwareInfo* info, int output)
{
    const int k = info != nullptr ? info->outputIndexInGroup (output) : HardwareInfo::unmapped;
    return "Out " + juce::String ((k == HardwareInfo::unmapped ? output : k) + 1);
}

void OutputStripBox::selectBank (int b)
{
    const auto* info = host.getHardwareThread().getState().info();
    for (int q = 0; q < 2; ++q)
    {
        faders[(size_t) q]->selectBank (b + q);
        mutes[(size_t) q]->selectBank (b + q);
        aliases[(size_t) q]->select (b + q);
        numbers[(size_t) q]->setText (numberText (info, b + q), juce::dontSendNotification);
    }
    gang->selectPair (b);
    bank = b;
}

int OutputStripBox::refreshMeters()
{
    const auto& device = host.getHardwareThread().getDevice();
    int pixels = 0;
    for (int q = 0; q < 2; ++q)
    {
        const auto band = meters[(size_t) q]->setLevel (device.outputMeter (bank + q));
        pixels += band.getWidth() * band.getHeight();
    }
    return pixels;
}

void OutputStripBox::paint (juce::Graphics& g)
{
    column.drawAt (g, 0, 0);
}

} // namespace arx
