#include "mixer/strips/MonitorFlagButton.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/Device.h"
#include "mixer/strips/InputStrip.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/SoloWarning.h"

namespace arx
{

MonitorFlagButton::MonitorFlagButton (MixerHost& mixerHost, int inputIndex) : CtrlGroupedButton (mixerHost, 0), input (inputIndex)
{
}

void MonitorFlagButton::refresh (ConsoleState& state, bool markAll)
{
    showStateFlag (state);
    if (markAll)
        markBanks (0, state.outputCount(), 2);
}

void MonitorFlagButton::reset()
{
    auto& state = getThread().getState();
    for (int bank = 0; bank < state.outputCount(); bank += 2)
    {
        setStateFlag (state, bank, resetFlag (state, bank));
        markBank (bank);
    }
    refresh (state, false);
}

int MonitorFlagButton::bankOf (const MixChange& change) const noexcept
{
    return change.kind == flagKind() && change.a == input ? change.b & ~1 : -1;
}

juce::Array<CtrlGroupedButton*> MonitorFlagButton::group()
{
    juce::Array<CtrlGroupedButton*> buttons;
    if (auto* box = findParentComponentOfClass<InputStripBox>())
        for (int k = 0; k < box->getNumStrips(); ++k)
            buttons.add (&counterpart (*box->getStrip (k)));
    return buttons;
}

//==============================================================================
MonitorMuteButton::MonitorMuteButton (MixerHost& mixerHost, int inputIndex) : MonitorFlagButton (mixerHost, inputIndex)
{
    setName ("mon mute");
    setImages (mixerHost.getSkin().muteImages());
}

MonitorFlagButton& MonitorMuteButton::counterpart (InputStrip& strip) const { return strip.getMute(); }

bool MonitorMuteButton::stateFlag (const ConsoleState& state, int bank) const { return state.monitorMute (input, bank); }

void MonitorMuteButton::setStateFlag (ConsoleState& state, int bank, bool on) const { state.setMonitorMute (input, bank, on); }

bool MonitorMuteButton::resetFlag (const ConsoleState& state, int bank) const
{
    return state.isMonitorMutedByDefault (input, bank);
}

int MonitorMuteButton::readDevice (Device& device, int bank, bool& on) const { return device.getMonitorMute (input, bank, on); }

int MonitorMuteButton::writeDevice (Device& device, int bank, bool on) const { return device.setMonitorMute (input, bank, on); }

//==============================================================================
MonitorSoloButton::MonitorSoloButton (MixerHost& mixerHost, int inputIndex) : MonitorFlagButton (mixerHost, inputIndex)
{
    setName (juce::String::formatted ("mon solo %d", inputIndex));
    setImages (mixerHost.getSkin().soloImages());
}

MonitorFlagButton& MonitorSoloButton::counterpart (InputStrip& strip) const { return strip.getSolo(); }

bool MonitorSoloButton::stateFlag (const ConsoleState& state, int bank) const { return state.monitorSolo (input, bank); }

void MonitorSoloButton::setStateFlag (ConsoleState& state, int bank, bool on) const { state.setMonitorSolo (input, bank, on); }

int MonitorSoloButton::readDevice (Device& device, int bank, bool& on) const { return device.getMonitorSolo (input, bank, on); }

int MonitorSoloButton::writeDevice (Device& device, int bank, bool on) const { return device.setMonitorSolo (input, bank, on); }

void MonitorSoloButton::flagsChanged()
{
    if (auto* warning = host.getSoloWarning())
        warning->recount();
}

} // namespace arx
