#include "mixer/strips/MonitorPanKnob.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "device/GainCode.h"
#include "device/Device.h"

namespace arx
{

MonitorPanKnob::MonitorPanKnob (MixerHost& host, juce::Component& strip, int inputIndex)
    : PanKnob (host, strip), input (inputIndex)
{
}

float MonitorPanKnob::stateValue() const
{
    return getThread().getState().monitorPan (input, getBank());
}

void MonitorPanKnob::setStateValue (float pan)
{
    getThread().getState().setMonitorPan (input, getBank(), pan);
}

int MonitorPanKnob::bankOf (const MixChange& change) const noexcept
{
    return change.kind == MixChange::monitorPan && change.a == input ? change.b & ~1 : -1;
}

void MonitorPanKnob::get()
{
    const int bank = getBank();
    const auto editsBefore = editCount();
    float pan = 0.0f;
    const int code = getThread().getDevice().getMonitorPan (input, bank, pan);
    if (code == 0)
        takeBankRead (editsBefore, bank, [&] { getThread().getState().setMonitorPan (input, bank, pan); });
    forgetDeviceValue (bank);
    onGetResult (code, this);
}

void MonitorPanKnob::set()
{
    auto& state = getThread().getState();
    auto& device = getThread().getDevice();
    sendNextChangedBank ([&] (int bank) { return state.image().monitorPan[input][bank]; },
                         [&] (int bank, uint32_t code) { return device.setMonitorPan (input, bank, codeToPan (uint8_t (code))); });
}

void MonitorPanKnob::refresh (ConsoleState& state, bool markAll)
{
    handleCommandMessage (0);
    if (markAll)
        markBanks (0, state.outputCount(), 2);
}

void MonitorPanKnob::reset()
{
    auto& state = getThread().getState();
    const float pan = state.defaultMonitorPan (input);
    for (int bank = 0; bank < state.outputCount(); bank += 2)
    {
        state.setMonitorPan (input, bank, pan);
        markBank (bank);
    }
    refresh (state, false);
}

} // namespace arx
