#include "app/ConsoleApp.h"

#include "app/ConsoleAppMessages.h"
#include "app/ConsoleLogger.h"
#include "app/ConsoleTrayIcon.h"
#include "app/ModalDialogs.h"
#include "app/StartAtLogin.h"
#include "app/WindowCascade.h"
#include "device/DeviceList.h"
#include "device/NotificationWindow.h"
#include "firmware/FirmwareUpdate.h"
#include "look/ConsoleLookAndFeel.h"
#include "console/ConsolePreferences.h"
#include "mixer/ConsoleWindow.h"
#include "platform/Desktop.h"
#if ARX_WEB_REMOTE
 #include "remote/WebRemote.h"
#endif
#include "settings/VersionInfoGroup.h"

#include <iostream>

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

//==============================================================================
ConsoleApp::ConsoleApp() = default;
ConsoleApp::ConsoleApp (Setup s) : setup (std::move (s)) {}

ConsoleApp::~ConsoleApp()
{
    juce::Logger::setCurrentLogger (nullptr);
    if (instance == this)
        instance = nullptr;
}

ConsoleApp* ConsoleApp::getInstance() noexcept { return instance; }
bool ConsoleApp::isVistaOrLater() noexcept { return vistaOrLater; }
bool ConsoleApp::isForceUpdate() noexcept { return forceUpdate; }

const juce::String ConsoleApp::getApplicationVersion()
{
    // Read as the About box reads it, so that both always say the same.
    return VersionInfoGroup::fileVersionOf (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());
}

bool ConsoleApp::isForceUpdateCommandLine (const juce::String& commandLine) noexcept
{
    return commandLine == "-forceupdate";
}

void ConsoleApp::initialise (const juce::String& commandLine)
{
    logger = std::make_unique<ConsoleLogger> (ConsoleLogger::isRequestedByEnvironment());
    juce::Logger::setCurrentLogger (logger.get());

    instance = this;

    lookAndFeel = std::make_unique<ConsoleLookAndFeel>();
    juce::LookAndFeel::setDefaultLookAndFeel (lookAndFeel.get());
    ModalDialogs::allowAgain();
    platform::desktop::agreeToTheEndOfTheSession();

    auto& platform = setup.platform != nullptr ? *setup.platform : platform::Platform::getDefault();
    vistaOrLater = platform.isVistaOrLater();
    auto lock = platform.createNamedMutex (instanceLockName);
    if (lock.mutex == nullptr)
    {
        if (lock.heldElsewhere)
        {
            juce::Logger::writeToLog ("Console - another instance is running");
        }
        else
        {
            // Not a second instance: the user must learn why nothing opens.
            const auto text = "Vantrel ARX Console cannot start: " + lock.failure;
            juce::Logger::writeToLog (text);
            if (! ConsoleLogger::isRequestedByEnvironment())
                std::cerr << text << std::endl;
            setApplicationReturnValue (1);
        }
        endMessageLoop();
        return;
    }
    instanceLock = std::move (lock.mutex);

    forceUpdate = isForceUpdateCommandLine (commandLine);

    if (setup.platform != nullptr)
        ownNotificationWindow = std::make_unique<NotificationWindow> (platform);
    auto& notificationWindow = ownNotificationWindow != nullptr ? *ownNotificationWindow
                                                                : NotificationWindow::instance();
    deviceList = std::make_unique<DeviceList> (platform, notificationWindow, DeviceList::supportedVendor);

    notificationWindow.addListener (this);
    listeningForWin32 = true;

    // The listener exists before the tray icon so that the icon always has a target; the
    // device list gets it only at the end, as the last step of start-up.
    listener = std::make_unique<ConsoleAppListener> (*this);
    if (setup.trayIcon)
        createTrayIcon();
    StartAtLogin (setup.preferencesFolder).restoreChoice();
#if ARX_WEB_REMOTE
    // Before the windows: their settings pages show it.
    webRemote = std::make_unique<WebRemote> (*this, setup.preferencesFolder, WebRemote::portFromCommandLine (commandLine));
#endif
    startOscServer (commandLine);

    for (int i = 0; i < deviceList->deviceCount(); ++i)
        if (auto device = deviceList->device (i))
            if (device->isValid() && device->info().vendorId() == DeviceList::supportedVendor)
                openConsole (device);

    deviceList->setListener (listener.get());
    juce::Logger::writeToLog ("Console - started with " + juce::String (windowCount) + " window(s)");
}

void ConsoleApp::startOscServer (const juce::String& commandLine)
{
    // The command line's choice holds for this run only; the settings page's is kept.
    // The application's preferences file is shared (the tray's "Start at login", the web
    // remote): each change opens it afresh, so that none writes back another's old values.
    oscServer = std::make_unique<OscServer> (static_cast<OscServer::Devices&> (*this));
    oscServer->onUserChange = [folder = setup.preferencesFolder] (const OscServer::Settings& chosen) {
        const auto preferences = openApplicationPreferences (folder);
        chosen.save (*preferences);
        preferences->saveIfNeeded();
    };
    auto settings = OscServer::Settings::fromPreferences (*openApplicationPreferences (setup.preferencesFolder));
    OscServer::Settings::fromCommandLine (commandLine, settings);
    oscServer->apply (settings);
    OscServer::setApplication (oscServer.get());
}

juce::StringArray ConsoleApp::deviceNames()
{
    juce::StringArray names;
    if (deviceList != nullptr)
        for (int i = 0; i < deviceList->deviceCount(); ++i)
            if (auto device = deviceList->device (i))
                names.add (device->uniqueName());
    return names;
}

ConsoleContent* ConsoleApp::windowOf (const juce::String& uniqueName)
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        if (w->getDevice() != nullptr && w->getDevice()->uniqueName() == uniqueName)
            return w->isClosing() ? nullptr : &w->getContent();
    return nullptr;
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
    {
        const juce::ScopedLock sl (sessionEndLock);
        shutDown = true;
    }
    sessionEnded.signal();

    // The loop ends after the last window has gone; a window left here (the loop ended some
    // other way) still writes its session back while its destructor waits.
    while (firstWindow != nullptr)
        removeConsole (firstWindow, false);
    OscServer::setApplication (nullptr);
    oscServer.reset();

#if ARX_WEB_REMOTE
    webRemote.reset(); // after the windows: their settings pages show it
#endif
    deviceList.reset();
    listener.reset();
    instanceLock.reset();
    trayIcon.reset();

    if (listeningForWin32)
    {
        if (ownNotificationWindow != nullptr)
            ownNotificationWindow->removeListener (this);
        else if (auto* window = NotificationWindow::instanceIfMade())
            window->removeListener (this);
        listeningForWin32 = false;
    }
    ownNotificationWindow.reset();

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    lookAndFeel.reset();
    instance = nullptr;
}

void ConsoleApp::systemRequestedQuit()
{
    endProgram();
}

juce::Array<ConsoleWindow*> ConsoleApp::windowsInRing() const
{
    juce::Array<ConsoleWindow*> windows;
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        windows.add (w);
    return windows;
}

void ConsoleApp::endProgram()
{
    ending = true;

    // Each window's thread writes back, then posts 'delw'; the last removal quits. A window busy
    // with a dialog closes once the dialog has gone. The ring is copied first: a close never
    // unlinks synchronously, but stay safe against it.
    ModalDialogs::closeAll();
    for (auto* window : windowsInRing())
        window->closeWhenFree();

    quitWhenNoWindowIsLeft();
}

void ConsoleApp::handleNotification (uint32_t message, uintptr_t wParam, intptr_t)
{
    if (message != platform::WM_ENDSESSION)
        return;

    // The session goes on when another program refused its end (wParam 0).
    if (wParam == 0)
        return;

    // The message thread does the work; this thread waits, since the system may end the process
    // as soon as it returns. It takes no lock of the message thread: a message thread already on
    // its way out (the system may ask it to quit as well) may be waiting for this thread to
    // leave the listener list. Shut-down writes every window back and releases the wait.
    {
        const juce::ScopedLock sl (sessionEndLock);
        if (shutDown)
            return;
        sessionEnded.reset();
    }
    juce::MessageManager::callAsync ([this] { endSession(); });

    // Every window's write-back ends within its own time-outs.
    sessionEnded.wait (-1);
}

void ConsoleApp::endSession()
{
    juce::Logger::writeToLog ("Console - end of session");
    saveAllPreferences();
    endProgram();
}

void ConsoleApp::quitWhenNoWindowIsLeft()
{
    // An update that runs with no window (the check of a new device) is waited for: openConsole
    // comes back here once it is over.
    if (ending && windowCount == 0 && ! ModalDialogs::isUpdateRunning())
        quitProgram();
}

void ConsoleApp::quitProgram()
{
    sessionEnded.signal();
    if (quitting)
        return;
    quitting = true;
    endMessageLoop();
}

//==============================================================================
void ConsoleApp::handleAppMessage (const juce::Message& message)
{
    if (auto* change = dynamic_cast<const DeviceChangeMessage*> (&message))
    {
        handleDeviceMessage (*change);
        return;
    }

    if (auto* windowMessage = dynamic_cast<const WindowMessage*> (&message))
    {
        if (windowMessage->id == appmsg::arrangeWindows)
            arrangeWindows();
        else if (windowMessage->id == appmsg::windowFinished && isInRing (windowMessage->window))
            windowGone (windowMessage->window);
    }
}

void ConsoleApp::handleDeviceMessage (const DeviceChangeMessage& change)
{
    if (change.id == appmsg::showDevice)
    {
        showConsole (change.device);
        return;
    }

    auto* window = findConsole (change.device.get());
    if (change.id != appmsg::hideDevice || window == nullptr)
        return;

    // Removal and "Hide all windows" share the message: a removed device has left the list.
    if (isDeviceGone (change.device.get()))
    {
        window->deviceRemoved();
        windowGone (window);
    }
    else
    {
        hideConsole (window);
    }
}

void ConsoleApp::showConsole (const Device::Ptr& device)
{
    if (ending || device == nullptr)
        return; // no new work while the program ends

    ModalDialogs::allowAgain();
    auto* window = findConsole (device.get());
    if (window == nullptr)
        openConsole (device);
    else if (window->isClosing())
        window->reopenWhenGone = true; // a window opened now would read the session not yet written
    else
        window->toFront (true);
}

void ConsoleApp::hideConsole (ConsoleWindow* window)
{
    // The latest command counts: a window closing for another reason keeps the program
    // running now, and a show asked for meanwhile is off.
    window->reopenWhenGone = false;
    window->keepRunningWhenGone = true;
    if (window->isClosing())
        return;

    ModalDialogs::closeAll();
    window->closeWhenFree();
}

void ConsoleApp::windowGone (ConsoleWindow* window)
{
    const Device::Ptr device = window->getDevice();
    const bool reopen = window->reopenWhenGone && ! ending;
    // Closing the last window ends the program, also when its device went during the write-back.
    const bool closedToQuit = window->isClosing() && ! window->keepRunningWhenGone;
    removeConsole (window, closedToQuit && ! reopen);

    if (reopen && ! isDeviceGone (device.get()))
        openConsole (device);
    quitWhenNoWindowIsLeft();
}

bool ConsoleApp::isDeviceGone (const Device* device) const
{
    return deviceList == nullptr || ! deviceList->contains (device);
}

void ConsoleApp::openConsole (Device::Ptr device)
{
    if (ending)
        return;

    // An update offered (taken or declined) opens no window; the device stays in the list. The
    // program may have been asked to end meanwhile.
    if (device != nullptr && ! checkFirmware (*device, forceUpdate, {}))
    {
        quitWhenNoWindowIsLeft();
        return;
    }

    if (device == nullptr || ! device->open())
    {
        juce::Logger::writeToLog ("Console - cannot open " + (device != nullptr ? device->uniqueName() : juce::String()));
        return;
    }

    auto* window = new ConsoleWindow (device, listener.get(), setup.preferencesFolder, setup.windowsOnDesktop);
    if (oscServer != nullptr)
        oscServer->windowOpened (window->getContent(), device->uniqueName());
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
}

ConsoleWindow* ConsoleApp::findConsole (const Device* device) const
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
    unlinkFromRing (window);
    if (oscServer != nullptr)
        oscServer->windowClosing (window->getContent());

    // Only a window whose thread has finished, or whose device has gone, comes here in the
    // running program, so the destructor does not wait. It closes the device once.
    delete window;
    --windowCount;

    if (quitIfLast && windowCount == 0)
        quitProgram();
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
        if (! w->isClosing())
            w->toFront (true);
}

void ConsoleApp::saveAllPreferences()
{
    auto* w = firstWindow;
    for (int i = 0; i < windowCount; ++i, w = w->next)
        w->savePreferences();
}

} // namespace arx
