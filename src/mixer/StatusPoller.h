#pragma once

#include "console/DeviceControl.h"
#include "device/Device.h"

#include <array>
#include <atomic>

namespace arx
{

// The console window's status poller: reads meters, clock signal bits and guitar status
// (pollMeters) and the driver's information, and tells the window content when the values
// changed. Only the settings page shows the driver's information, so it is read every poll
// while that page is shown and once a second otherwise. The hardware thread runs it every 100 ms while the window is on the screen; nothing
// else wakes for it. Unchanged values still reach the content once a second, so that what it
// checks against the clock (a guitar change settling, the window still being mapped) moves on.
// Its set operation tells the device that the window became active.
//
// Threads: get() and set() on the hardware thread; isDataValid() from the message thread.
class StatusPoller : public DeviceControl
{
public:
    static constexpr int intervalMs = 100;
    static constexpr int unchangedReportMs = 1000;

    // `content` receives command message 0 after a good poll that brought news.
    StatusPoller (DeviceControlHost& host, Device& device, juce::Component& content);
    StatusPoller (HardwareThread& owningThread, Device& device, juce::Component& content);

    void get() override;
    void set() override;
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    bool isDataValid() const noexcept { return dataValid.load(); }

    // Message thread: whether the driver's information is read on every poll.
    void setDriverInfoEveryPoll (bool every) noexcept { driverInfoEveryPoll = every; }

private:
    using Values = std::array<uint32_t, Device::meterReplyWords + Device::driverInfoWords>;

    // Whether the values just read differ from those last reported; remembers them.
    bool takeNews();
    bool driverInfoDue() noexcept;

    Device& device;
    juce::Component& content;
    std::atomic<bool> dataValid { false };
    std::atomic<bool> driverInfoEveryPoll { false };
    int pollsSinceDriverInfo = unchangedReportMs; // hardware thread only; the first poll reads it
    Values reported {}; // hardware thread only
    juce::uint32 reportedAtMs = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StatusPoller)
};

} // namespace arx
