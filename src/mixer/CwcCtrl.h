#pragma once

#include "console/HwCtrl.h"

#include <atomic>

namespace arx
{

class bhw;

// The console window's status poller: reads meters, clock signal bits and guitar status
// (pollMeters) and the driver's information, and tells the window content when fresh values
// are there. Its set operation tells the device that the window became active.
//
// Threads: get() and set() on the hardware thread; isDataValid() from the message thread.
class CwcCtrl : public HwCtrl
{
public:
    // `content` receives command message 0 after every good poll.
    CwcCtrl (HwCtrlHost& host, bhw& device, juce::Component& content);
    CwcCtrl (hwthread& owningThread, bhw& device, juce::Component& content);

    void get() override;
    void set() override;
    void refresh (ConsoleState&, bool) override {}
    void store (ConsoleState&) override {}
    void reset() override {}

    bool isDataValid() const noexcept { return dataValid.load(); }

private:
    bhw& device;
    juce::Component& content;
    std::atomic<bool> dataValid { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CwcCtrl)
};

} // namespace arx
