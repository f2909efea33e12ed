#pragma once

#include "mixer/widgets/PanKnob.h"

namespace arx
{

// The pan of input i in the monitor mix of the shown output pair: monitorPan(i, bank) in the
// console state, getMonitorPan / setMonitorPan on the device.
//
// Threads: as PanKnob.
class MonitorPanKnob : public PanKnob
{
public:
    MonitorPanKnob (MixerHost& host, juce::Component& strip, int input);

    int getInput() const noexcept { return input; }

    float stateValue() const override;
    void setStateValue (float pan) override;

    void get() override;
    void set() override;
    void refresh (ConsoleState& state, bool markAll) override;
    void store (ConsoleState&) override {}
    void reset() override;

protected:
    int bankOf (const MixChange& change) const noexcept override;

private:
    const int input;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MonitorPanKnob)
};

} // namespace arx
