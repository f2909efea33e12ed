#pragma once

// The application object: one instance per user session, one console window per device of the
// supported vendor, the tray icon, device arrival and removal, the 100 ms poll of the visible
// windows, and the shut-down order.
//
// Threads: everything here runs on the message thread, except handleWin32Message (notification
// thread).

#include "app/ConsoleTrayIcon.h"
#include "device/Win32MessageListener.h"
#include "device/bhw.h"
#include "platform/Platform.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class ConsoleApp;
class ConsoleLookAndFeel;
class ConsoleWindow;
class DeviceList;

// Receives the application's own messages and hands them to the application.
class ConsoleAppListener : public juce::MessageListener
{
public:
    explicit ConsoleAppListener (ConsoleApp& application) : app (application) {}
    void handleMessage (const juce::Message& message) override;

private:
    ConsoleApp& app;
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleAppListener)
};

// Every 100 ms: the poll of every visible window.
class ConsoleAppTimer : public juce::Timer
{
public:
    explicit ConsoleAppTimer (ConsoleApp& application) : app (application) {}
    void timerCallback() override;

private:
    ConsoleApp& app;
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleAppTimer)
};

class ConsoleApp : public juce::JUCEApplication, public Win32MessageListener, private ConsoleTrayIcon::Host
{
public:
    static constexpr int pollIntervalMs = 100;
    // How long the end of the session waits for the message thread to save the preferences.
    static constexpr int endSessionWaitMs = 5000;

    ConsoleApp();
    ~ConsoleApp() override;

    static ConsoleApp* getInstance() noexcept;
    static bool isVistaOrLater() noexcept;
    // What isVistaOrLater is set from at start-up.
    static bool detectVistaOrLater();
    static bool isForceUpdate() noexcept;

    // JUCEApplication
    const juce::String getApplicationName() override { return "Vantrel ARX Console"; }
    const juce::String getApplicationVersion() override { return "1.0"; }
    bool moreThanOneInstanceAllowed() override { return true; } // the instance lock decides
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void systemRequestedQuit() override;
    void anotherInstanceStarted (const juce::String&) override {}

    // Notification thread: the end of the user's session (WM_ENDSESSION) has the message thread
    // save every window's preferences, and end the program when the session really ends; it
    // returns once that is done (or after endSessionWaitMs).
    void handleWin32Message (uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    //==============================================================================
    void openConsole (bhw::Ptr device);
    ConsoleWindow* findConsole (const bhw* device) const;
    void removeConsole (ConsoleWindow* window, bool quitIfLast);
    void arrangeWindows();
    void showAllWindows() override;
    void pollWindows();
    void saveAllPreferences();

    int getWindowCount() const noexcept { return windowCount; }
    DeviceList* getDeviceList() noexcept { return deviceList.get(); }
    juce::MessageListener* getListener() noexcept { return listener.get(); }

private:
    friend class ConsoleAppListener;
    void handleAppMessage (const juce::Message& message);
    bool isInRing (const ConsoleWindow* window) const;
    void appendToRing (ConsoleWindow* window);
    void unlinkFromRing (ConsoleWindow* window);
    void createTrayIcon();

    // ConsoleTrayIcon::Host
    void requestQuit() override { systemRequestedQuit(); }
    juce::MessageListener& messageTarget() override { return *listener; }

    std::unique_ptr<ConsoleTrayIcon> trayIcon;
    ConsoleWindow* firstWindow = nullptr;
    std::unique_ptr<DeviceList> deviceList;
    int windowCount = 0;
    std::unique_ptr<platform::NamedMutex> instanceLock;
    std::unique_ptr<ConsoleAppListener> listener;
    ConsoleAppTimer timer { *this };

    std::unique_ptr<ConsoleLookAndFeel> lookAndFeel;
    std::unique_ptr<juce::Logger> logger;
    bool listeningForWin32 = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleApp)
};

} // namespace arx
