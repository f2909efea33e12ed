#pragma once

// The hidden message-only window with its own message loop on its own thread. Every message
// that reaches it is handed to every registered listener, in registration order, on that thread.

#include "device/NotificationListener.h"
#include "platform/Platform.h"

#include <juce_events/juce_events.h>

#include <atomic>

namespace arx
{

class NotificationWindow : private juce::Thread, public juce::DeletedAtShutdown
{
public:
    // Makes the window's thread and starts it.
    explicit NotificationWindow (platform::Platform& platform);
    // Closes the window and waits up to 2000 ms for the thread.
    ~NotificationWindow() override;

    // The process-wide window on the default platform, made and started on first use.
    static NotificationWindow& instance();
    static NotificationWindow* instanceIfMade() noexcept;

    // Waits while the thread runs and the window is not made yet; null if it never was.
    platform::MessageWindow* windowHandle() const;

    // Any thread. A listener is added once; listeners must be removed before they die.
    void addListener (NotificationListener* listener);
    void removeListener (NotificationListener* listener);

private:
    void run() override;
    void dispatch (const platform::Win32Message& message);

    platform::Platform& platform;
    std::unique_ptr<platform::MessageWindow> window;
    std::atomic<platform::MessageWindow*> handle { nullptr };
    juce::Array<NotificationListener*> listeners;
    juce::CriticalSection listenerLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (NotificationWindow)
};

} // namespace arx
