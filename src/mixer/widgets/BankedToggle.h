#pragma once

#include "console/BankedDeviceControl.h"
#include "mixer/widgets/SkinToggle.h"

namespace arx
{

class Device;

// A toggle bound to a banked on/off console value: the bank is the output or channel it
// addresses; a click marks that bank dirty. A device read shows the device's value but leaves
// the state alone; the next store writes what is shown. A read that a click overtook is
// dropped (DeviceControl). The subclass names the state's flag and
// the device commands, and how refresh marks and reset sets its banks.
//
// Threads: as SkinToggle; get() and set() on the hardware thread.
class BankedToggle : public SkinToggle, public BankedDeviceControl
{
public:
    BankedToggle (MixerHost& host, int bank);

    void commitState() override;
    void commitAndSend() override;
    DeviceControl& deviceControl() override { return *this; }

    int getBank() const noexcept { return shown.bank(); }
    // Stores the state for the old bank, then shows the new bank's state. The new bank goes out
    // with its own state in one step, as store() may run on the hardware thread at any moment.
    virtual void selectBank (int bank);

    void get() override;
    void set() override;
    void store (ConsoleState& state) override;

protected:
    // Shows the state's flag for the bank shown, without notification.
    void showStateFlag (const ConsoleState& state);

    virtual bool stateFlag (const ConsoleState& state, int bank) const = 0;
    virtual void setStateFlag (ConsoleState& state, int bank, bool on) const = 0;
    virtual int readDevice (Device& device, int bank, bool& on) const = 0;
    virtual int writeDevice (Device& device, int bank, bool on) const = 0;

    // Runs after every get, set and showStateFlag.
    virtual void flagsChanged() {}

    // Whether a set may skip a bank the device is known to hold already. Only where the
    // console is the device's one writer: other programs change playback and output flags
    // through the system volume behind the console's back.
    virtual bool skipsHeldBanks() const noexcept { return false; }

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BankedToggle)
};

// A monitor mute or solo: Ctrl-click sets the same button of every input strip to this
// button's new state, for the shown output pair only.
class CtrlGroupedButton : public BankedToggle
{
public:
    using BankedToggle::BankedToggle;

    // The same button of every input strip, in strip order, this one among them.
    virtual juce::Array<CtrlGroupedButton*> group() = 0;

    using BankedToggle::clicked;
    void clicked (const juce::ModifierKeys& modifiers) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CtrlGroupedButton)
};

} // namespace arx
