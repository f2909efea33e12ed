#pragma once

#include "console/HwCtrlBanked.h"
#include "mixer/widgets/ToggleBase.h"

namespace arx
{

// A toggle bound to a banked console value: the bank is the output or channel it addresses; a
// click marks that bank dirty.
//
// Threads: as ToggleBase; get() and set() on the hardware thread.
class ToggleBanked : public ToggleBase, public HwCtrlBanked
{
public:
    ToggleBanked (MixerHost& host, int bank);

    void commitState() override;
    HwCtrl& hwCtrl() override { return *this; }

    int getBank() const noexcept { return shown.bank(); }
    // Stores the state for the old bank, then shows the new bank's state.
    virtual void selectBank (int bank);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ToggleBanked)
};

// A monitor mute or solo: Ctrl-click sets the same button of every input strip to this
// button's new state, for the shown output pair only.
class CtrlGroupedButton : public ToggleBanked
{
public:
    using ToggleBanked::ToggleBanked;

    // The same button of every input strip, in strip order, this one among them.
    virtual juce::Array<CtrlGroupedButton*> group() = 0;

    using ToggleBanked::clicked;
    void clicked (const juce::ModifierKeys& modifiers) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CtrlGroupedButton)
};

} // namespace arx
