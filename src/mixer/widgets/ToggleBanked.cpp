#include "mixer/widgets/ToggleBanked.h"

#include "console/hwthread.h"

namespace arx
{

ToggleBanked::ToggleBanked (MixerHost& mixerHost, int bank) : ToggleBase (mixerHost), HwCtrlBanked (mixerHost)
{
    shown.set (bank, 0.0f);
}

void ToggleBanked::commitState()
{
    ToggleBase::commitState();
    markBank (getBank());
}

void ToggleBanked::selectBank (int bank)
{
    auto& state = getThread().getState();
    store (state);
    shown.set (bank, shown.value());
    refresh (state, false);
}

//==============================================================================
void CtrlGroupedButton::clicked (const juce::ModifierKeys& modifiers)
{
    if (! modifiers.isCtrlDown())
    {
        ToggleBase::clicked();
        return;
    }

    // Gangs play no part: every input is set, each for its shown pair.
    const bool on = getToggleState();
    for (auto* button : group())
    {
        button->setToggleState (on, juce::dontSendNotification);
        button->commitState();
        button->queueSet();
    }
}

} // namespace arx
