#pragma once

#include "device/HardwareInfo.h"
#include "settings/SettingsGroup.h"

#include <array>
#include <atomic>
#include <memory>

namespace arx
{

// The clock source buttons, two to a row, one per source the device has. The external sources'
// buttons are enabled only while their inputs carry a signal.
//
// Threads: get(), set() and store() on the hardware thread or the message thread (store from
// the thread that queues the set); everything else on the message thread.
class ClockSource : public SettingsGroup, private juce::Button::Listener
{
public:
    static constexpr int radioGroup = 0x636c6f6b;
    static constexpr int sourceCount = HardwareInfo::clockSourceCount;

    explicit ClockSource (DeviceControlHost& host);
    ~ClockSource() override;

    void get() override;
    void set() override;
    void refresh (ConsoleState& state, bool markAll) override;
    void store (ConsoleState& state) override;
    void reset() override {}

    void handleCommandMessage (int) override;

    // Enables each external source's button exactly while `statusBits` (of the meter poll) says
    // that its input has a signal; "Internal" stays enabled.
    void updateAvailability (uint32_t statusBits);

    // Null for a source the device does not have.
    juce::ToggleButton* buttonFor (int source) const;
    int selectedSource() const noexcept { return source.load(); }

private:
    void buttonClicked (juce::Button*) override;
    static bool isSource (int index) noexcept { return index >= 0 && index < sourceCount; }

    std::array<std::unique_ptr<juce::ToggleButton>, sourceCount> buttons;
    std::atomic<int> source { 0 };
    uint32_t lastSignals = 0;
    bool signalsSeen = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ClockSource)
};

} // namespace arx
