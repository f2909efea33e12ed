#include "mixer/strips/MonitorFader.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/GainCode.h"
#include "device/Device.h"

namespace arx
{

MonitorFader::MonitorFader (MixerHost& mixerHost, int inputIndex) : Fader (mixerHost, 0), input (inputIndex)
{
    setName (juce::String::formatted ("mon fader %d", input));
}

double MonitorFader::stateLevel (const ConsoleState& state, int bank) const
{
    return state.monitorGain (input, bank);
}

int MonitorFader::bankOf (const MixChange& change) const noexcept
{
    return change.kind == MixChange::monitorLevel && change.a == input ? change.b & ~1 : -1;
}

void MonitorFader::get()
{
    const int bank = getBank();
    const auto editsBefore = editCount();
    uint32_t gain = 0;
    const int code = getThread().getDevice().getMonitorGainCode (input, bank, gain);
    if (code == 0)
        takeBankRead (editsBefore, bank, [&] { getThread().getState().setMonitorGainCode (input, bank, gain); });
    forgetDeviceValue (bank);
    onGetResult (code, this);
}

void MonitorFader::set()
{
    auto& state = getThread().getState();
    auto& device = getThread().getDevice();
    sendNextChangedBank ([&] (int bank) { return state.monitorGainCode (input, bank); },
                         [&] (int bank, uint32_t code) { return device.setMonitorGainCode (input, bank, code); });
}

void MonitorFader::refresh (ConsoleState& state, bool markAll)
{
    showStateLevel();
    store (state);
    if (markAll)
        markBanks (0, state.outputCount(), 2);
}

void MonitorFader::store (ConsoleState& state)
{
    // Showing a level below -60 dB, or off the 0.1 grid, must not change it: only a move does.
    const auto level = shownLevel();
    if (wouldOnlyRound (state.monitorGain (input, level.bank), level.value))
        return;
    state.setMonitorGain (input, level.bank, level.value);
    state.setMonitorGain (input, level.bank + 1, level.value);
}

void MonitorFader::reset()
{
    auto& state = getThread().getState();
    for (int bank = 0; bank < state.outputCount(); bank += 2)
    {
        state.setMonitorGain (input, bank, 0.0f);
        state.setMonitorGain (input, bank + 1, 0.0f);
        markBank (bank);
    }
    showStateLevel();
}

void MonitorFader::handleCommandMessage (int)
{
    showStateLevel();
}

} // namespace arx
