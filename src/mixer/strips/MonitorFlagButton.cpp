#include "mixer/strips/MonitorFlagButton.h"

#include "console/ConsoleState.h"
#include "console/hwthread.h"
#include "device/bhw.h"
#include "mixer/strips/instrip.h"
#include "mixer/strips/instripbox.h"
#include "mixer/widgets/RudeSolo.h"

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

juce::Array<CtrlGroupedButton*> MonitorFlagButton::group()
{
    juce::Array<CtrlGroupedButton*> buttons;
    if (auto* box = findParentComponentOfClass<instripbox>())
        for (int k = 0; k < box->getNumStrips(); ++k)
            buttons.add (&counterpart (*box->getStrip (k)));
    return buttons;
}

//==============================================================================
monmute::monmute (MixerHost& mixerHost, int inputIndex) : MonitorFlagButton (mixerHost, inputIndex)
{
    setName ("mon mute");
    setImages (mixerHost.getSkin().muteImages());
}

MonitorFlagButton& monmute::counterpart (instrip& strip) const { return strip.getMute(); }

bool monmute::stateFlag (const ConsoleState& state, int bank) const { return state.monitorMute (input, bank); }

void monmute::setStateFlag (ConsoleState& state, int bank, bool on) const { state.setMonitorMute (input, bank, on); }

bool monmute::resetFlag (const ConsoleState& state, int bank) const
{
    return state.isMonitorMutedByDefault (input, bank);
}

int monmute::readDevice (bhw& device, int bank, bool& on) const { return device.getMonitorMute (input, bank, on); }

int monmute::writeDevice (bhw& device, int bank, bool on) const { return device.setMonitorMute (input, bank, on); }

//==============================================================================
MonSolo::MonSolo (MixerHost& mixerHost, int inputIndex) : MonitorFlagButton (mixerHost, inputIndex)
{
    setName (juce::String::formatted ("mon solo %d", inputIndex));
    setImages (mixerHost.getSkin().soloImages());
}

MonitorFlagButton& MonSolo::counterpart (instrip& strip) const { return strip.getSolo(); }

bool MonSolo::stateFlag (const ConsoleState& state, int bank) const { return state.monitorSolo (input, bank); }

void MonSolo::setStateFlag (ConsoleState& state, int bank, bool on) const { state.setMonitorSolo (input, bank, on); }

int MonSolo::readDevice (bhw& device, int bank, bool& on) const { return device.getMonitorSolo (input, bank, on); }

int MonSolo::writeDevice (bhw& device, int bank, bool on) const { return device.setMonitorSolo (input, bank, on); }

void MonSolo::flagsChanged()
{
    if (auto* warning = host.getSoloWarning())
        warning->recount();
}

} // namespace arx
