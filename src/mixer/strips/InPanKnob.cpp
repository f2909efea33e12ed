#include "mixer/strips/InPanKnob.h"

#include "console/ConsoleState.h"
#include "console/hwthread.h"
#include "device/GainCode.h"
#include "device/bhw.h"

namespace arx
{

InPanKnob::InPanKnob (MixerHost& host, juce::Component& strip, int inputIndex)
    : PanKnob (host, strip), input (inputIndex)
{
}

float InPanKnob::stateValue() const
{
    return getThread().getState().monitorPan (input, getBank());
}

void InPanKnob::setStateValue (float pan)
{
    getThread().getState().setMonitorPan (input, getBank(), pan);
}

void InPanKnob::get()
{
    const int bank = getBank();
    float pan = 0.0f;
    const int code = getThread().getDevice().getMonitorPan (input, bank, pan);
    if (code == 0)
        getThread().getState().setMonitorPan (input, bank, pan);
    forgetDeviceValue (bank);
    onGetResult (code, this);
}

void InPanKnob::set()
{
    auto& state = getThread().getState();
    auto& device = getThread().getDevice();
    sendNextChangedBank ([&] (int bank) { return state.image().monitorPan[input][bank]; },
                         [&] (int bank, uint32_t code) { return device.setMonitorPan (input, bank, codeToPan (uint8_t (code))); });
}

void InPanKnob::refresh (ConsoleState& state, bool markAll)
{
    handleCommandMessage (0);
    if (markAll)
        markBanks (0, state.outputCount(), 2);
}

void InPanKnob::reset()
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
