#pragma once

// The icon in the system tray: a left click brings every console window to the front, a right
// click offers the devices, the window commands, "Start at login" and "Exit". The icon does no
// window work itself: it posts the application's messages, which run after the menu has closed.
// How the desktop shows it is the platform's (platform/TrayIcon.h).
//
// Threads: message thread only.

#include "device/Device.h"
#include "platform/TrayIcon.h"

#include <juce_gui_extra/juce_gui_extra.h>

namespace arx
{

class DeviceList;

class ConsoleTrayIcon : private platform::desktop::TrayIcon::Client
{
public:
    enum MenuId
    {
        showAllId = -1,
        hideAllId = -2,
        cascadeAllId = -3,
        exitId = -4,
        startAtLoginId = -5
    };

    // What the icon asks of the application.
    class Host
    {
    public:
        virtual ~Host() = default;
        virtual void showAllWindows() = 0;
        virtual void requestQuit() = 0;
        virtual juce::MessageListener& messageTarget() = 0;
    };

    // The desktop may have no tray: see isSystemTrayAvailable.
    ConsoleTrayIcon (DeviceList& devices, Host& host);
    ~ConsoleTrayIcon() override;

    static juce::String tooltip() { return "Vantrel ARX Console"; }

    // Whether the desktop has a system tray that can take the icon.
    static bool isSystemTrayAvailable();

    // The devices in list order, read under the list's lock.
    static juce::ReferenceCountedArray<Device> listDevices (DeviceList& devices);

    // Items 1..n for the devices, then the window commands when there is any device, then
    // "Start at login" (ticked as the user's session has it) and "Exit".
    static void fillMenu (juce::PopupMenu& menu, const juce::ReferenceCountedArray<Device>& devices);

    // Carries out a menu choice (0: dismissed) against the devices the menu was built from.
    static void performChoice (int choice, const juce::ReferenceCountedArray<Device>& devices, Host& host);

private:
    void trayIconActivated() override;
    platform::desktop::TrayIcon::Menu trayIconMenu() override;

    DeviceList& deviceList;
    Host& host;
    std::unique_ptr<platform::desktop::TrayIcon> icon;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleTrayIcon)
};

} // namespace arx
