#pragma once

#include "settings/SampleRateBase.h"
#include "settings/SettingsGroup.h"

#include <functional>

namespace arx
{

// Vista and later: shows the device's own clock rate, read again after every status poll.
//
// Threads: get() on the hardware thread; everything else on the message thread.
class SampleRateDisplay : public SettingsGroup, public SampleRateBase
{
public:
    // `rateShown` runs after the label showed a rate (the buffer size text follows the rate).
    SampleRateDisplay (DeviceControlHost& host, std::function<void()> rateShown);

    void get() override;
    void set() override {}
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    void update() override;
    void handleCommandMessage (int) override;

    const juce::Label& getLabel() const noexcept { return display; }

private:
    juce::Label display { "sr display" };
    std::function<void()> onRateShown;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SampleRateDisplay)
};

} // namespace arx
