#pragma once

// The application object: one instance per user session, one console window per device of the
// supported vendor, the tray icon, device arrival and removal, the 100 ms poll of the visible
// windows, and the shut-down order.
//
// Threads: everything here runs on the message thread, except handleNotification (notification
// thread).
//
// However the program or a window ends, a changed session reaches the device's flash: quit,
// "Exit", the end of the session and "Hide all windows" first close every dialog of ours as its
// Cancel or No would (ModalDialogs), then close each window as its close button does (the
// hardware thread writes back, then posts 'delw'), and a window is deleted only once its thread
// has finished or its device has gone. Only a device's removal skips or ends a write-back, and
// only a firmware update holds the end up: the program ends once it is over. While the program
// is ending it opens no new window.

#include "app/ConsoleTrayIcon.h"
#include "device/NotificationListener.h"
#include "device/Device.h"
#include "platform/Platform.h"
#include "remote/OscServer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class ConsoleApp;
class ConsoleLookAndFeel;
class ConsoleWindow;
class DeviceList;
class NotificationWindow;
class WebRemote;
struct DeviceChangeMessage;

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

class ConsoleApp : public juce::JUCEApplication, public NotificationListener, private ConsoleTrayIcon::Host,
                   private OscServer::Devices
{
public:
    // Where the program's parts come from; the defaults are the real ones.
    struct Setup
    {
        platform::Platform* platform = nullptr; // null: the default platform
        juce::File preferencesFolder;           // empty: the user's configuration folder
        bool windowsOnDesktop = true;
        bool trayIcon = true;
    };

    ConsoleApp();
    explicit ConsoleApp (Setup setup);
    ~ConsoleApp() override;

    static ConsoleApp* getInstance() noexcept;
    static bool isVistaOrLater() noexcept;
    static bool isForceUpdate() noexcept;

    // True only for the exact command line "-forceupdate".
    static bool isForceUpdateCommandLine (const juce::String& commandLine) noexcept;

    // JUCEApplication
    const juce::String getApplicationName() override { return "Vantrel ARX Console"; }
    // The version the program was built as, as the About box's "Console" row shows it.
    const juce::String getApplicationVersion() override;
    bool moreThanOneInstanceAllowed() override { return true; } // the instance lock decides
    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    void systemRequestedQuit() override;
    void anotherInstanceStarted (const juce::String&) override {}

    // Notification thread: the end of the user's session (WM_ENDSESSION with wParam 1) has the
    // message thread run endSession, and returns once every window has gone, since the system
    // may end the process as soon as it returns.
    void handleNotification (uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    //==============================================================================
    void openConsole (Device::Ptr device);
    ConsoleWindow* findConsole (const Device* device) const;
    void removeConsole (ConsoleWindow* window, bool quitIfLast);
    void arrangeWindows();
    void showAllWindows() override;
    void saveAllPreferences();

    // Quit, "Exit": every dialog closes, then every window with its write-back; the program ends
    // once the last one has gone and no firmware update runs.
    void endProgram();
    // The session ends: preferences saved at once, then endProgram.
    void endSession();
    // "Hide all windows", for one window: every dialog closes, then the window with its
    // write-back; the program runs on.
    void hideConsole (ConsoleWindow* window);

    bool isEnding() const noexcept { return ending; }
    int getWindowCount() const noexcept { return windowCount; }
    ConsoleWindow* getFirstWindow() const noexcept { return firstWindow; }
    DeviceList* getDeviceList() noexcept { return deviceList.get(); }
    juce::MessageListener* getListener() noexcept { return listener.get(); }
    // The remote-control endpoint; null before initialise().
    OscServer* getOscServer() noexcept { return oscServer.get(); }

protected:
    // Ends the message loop; the program then shuts down.
    virtual void endMessageLoop() { quit(); }

private:
    friend class ConsoleAppListener;
    void handleAppMessage (const juce::Message& message);
    void handleDeviceMessage (const DeviceChangeMessage& message);
    void showConsole (const Device::Ptr& device);
    // After 'delw', or once the device has gone: the window is removed, the program may end.
    void windowGone (ConsoleWindow* window);
    bool isDeviceGone (const Device* device) const;
    juce::Array<ConsoleWindow*> windowsInRing() const;
    void quitWhenNoWindowIsLeft();
    void quitProgram();
    bool isInRing (const ConsoleWindow* window) const;
    void appendToRing (ConsoleWindow* window);
    void unlinkFromRing (ConsoleWindow* window);
    void createTrayIcon();

    // ConsoleTrayIcon::Host
    void requestQuit() override { endProgram(); }
    juce::MessageListener& messageTarget() override { return *listener; }

    // OscServer::Devices
    juce::StringArray deviceNames() override;
    ConsoleContent* windowOf (const juce::String& uniqueName) override;
    void startOscServer (const juce::String& commandLine);

    std::unique_ptr<ConsoleTrayIcon> trayIcon;
#if ARX_WEB_REMOTE
    std::unique_ptr<WebRemote> webRemote; // a build without a web server has none
#endif
    std::unique_ptr<OscServer> oscServer;
    ConsoleWindow* firstWindow = nullptr;
    std::unique_ptr<DeviceList> deviceList;
    int windowCount = 0;
    std::unique_ptr<platform::NamedMutex> instanceLock;
    std::unique_ptr<ConsoleAppListener> listener;

    std::unique_ptr<ConsoleLookAndFeel> lookAndFeel;
    std::unique_ptr<juce::Logger> logger;
    bool listeningForWin32 = false;

    Setup setup;
    std::unique_ptr<NotificationWindow> ownNotificationWindow; // for a platform of the setup's
    bool ending = false;   // quit asked for: no new window
    bool quitting = false; // the message loop is told to end
    juce::WaitableEvent sessionEnded { true };
    juce::CriticalSection sessionEndLock; // guards resetting sessionEnded against shut-down
    bool shutDown = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleApp)
};

} // namespace arx
