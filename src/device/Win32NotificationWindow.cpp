#include "device/Win32NotificationWindow.h"

namespace arx
{

namespace
{
std::atomic<Win32NotificationWindow*> processWindow { nullptr };
juce::CriticalSection processWindowLock;
} // namespace

Win32NotificationWindow::Win32NotificationWindow (platform::Platform& p)
    : juce::Thread ("win32 notification thread"), platform (p)
{
    startThread();
}

Win32NotificationWindow::~Win32NotificationWindow()
{
    // Waits for a window still being made: closing before it exists would leave the thread
    // blocked on it for good.
    if (auto* w = windowHandle())
    {
        w->postMessage (platform::WM_CLOSE, 0, 0);
        waitForThreadToExit (2000);
    }

    stopThread (2000);

    Win32NotificationWindow* self = this;
    processWindow.compare_exchange_strong (self, nullptr);
}

Win32NotificationWindow& Win32NotificationWindow::instance()
{
    const juce::ScopedLock sl (processWindowLock);

    if (auto* existing = processWindow.load())
        return *existing;

    auto* made = new Win32NotificationWindow (platform::Platform::getDefault());
    processWindow = made;
    return *made;
}

Win32NotificationWindow* Win32NotificationWindow::instanceIfMade() noexcept
{
    return processWindow.load();
}

platform::MessageWindow* Win32NotificationWindow::windowHandle() const
{
    while (handle.load() == nullptr && isThreadRunning())
        juce::Thread::sleep (10);
    return handle.load();
}

void Win32NotificationWindow::addListener (Win32MessageListener* listener)
{
    const juce::ScopedLock sl (listenerLock);
    listeners.addIfNotAlreadyThere (listener);
}

void Win32NotificationWindow::removeListener (Win32MessageListener* listener)
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
void Win32NotificationWindow::run()
{
    window = platform.createMessageWindow();
    if (window == nullptr)
        return;

    handle = window.get();

    platform::Win32Message message;
    while (window->getMessage (message))
        dispatch (message);
}

void Win32NotificationWindow::dispatch (const platform::Win32Message& message)
{
    const juce::ScopedLock sl (listenerLock);
    // A handler may add or remove listeners (a device made or dropped on arrival registers its
    // volume link): the message goes to those registered when it came that still are.
    const auto registered = listeners;
    for (auto* listener : registered)
        if (listeners.contains (listener))
            listener->handleWin32Message (message.message, message.wParam, message.lParam);
}

} // namespace arx
