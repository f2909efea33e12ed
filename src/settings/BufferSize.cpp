#include "settings/BufferSize.h"

#include "app/ModalDialogs.h"
#include "console/ConsoleState.h"
#include "device/Device.h"

namespace arx
{

namespace
{
enum Message
{
    showDriverSize = 0,
    showRefusal = 1
};
} // namespace

const char* const BufferSize::refusalTitle = "Vantrel ARX Console";
const char* const BufferSize::refusalText =
    "\nYour device is currently being used by an ASIO application.\n\n"
    "Please change the buffer size from that application using\nthe ASIO control panel.";

//==============================================================================
BufferSizeSlider::BufferSizeSlider (const ConsoleState& consoleState)
    : juce::Slider ("buffer size slider"), state (consoleState)
{
}

juce::String BufferSizeSlider::getTextFromValue (double value)
{
    const auto rate = state.image().sampleRate;
    if (rate == 0)
        return {};
    return juce::String::formatted ("%.0f samples / %.01f msec", value, value / rate * 1000.0);
}

bool BufferSizeSlider::isHeld() const
{
    return isMouseButtonDown() || getThumbBeingDragged() >= 0;
}

//==============================================================================
BufferSize::BufferSize (DeviceControlHost& host) : SettingsGroup (host, "buffer size box", "Buffer size"), slider (state())
{
    setSize (200, 80);

    slider.setSliderStyle (juce::Slider::LinearHorizontal);
    slider.setTextBoxStyle (juce::Slider::TextBoxBelow, true, 150, 30);
    slider.setBounds (10, (getHeight() - 50) / 2, 180, 50);
    slider.setChangeNotificationOnlyOnRelease (true);
    slider.setRange (minimumSamples, maximumSamples, stepSamples);
    // The look leaves slider tracks clear; this one would show no range at all.
    slider.setColour (juce::Slider::backgroundColourId, juce::Colour::greyLevel (0.3f));
    slider.addListener (this);
    addAndMakeVisible (slider);

    messageBox = [this] (const juce::String& title, const juce::String& message) {
        ModalDialogs::tellAsync (title, message, "OK", this);
    };

    getThread().queueGet (*this);
}

BufferSize::~BufferSize()
{
    slider.removeListener (this);
}

void BufferSize::get()
{
    // A failed read is left to the next status poll; a size the user chose meanwhile is on its
    // way to the driver and stays.
    const auto editsBefore = editCount();
    if (device().readDriverInfo() != Device::resultOk)
        return;

    const auto driverSize = device().driverInfoBufferSize();
    if (takeRead (editsBefore, [&] { samples = driverSize; }))
        postCommandMessage (showDriverSize);
}

void BufferSize::set()
{
    // Not read from the driver yet (a load or reset straight after opening): nothing to re-send.
    if (samples.load() == 0)
        return;

    if (device().setBufferSize (samples.load()) == Device::resultOk)
        return;

    getThread().queueGet (*this);
    postCommandMessage (showRefusal);
}

void BufferSize::handleCommandMessage (int commandId)
{
    if (commandId == showDriverSize)
        slider.setValue (double (samples.load()), juce::dontSendNotification);
    else if (commandId == showRefusal && messageBox)
        messageBox (refusalTitle, refusalText);
}

void BufferSize::checkDriverSize()
{
    if (device().driverInfoBufferSize() != samples.load() && ! slider.isHeld())
        getThread().queueGet (*this);
}

void BufferSize::sliderValueChanged (juce::Slider*)
{
    const auto chosen = uint32_t (juce::roundToInt (slider.getValue()));
    commitEdit ([&] { samples = chosen; });
}

} // namespace arx
