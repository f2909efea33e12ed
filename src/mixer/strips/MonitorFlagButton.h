#pragma once

#include "mixer/widgets/BankedToggle.h"

namespace arx
{

class InputStrip;

// A monitor mute or solo of input i for the shown output pair: one bit of monitorFlags[i][bank]
// and [i][bank + 1] in the console state.
//
// Threads: as BankedToggle.
class MonitorFlagButton : public CtrlGroupedButton
{
public:
    void refresh (ConsoleState& state, bool markAll) override;
    void reset() override;

    juce::Array<CtrlGroupedButton*> group() override;

    int getInput() const noexcept { return input; }

protected:
    MonitorFlagButton (MixerHost& host, int input);

    // The same button of another strip.
    virtual MonitorFlagButton& counterpart (InputStrip& strip) const = 0;

    virtual bool resetFlag (const ConsoleState& state, int bank) const = 0;
    // The place kind of this button's flag.
    virtual MixChange::Kind flagKind() const noexcept = 0;
    int bankOf (const MixChange& change) const noexcept override;
    bool skipsHeldBanks() const noexcept override { return true; }

    const int input;
};

// "mon mute": bit 0. Reset mutes every route except an analog input pair into the analog output
// pair with the same numbers.
class MonitorMuteButton : public MonitorFlagButton
{
public:
    MonitorMuteButton (MixerHost& host, int input);

protected:
    MonitorFlagButton& counterpart (InputStrip& strip) const override;
    bool stateFlag (const ConsoleState& state, int bank) const override;
    void setStateFlag (ConsoleState& state, int bank, bool on) const override;
    bool resetFlag (const ConsoleState& state, int bank) const override;
    MixChange::Kind flagKind() const noexcept override { return MixChange::monitorMute; }
    int readDevice (Device& device, int bank, bool& on) const override;
    int writeDevice (Device& device, int bank, bool on) const override;
};

// "mon solo %d": bit 1. Every change makes the solo warning count again.
class MonitorSoloButton : public MonitorFlagButton
{
public:
    MonitorSoloButton (MixerHost& host, int input);

protected:
    MonitorFlagButton& counterpart (InputStrip& strip) const override;
    bool stateFlag (const ConsoleState& state, int bank) const override;
    void setStateFlag (ConsoleState& state, int bank, bool on) const override;
    bool resetFlag (const ConsoleState&, int) const override { return false; }
    MixChange::Kind flagKind() const noexcept override { return MixChange::monitorSolo; }
    int readDevice (Device& device, int bank, bool& on) const override;
    int writeDevice (Device& device, int bank, bool on) const override;
    void flagsChanged() override;
};

} // namespace arx
