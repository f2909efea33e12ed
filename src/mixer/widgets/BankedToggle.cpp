#include "mixer/widgets/BankedToggle.h"

#include "console/HardwareThread.h"

namespace arx
{

BankedToggle::BankedToggle (MixerHost& mixerHost, int bank) : SkinToggle (mixerHost), BankedDeviceControl (mixerHost)
{
    shown.set (bank, 0.0f);
}

void BankedToggle::commitState()
{
    SkinToggle::commitState();
    markBank (getBank());
}

void BankedToggle::commitAndSend()
{
    commitEdit ([this] { commitState(); });
}

void BankedToggle::selectBank (int bank)
{
    auto& state = getThread().getState();
    store (state);
    shown.set (bank, stateFlag (state, bank) ? 1.0f : 0.0f);
    refresh (state, false);
}

void BankedToggle::get()
{
    const int bank = getBank();
    const auto editsBefore = editCount();
    bool on = false;
    const int code = readDevice (getThread().getDevice(), bank, on);
    if (code == 0)
        takeBankRead (editsBefore, bank, [&] { shown.replaceIfBank (bank, on ? 1.0f : 0.0f); });
    forgetDeviceValue (bank);
    flagsChanged();
    onGetResult (code, this);
}

void BankedToggle::set()
{
    auto& state = getThread().getState();
    auto& device = getThread().getDevice();
    if (skipsHeldBanks())
        sendNextChangedBank ([&] (int bank) { return stateFlag (state, bank) ? 1u : 0u; },
                             [&] (int bank, uint32_t on) { return writeDevice (device, bank, on != 0); });
    else
        sendNextBank ([&] (int bank) { return writeDevice (device, bank, stateFlag (state, bank)); });
    flagsChanged();
}

void BankedToggle::store (ConsoleState& state)
{
    const auto now = shown.get();
    setStateFlag (state, now.bank, now.value != 0.0f);
}

void BankedToggle::showStateFlag (const ConsoleState& state)
{
    const int bank = getBank();
    shown.set (bank, stateFlag (state, bank) ? 1.0f : 0.0f);
    flagsChanged();
    showCommittedState();
}

//==============================================================================
void CtrlGroupedButton::clicked (const juce::ModifierKeys& modifiers)
{
    if (! modifiers.isCtrlDown())
    {
        SkinToggle::clicked();
        return;
    }

    // Gangs play no part: every input is set, each for its shown pair.
    const bool on = getToggleState();
    for (auto* button : group())
    {
        button->setToggleState (on, juce::dontSendNotification);
        button->commitAndSend();
    }
}

} // namespace arx
