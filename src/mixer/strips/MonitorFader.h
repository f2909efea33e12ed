#pragma once

#include "mixer/widgets/Fader.h"

namespace arx
{

// The level of input i in the monitor mix of the shown output pair: monitorGain(i, bank) and
// (i, bank + 1) in the console state, getMonitorGain / setMonitorGain on the device.
//
// Threads: as Fader.
class MonitorFader : public Fader
{
public:
    MonitorFader (MixerHost& host, int input);

    int getInput() const noexcept { return input; }

    void get() override;
    void set() override;
    void refresh (ConsoleState& state, bool markAll) override;
    void store (ConsoleState& state) override;
    void reset() override;

    void handleCommandMessage (int) override;

protected:
    int bankOf (const MixChange& change) const noexcept override;
    double stateLevel (const ConsoleState& state, int bank) const override;

private:
    const int input;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MonitorFader)
};

} // namespace arx
