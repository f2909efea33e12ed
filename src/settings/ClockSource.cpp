#include "settings/ClockSource.h"

#include "console/ConsoleState.h"
#include "device/Device.h"

namespace arx
{

namespace
{
constexpr uint32_t externalSignalBits = 0x3Eu; // sources 1 to 5
} // namespace

ClockSource::ClockSource (DeviceControlHost& host) : SettingsGroup (host, "clock source select", "Clock source")
{
    const auto& info = device().info();
    int placed = 0;
    for (int i = 0; i < sourceCount; ++i)
    {
        if (! info.clockAvailable (i))
            continue;

        auto button = std::make_unique<juce::ToggleButton> (HardwareInfo::clockName (i));
        button->setBounds (placed % 2 == 0 ? 18 : 102, 25 + 28 * (placed / 2), 80, 24);
        button->setRadioGroupId (radioGroup);
        button->addListener (this);
        addAndMakeVisible (*button);
        buttons[size_t (i)] = std::move (button);
        ++placed;
    }

    setSize (200, (placed + 1) / 2 * 26 + 40);
}

ClockSource::~ClockSource()
{
    for (auto& b : buttons)
        if (b != nullptr)
            b->removeListener (this);
}

juce::ToggleButton* ClockSource::buttonFor (int index) const
{
    return isSource (index) ? buttons[size_t (index)].get() : nullptr;
}

//==============================================================================
void ClockSource::get()
{
    const auto editsBefore = editCount();
    int current = 0, rate = 0;
    const int code = device().getClock (current, rate);
    if (code == Device::resultOk)
        takeRead (editsBefore, [&] { source = current; });
    onGetResult (code, this);
}

void ClockSource::set()
{
    onSetResult (device().setClock (source.load(), -1));
}

void ClockSource::refresh (ConsoleState& consoleState, bool)
{
    const auto stored = consoleState.image().clockSource;
    if (stored < uint32_t (sourceCount) && buttons[stored] != nullptr)
        source = int (stored);
    store (consoleState);
    handleCommandMessage (0);
}

void ClockSource::store (ConsoleState& consoleState)
{
    consoleState.image().clockSource = uint32_t (source.load());
}

void ClockSource::handleCommandMessage (int)
{
    for (int i = 0; i < sourceCount; ++i)
        if (auto* b = buttons[size_t (i)].get())
            b->setToggleState (i == source.load(), juce::dontSendNotification);
}

//==============================================================================
void ClockSource::updateAvailability (uint32_t statusBits)
{
    const auto signals = statusBits & externalSignalBits;
    if (signalsSeen && signals == lastSignals)
        return;

    signalsSeen = true;
    lastSignals = signals;
    for (int i = 1; i < sourceCount; ++i)
        if (auto* b = buttons[size_t (i)].get())
            b->setEnabled ((signals & (1u << i)) != 0);
}

void ClockSource::buttonClicked (juce::Button* clicked)
{
    // A radio group also reports the buttons it turns off.
    if (! clicked->getToggleState())
        return;

    for (int i = 0; i < sourceCount; ++i)
    {
        if (buttons[size_t (i)].get() == clicked)
        {
            commitEdit ([&] { source = i; });
            return;
        }
    }
}

} // namespace arx
