#include "mixer/strips/InputStripBox.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "look/ConsoleSkin.h"

namespace arx
{

InputStripBox::InputStripBox (MixerHost& host, juce::Component& page)
{
    auto& skin = host.getSkin();
    auto& state = host.getHardwareThread().getState();

    count = juce::jlimit (0, maxStrips, juce::jmin (skin.inputCount(), state.inputCount()));
    if (state.inputCount() > count)
        juce::Logger::writeToLog (juce::String::formatted ("Console - %d inputs, the window shows the first %d",
                                                           state.inputCount(), count));

    const int w = skin.stripWidth();
    setBounds (0, 0, count * w, skin.stripHeight() + InputGroupHeaders::height);
    setOpaque (true);
    page.addAndMakeVisible (this);

    header = std::make_unique<InputGroupHeaders> (state.info(), count, w, *this);
    for (int k = 0; k < count; ++k)
    {
        strips[(size_t) k] = std::make_unique<InputStrip> (host, k);
        strips[(size_t) k]->setBounds (skin.inputStripBounds (k));
        addAndMakeVisible (*strips[(size_t) k]);
    }
}

InputStripBox::~InputStripBox() = default;

InputStrip* InputStripBox::getStrip (int k) const noexcept
{
    return k >= 0 && k < count ? strips[(size_t) k].get() : nullptr;
}

int InputStripBox::refreshMeters()
{
    int pixels = 0;
    for (int k = 0; k < count; ++k)
    {
        const auto band = strips[(size_t) k]->refreshMeter();
        pixels += band.getWidth() * band.getHeight();
    }
    return pixels;
}

void InputStripBox::selectBank (int bank)
{
    for (int k = 0; k < count; ++k)
        strips[(size_t) k]->selectBank (bank);
}

} // namespace arx
