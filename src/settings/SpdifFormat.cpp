#include "settings/SpdifFormat.h"

#include "console/ConsoleState.h"
#include "device/Device.h"

namespace arx
{

namespace
{
constexpr uint32_t spdifBit = SessionImage::flagSpdifFormat;
} // namespace

SpdifFormat::SpdifFormat (DeviceControlHost& host) : SettingsGroup (host, "spdif format", "S/PDIF format")
{
    setSize (200, 80);
    consumer.setBounds (50, 20, 100, 22);
    pro.setBounds (50, 48, 100, 22);
    for (auto* b : { &consumer, &pro })
    {
        b->setRadioGroupId (radioGroup);
        b->addListener (this);
        addAndMakeVisible (*b);
    }
    consumer.setToggleState (true, juce::dontSendNotification);
}

SpdifFormat::~SpdifFormat()
{
    consumer.removeListener (this);
    pro.removeListener (this);
}

void SpdifFormat::get()
{
    const auto editsBefore = editCount();
    int32_t deviceFlags = 0;
    const int code = device().getFlags (deviceFlags);
    if (code == Device::resultOk)
        takeRead (editsBefore, [&] { professional = (uint32_t (deviceFlags) & spdifBit) != 0; });
    onGetResult (code, this);
}

void SpdifFormat::set()
{
    onSetResult (professional ? device().changeFlags (spdifBit, 0) : device().changeFlags (0, spdifBit));
}

void SpdifFormat::refresh (ConsoleState& consoleState, bool)
{
    professional = consoleState.testFlags (spdifBit);
    handleCommandMessage (0);
}

void SpdifFormat::store (ConsoleState& consoleState)
{
    if (professional)
        consoleState.setFlags (spdifBit);
    else
        consoleState.clearFlags (spdifBit);
}

void SpdifFormat::reset()
{
    professional = false;
    store (state());
    handleCommandMessage (0);
}

void SpdifFormat::handleCommandMessage (int)
{
    pro.setToggleState (professional.load(), juce::dontSendNotification);
    consumer.setToggleState (! professional.load(), juce::dontSendNotification);
}

void SpdifFormat::buttonClicked (juce::Button* clicked)
{
    // A radio group also reports the buttons it turns off.
    if (! clicked->getToggleState())
        return;

    commitEdit ([&] { professional = clicked == &pro; });
}

} // namespace arx
