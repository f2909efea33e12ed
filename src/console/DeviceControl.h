#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstdint>
#include <functional>

namespace arx
{

class ConsoleState;
class DeviceControl;
class HardwareThread;

// What a control binds to: the window content, which owns the hardware thread and keeps the
// list of every control that talks to the device.
class DeviceControlHost
{
public:
    virtual ~DeviceControlHost() = default;

    virtual HardwareThread& getHardwareThread() = 0;

    // Push `control` onto the head of the list (newest first), e.g. with
    // control.setNextInWindow (head); head = &control;
    virtual void addControl (DeviceControl& control) = 0;

    // The window's edit path: every user edit of a control arrives here, and the host has the
    // control apply it (DeviceControl::applyEdit) and records it. Message thread.
    virtual void commitEdit (DeviceControl& control, const std::function<void()>& change);

    // An edit of the console state that no control sends (a gang, a channel name): `change`
    // runs at once, and the edit path records it. Message thread.
    virtual void editState (const std::function<void()>& change) { change(); }

    // A drag or another gesture of many edits that count as one begins or ends. Message thread.
    virtual void gestureStarted() {}
    virtual void gestureEnded() {}

    // A control read a value from the device that it shows. Hardware thread: the host posts it on.
    virtual void deviceValueArrived() {}
};

// The base of everything that talks to the device on a console window's behalf. A control
// never sends anything itself: it queues itself on the window's HardwareThread, which later runs its
// get() or set() on the hardware thread.
//
// One rule for the user's edits and the device's answers: a read that began before the user's
// latest edit of a control, or while an edit of it waits to be sent, holds a value older than
// the edit, and its answer is dropped. Edits go through commitEdit, answers through takeRead;
// both run under the control's edit lock, which is never held while the device is asked.
//
// Threads: get() and set() run on the hardware thread; refresh(), reset() and user edits on the
// message thread; store() on whichever thread queues the control for set.
class DeviceControl
{
public:
    explicit DeviceControl (DeviceControlHost& host);
    explicit DeviceControl (HardwareThread& owningThread);
    virtual ~DeviceControl() = default;

    virtual void get() = 0;
    virtual void set() = 0;
    virtual void refresh (ConsoleState& state, bool markAll) = 0;
    virtual void store (ConsoleState& state) = 0;
    virtual void reset() = 0;

    HardwareThread& getThread() const noexcept { return *thread; }

    DeviceControl* getNextInWindow() const noexcept { return nextInWindow; }

    // Message thread, only from the host's edit path: `change` writes the new value where set()
    // takes it from (and marks its bank), then the control is queued for set.
    void applyEdit (const std::function<void()>& change);
    void setNextInWindow (DeviceControl* next) noexcept { nextInWindow = next; }

protected:
    // Hardware thread. 0: tell `component` (if any) to show the new value; a hard error is
    // logged and dropped; a time-out sleeps 60 ms and queues the get again.
    void onGetResult (int code, juce::Component* component);

    // Hardware thread. A time-out sleeps 60 ms and queues the set again; a hard error is logged
    // and the value stays unsent in the console state.
    void onSetResult (int code);

    // Message thread, for a user's edit: hands it to the window's edit path, which applies it
    // (applyEdit). A control without a host applies it at once.
    void commitEdit (const std::function<void()>& change);

    // Message thread: the edits between these count as one step (a drag).
    void beginGesture();
    void endGesture();

    // Hardware thread, before asking the device: the edits so far.
    uint32_t editCount() const noexcept { return edits.load(); }

    // Hardware thread, with the device's answer to a read begun at `editsBefore`: runs `take`,
    // which writes the answer where the control keeps its value, unless the user edited the
    // control since or an edit of it waits to be sent. True when `take` ran.
    bool takeRead (uint32_t editsBefore, const std::function<void()>& take);

    // As takeRead, with `editWaits` telling whether an edit still waits to be sent.
    bool takeReadUnless (uint32_t editsBefore, const std::function<bool()>& editWaits,
                         const std::function<void()>& take);

private:
    friend class HardwareThread;

    // Queue links and flags: touched only under the thread's queue lock.
    DeviceControl* nextGet = nullptr;
    DeviceControl* nextSet = nullptr;
    DeviceControl* nextInWindow = nullptr;
    bool inSetQueue = false;
    bool inGetQueue = false;
    HardwareThread* thread;
    DeviceControlHost* editHost = nullptr;

    juce::CriticalSection editLock;
    std::atomic<uint32_t> edits { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceControl)
};

// Component::postCommandMessage takes a weak reference to the component, and the first weak
// reference of a component is made lazily and without a lock. Components that the hardware
// thread posts to make it on the message thread when they are built.
inline void acceptMessagesFromOtherThreads (juce::Component& component)
{
    [[maybe_unused]] juce::WeakReference<juce::Component> first (&component);
}

} // namespace arx
