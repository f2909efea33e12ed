#include "app/ConsoleApp.h"

#include "app/ConsoleAppMessages.h"
#include "app/ConsoleLogger.h"
#include "app/ConsoleTrayIcon.h"
#include "app/EndSessionSignal.h"
#include "app/WindowCascade.h"
#include "device/DeviceList.h"
#include "device/Win32NotificationWindow.h"
#include "look/ConsoleLookAndFeel.h"
#include "mixer/ConsoleWindow.h"

namespace arx
{

namespace
{
ConsoleApp* instance = nullptr;
bool vistaOrLater = false;
bool forceUpdate = false;

constexpr const char* instanceLockName = "Vantrel ARX Console lock";

} // namespace

//==============================================================================
void ConsoleAppListener::handleMessage (const juce::Message& message)
{
    app.handleAppMessage (message);
}

void ConsoleAppTimer::timerCallback()
{
    app.pollWindows();
}

//==============================================================================
ConsoleApp::ConsoleApp() = default;

ConsoleApp::~ConsoleApp()
{
    juce::Logger::setCurrentLogger (nullptr);
}

ConsoleApp* ConsoleApp::getInstance() noexcept { return instance; }
bool ConsoleApp::isVistaOrLater() noexcept { return vistaOrLater; }
bool ConsoleApp::isForceUpdate() noexcept { return forceUpdate; }

void ConsoleApp::initialise (const juce::String& commandLine)
{
    logger = std::make_unique<ConsoleLogger> (ConsoleLogger::isRequestedByEnvironment());
    juce::Logger::setCurrentLogger (logger.get());

    instance = this;
    vistaOrLater = platform::Platform::getDefault().isVistaOrLater();

    lookAndFeel = std::make_unique<ConsoleLookAndFeel>();
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());

    auto& platform = platform::Platform::getDefault();
    instanceLock = platform.createNamedMutex (instanceLockName);
    if (instanceLock == nullptr)
    {
        juce::Logger::writeToLog ("Console - another instance is running");
        quit();
        return;
    }

    forceUpdate = isForceUpdateCommandLine (commandLine);

    deviceList = std::make_unique<DeviceList> (platform, Win32NotificationWindow::instance(),
                                               DeviceList::supportedVendor);

    Win32NotificationWindow::instance().addListener (this);
    listeningForWin32 = true;

    // The listener exists before the tray icon so that the icon always has a target; the
    // device list gets it only at the end, as the last step of start-up.
    listener = std::make_unique<ConsoleAppListener> (*this);
    createTrayIcon();

    for (int i = 0; i < deviceList->deviceCount(); ++i)
        if (auto device = deviceList->device (i))
            if (device->isValid() && device->info().vendorId() == DeviceList::supportedVendor)
                openConsole (device);

    endSessionSignal = std::make_unique<EndSessionSignal> ([this] { endSession(); });

    deviceList->setListener (listener.get());
    juce::Logger::writeToLog ("Console - started with " + juce::String (windowCount) + " window(s)");
}

void ConsoleApp::createTrayIcon()
{
    if (! ConsoleTrayIcon::isSystemTrayAvailable())
    {
        juce::Logger::writeToLog ("Console - no system tray, running without the tray icon");
        return;
    }

    trayIcon = std::make_unique<ConsoleTrayIcon> (*deviceList, static_cast<ConsoleTrayIcon::Host&> (*this));
}

void ConsoleApp::shutdown()
{
    endSessionSignal.reset();
    timer.stopTimer();

    while (firstWindow != nullptr)
        removeConsole (firstWindow, true);

    deviceList.reset();
    listener.reset();
    instanceLock.reset();
    trayIcon.reset();

    if (listeningForWin32)
    {
        if (auto* window = Win32NotificationWindow::instanceIfMade())
            window->removeListener (this);
        listeningForWin32 = false;
    }

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    lookAndFeel.reset();
    instance = nullptr;
}

void ConsoleApp::systemRequestedQuit()
{
    if (windowCount == 0)
    {
        quit();
        return;
    }

    // Each window's thread posts 'delw' when done; the last removal quits. The ring is copied
    // first: a close never unlinks synchronously, but stay safe against it.
    juce::Array<ConsoleWindow*> windows;
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        windows.add (w);

    // A disabled window (busy with a modal operation) ignores the request and stays open.
    for (auto* window : windows)
        window->closeButtonPressed();
}

void ConsoleApp::handleWin32Message (uint32_t message, uintptr_t, intptr_t)
{
    if (message != platform::WM_ENDSESSION)
        return;

    const juce::MessageManagerLock mml (juce::Thread::getCurrentThread());
    if (mml.lockWasGained())
        saveAllPreferences();
}

void ConsoleApp::endSession()
{
    juce::Logger::writeToLog ("Console - end of session");
    saveAllPreferences();
    quit();
}

//==============================================================================
void ConsoleApp::handleAppMessage (const juce::Message& message)
{
    if (auto* change = dynamic_cast<const DeviceChangeMessage*> (&message))
    {
        auto* window = findConsole (change->device.get());
        if (change->id == appmsg::showDevice)
        {
            if (window != nullptr)
                window->toFront (true);
            else if (change->device != nullptr)
                openConsole (change->device);
        }
        else if (change->id == appmsg::hideDevice && window != nullptr)
        {
            removeConsole (window, false);
        }
        return;
    }

    if (auto* windowMessage = dynamic_cast<const WindowMessage*> (&message))
    {
        if (windowMessage->id == appmsg::arrangeWindows)
            arrangeWindows();
        else if (windowMessage->id == appmsg::windowFinished && isInRing (windowMessage->window))
            removeConsole (windowMessage->window, true);
    }
}

void ConsoleApp::openConsole (bhw::Ptr device)
{
    if (device == nullptr || ! device->open())
    {
        juce::Logger::writeToLog ("Console - cannot open " + (device != nullptr ? device->uniqueName() : juce::String()));
        return;
    }

    auto* window = new ConsoleWindow (device, listener.get());
    window->setVisible (true);
    window->toFront (true);

    auto* previous = firstWindow != nullptr ? firstWindow->prev : nullptr;
    appendToRing (window);

    const auto area = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr
                          ? juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea
                          : juce::Rectangle<int>();
    window->setTopLeftPosition (previous != nullptr ? nextCascadePosition (previous->getPosition(), area)
                                                    : firstCascadePosition (area));
    window->restorePosition();

    if (windowCount == 1)
        timer.startTimer (pollIntervalMs);
}

ConsoleWindow* ConsoleApp::findConsole (const bhw* device) const
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        if (w->getDevice() == device)
            return w;
    return nullptr;
}

bool ConsoleApp::isInRing (const ConsoleWindow* window) const
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        if (w == window)
            return true;
    return false;
}

void ConsoleApp::appendToRing (ConsoleWindow* window)
{
    if (firstWindow == nullptr)
    {
        window->next = window->prev = window;
        firstWindow = window;
    }
    else
    {
        auto* last = firstWindow->prev;
        window->prev = last;
        window->next = firstWindow;
        last->next = window;
        firstWindow->prev = window;
    }
    ++windowCount;
}

void ConsoleApp::unlinkFromRing (ConsoleWindow* window)
{
    if (window->next == window)
    {
        firstWindow = nullptr;
        timer.stopTimer();
    }
    else
    {
        window->prev->next = window->next;
        window->next->prev = window->prev;
        if (firstWindow == window)
            firstWindow = window->next;
    }
    window->next = window->prev = nullptr;
}

void ConsoleApp::removeConsole (ConsoleWindow* window, bool quitIfLast)
{
    if (window == nullptr || ! isInRing (window))
        return;

    window->savePreferences();
    window->detachHardwareThread();
    unlinkFromRing (window);

    // The window holds the device while it lives; its destructor closes the device once.
    delete window;
    --windowCount;

    if (quitIfLast && windowCount == 0)
    {
        timer.stopTimer();
        quit();
    }
}

void ConsoleApp::arrangeWindows()
{
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    if (display == nullptr || firstWindow == nullptr)
        return;

    const auto area = display->userArea;
    auto position = firstCascadePosition (area);
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
    {
        w->setTopLeftPosition (position);
        position = nextCascadePosition (position, area);
    }
}

void ConsoleApp::showAllWindows()
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        w->toFront (true);
}

void ConsoleApp::pollWindows()
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        if (w->isShownOnScreen())
            w->pollTick();
}

void ConsoleApp::saveAllPreferences()
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        w->savePreferences();
}

} // namespace arx
