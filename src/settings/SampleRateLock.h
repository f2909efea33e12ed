#pragma once

#include "console/DeviceControl.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

namespace arx
{

// The "Locked" toggle of the device-clock sample rate: whether the driver keeps the rate locked.
// It reads the lock from the driver's information when built and sends it when clicked.
//
// Threads: get() and set() on the hardware thread; isLocked() from any thread; the rest on the
// message thread.
class SampleRateLock : public juce::ToggleButton, public DeviceControl
{
public:
    explicit SampleRateLock (DeviceControlHost& host);

    void get() override;
    void set() override;
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    // 0: shows the lock the driver reported.
    void handleCommandMessage (int commandId) override;

    bool isLocked() const noexcept { return locked.load(); }

private:
    std::atomic<bool> locked { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SampleRateLock)
};

} // namespace arx
