#pragma once

#include "firmware/FlashProgress.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace arx
{

class Device;
class ConsoleState;
class DeviceControl;
class BankedDeviceControl;

// The hardware thread of one console window: carries every routine exchange between the
// window's console state and its device, and writes the session image back to the device's
// flash when the window closes with a changed state.
//
// Threads:
// - queueGet/queueSet/markBank(s)/requestStop: any thread (message thread for user edits, this
//   thread when a control queues itself again).
// - takeNextBank, get(), set() and all device traffic: this thread.
// - detachWindow, abandonWriteBack, the destructor: message thread.
// - Owner::createFlashProgress, Owner::hardwareThreadFinished and the deletion of the progress
//   sink: message thread, and only while the owner is attached.
// The message thread never waits for this thread while this thread waits for the message
// thread: every wait of this thread on the message thread gives up once the owner is detached,
// and the destructor detaches before it joins.
//
// The user's changes are never dropped on the way out: once told to stop, the thread writes a
// changed session back and finishes that write-back whatever happens to the window. Only
// abandonWriteBack (the device itself has gone) skips or ends it, and a firmware update of the
// device skips it (the session area is then the update's).
class HardwareThread : public juce::Thread
{
public:
    // The window side of the thread.
    class Owner
    {
    public:
        virtual ~Owner() = default;

        // Message thread: a progress display for the session write-back.
        virtual std::unique_ptr<FlashProgress> createFlashProgress() = 0;

        // Message thread, posted after run() ended on the close path: the window may go now.
        virtual void hardwareThreadFinished() = 0;
    };

    static constexpr int retryDelayMs = 60;
    static constexpr int flashWindowMs = 2000;
    static constexpr int flashPollMs = 100;     // after an erase
    static constexpr int flashWritePollMs = 1;  // after a write, which keeps the part busy briefly
    static constexpr uint32_t sessionBlockQuadlets = 64;

    // `owner` may be null: the thread then serves no queue and writes nothing back.
    HardwareThread (Device& device, ConsoleState& state, Owner* owner);

    // Message thread: detaches the owner, stops the thread and waits for it. A write-back under
    // way, or due because the state changed, completes first (without a progress display), so
    // the wait is bounded by the write-back's own time-outs; the application avoids it by
    // deleting a window only after its thread has finished or its device has gone.
    ~HardwareThread() override;

    void queueGet (DeviceControl& ctrl);
    void queueSet (DeviceControl& ctrl);
    void markBank (BankedDeviceControl& ctrl, int bank);
    void markBanks (BankedDeviceControl& ctrl, int first, int end, int step);
    int takeNextBank (BankedDeviceControl& ctrl);

    // Any thread: whether `ctrl` waits in the set queue now.
    bool isQueuedForSet (const DeviceControl& ctrl) const;

    // The window's status poll: the thread queues `poller` for a read every `intervalMs` while
    // polling is on, so nothing but this thread wakes for it. Set once, before the thread
    // starts; polling starts off.
    void setPoller (DeviceControl& poller, int intervalMs);
    // Any thread. Turning polling on polls at once.
    void setPolling (bool on);
    bool isPolling() const noexcept { return polling.load(); }

    // While one of these lives, no thread polls: a firmware update has the device to itself.
    class PollPause
    {
    public:
        PollPause();
        ~PollPause();
        JUCE_DECLARE_NON_COPYABLE (PollPause)
    };
    static bool arePollsPaused() noexcept;

    // The window closes: finish serving, write the session back if it changed, then tell the
    // owner.
    void requestStop();

    // Message thread: the window goes. No queue entry is served after this, no progress display
    // is created and the owner is never called again; a write-back still completes.
    void detachWindow();
    bool isDetached() const noexcept { return shared->detached.load(); }

    // Message thread: the device has gone. A write-back not yet started is skipped, one under
    // way ends at its next command (the flash lock is still released).
    void abandonWriteBack();
    bool isWriteBackAbandoned() const noexcept { return abandoned.load(); }

    Device& getDevice() const noexcept { return device; }
    ConsoleState& getState() const noexcept { return state; }

    // The session area's byte address read at the last write-back.
    uint32_t getSessionBase() const noexcept { return sessionBase; }

private:
    // What outlives this object in messages posted to the message thread.
    struct Shared
    {
        std::atomic<bool> detached { false };
        Owner* owner = nullptr; // read on the message thread only while not detached
    };

    // A first-in-first-out list of controls threaded through their own links, each control in it
    // at most once. Touched only under queueLock.
    struct ControlQueue
    {
        DeviceControl* DeviceControl::*link;
        bool DeviceControl::*queued;
        DeviceControl* head = nullptr;
        DeviceControl* tail = nullptr;

        void append (DeviceControl& ctrl);
        DeviceControl* takeFirst();
    };

    void run() override;
    void enqueue (ControlQueue& queue, DeviceControl& ctrl);
    int msUntilPoll() const;
    void queuePollIfDue();
    void drain (ControlQueue& queue, void (DeviceControl::*serve)());
    bool mayServe() const;

    // Runs `fn` on the message thread and waits for it; gives up, without running it, once the
    // owner is detached. True when `fn` ran.
    bool callOnMessageThread (std::function<void()> fn);

    void writeBack();
    // Readies the image for writing and tells whether to write it: it differs from the stored
    // session, and no firmware update has taken the session area over since the device powered up.
    bool prepareImage();
    void writeSessionToFlash (FlashProgress& sink);
    int eraseSession (FlashProgress& sink, float& value);
    int writeSession (FlashProgress& sink, float& value);
    // One flash command, repeated while it times out, within one flash window.
    int repeatWhileTimingOut (const std::function<int()>& command);
    int waitUntilReady (int pollMs);

    Device& device;
    ConsoleState& state;
    std::shared_ptr<Shared> shared;
    std::atomic<bool> abandoned { false };

    ControlQueue getQueue, setQueue;
    std::unique_ptr<FlashProgress> progress;
    juce::CriticalSection queueLock;
    uint32_t sessionBase = 0;

    DeviceControl* poller = nullptr;
    int pollIntervalMs = 0;
    std::atomic<bool> polling { false };
    std::atomic<juce::uint32> nextPollMs { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HardwareThread)
};

} // namespace arx
