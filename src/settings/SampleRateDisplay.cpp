#include "settings/SampleRateDisplay.h"

#include "console/ConsoleState.h"
#include "device/Device.h"

namespace arx
{

SampleRateDisplay::SampleRateDisplay (DeviceControlHost& host, std::function<void()> rateShown)
    : SettingsGroup (host, "sample rate display", "Sample rate"), onRateShown (std::move (rateShown))
{
    setSize (200, 60);

    display.setBounds ((getWidth() - 100) / 2, (getHeight() - 20) / 2 + 4, 100, 20);
    display.setJustificationType (juce::Justification::centred);
    display.setFont (display.getFont().boldened());
    display.setColour (juce::Label::outlineColourId, juce::Colours::white);
    display.setColour (juce::Label::backgroundColourId, juce::Colours::black);
    display.setColour (juce::Label::textColourId, juce::Colour (0, 210, 0));
    addAndMakeVisible (display);

    getThread().queueGet (*this);
}

void SampleRateDisplay::get()
{
    int source = 0, rate = 0;
    const int code = device().getClock (source, rate);
    if (code == Device::resultOk && uint32_t (rate) != state().image().sampleRate)
        state().image().sampleRate = uint32_t (rate);
    onGetResult (code, this);
}

void SampleRateDisplay::update()
{
    getThread().queueGet (*this);
}

void SampleRateDisplay::handleCommandMessage (int)
{
    display.setText (rateText (state().image().sampleRate), juce::dontSendNotification);
    if (onRateShown)
        onRateShown();
}

} // namespace arx
