#pragma once

#include "console/DeviceControl.h"

#include <atomic>

namespace arx
{

class Device;

// The console window's status poller: reads meters, clock signal bits and guitar status
// (pollMeters) and the driver's information, and tells the window content when fresh values
// are there. Its set operation tells the device that the window became active.
//
// Threads: get() and set() on the hardware thread; isDataValid() from the message thread.
class StatusPoller : public DeviceControl
{
public:
    // `content` receives command message 0 after every good poll.
    StatusPoller (DeviceControlHost& host, Device& device, juce::Component& content);
    StatusPoller (HardwareThread& owningThread, Device& device, juce::Component& content);

    void get() override;
    void set() override;
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    bool isDataValid() const noexcept { return dataValid.load(); }

private:
    Device& device;
    juce::Component& content;
    std::atomic<bool> dataValid { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StatusPoller)
};

} // namespace arx
