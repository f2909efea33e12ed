#include "device/NotificationWindow.h"

namespace arx
{

namespace
{
std::atomic<NotificationWindow*> processWindow { nullptr };
juce::CriticalSection processWindowLock;
} // namespace

NotificationWindow::NotificationWindow (platform::Platform& p)
    : juce::Thread ("Notifications"), platform (p)
{
    startThread();
}

NotificationWindow::~NotificationWindow()
{
    // Waits for a window still being made: closing before it exists would leave the thread
    // blocked on it for good.
    if (auto* w = windowHandle())
    {
        w->postMessage (platform::WM_CLOSE, 0, 0);
        waitForThreadToExit (2000);
    }

    stopThread (2000);

    NotificationWindow* self = this;
    processWindow.compare_exchange_strong (self, nullptr);
}

NotificationWindow& NotificationWindow::instance()
{
    const juce::ScopedLock sl (processWindowLock);

    if (auto* existing = processWindow.load())
        return *existing;

    auto* made = new NotificationWindow (platform::Platform::getDefault());
    processWindow = made;
    return *made;
}

NotificationWindow* NotificationWindow::instanceIfMade() noexcept
{
    return processWindow.load();
}

platform::MessageWindow* NotificationWindow::windowHandle() const
{
    while (handle.load() == nullptr && isThreadRunning())
        juce::Thread::sleep (10);
    return handle.load();
}

void NotificationWindow::addListener (NotificationListener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    listeners.addIfNotAlreadyThere (listener);
}

void NotificationWindow::removeListener (NotificationListener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    for (int i = listeners.size(); --i >= 0;)
    {
        if (listeners.getUnchecked (i) == listener)
        {
            listeners.remove (i);
            break;
        }
    }
}

// The notification thread: the window lives and dies here.
void NotificationWindow::run()
{
    window = platform.createMessageWindow();
    if (window == nullptr)
        return;

    window->setWindowProc ([this] (const platform::Win32Message& message) { dispatch (message); });
    handle = window.get();

    platform::Win32Message message;
    while (window->getMessage (message))
        dispatch (message);
}

void NotificationWindow::dispatch (const platform::Win32Message& message)
{
    const juce::ScopedLock sl (listenerLock);
    // A handler may add or remove listeners (a device made or dropped on arrival registers its
    // volume link): the message goes to those registered when it came that still are.
    const auto registered = listeners;
    for (auto* listener : registered)
        if (listeners.contains (listener))
            listener->handleNotification (message.message, message.wParam, message.lParam);
}

} // namespace arx
