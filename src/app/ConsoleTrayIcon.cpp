#include "app/ConsoleTrayIcon.h"

#include "app/ConsoleAppMessages.h"
#include "app/StartAtLogin.h"
#include "device/DeviceList.h"
#include "look/ConsoleSkin.h"
#include "platform/Desktop.h"

namespace arx
{

bool ConsoleTrayIcon::isSystemTrayAvailable()
{
    return platform::desktop::isSystemTrayAvailable();
}

ConsoleTrayIcon::ConsoleTrayIcon (DeviceList& devices, Host& appHost) : deviceList (devices), host (appHost)
{
    icon = platform::desktop::TrayIcon::create (ConsoleSkin::loadImage (SkinImage::trayIcon), tooltip(), *this);
}

ConsoleTrayIcon::~ConsoleTrayIcon() = default;

juce::ReferenceCountedArray<Device> ConsoleTrayIcon::listDevices (DeviceList& devices)
{
    juce::ReferenceCountedArray<Device> result;
    for (int i = 0; i < devices.deviceCount(); ++i)
        if (auto device = devices.device (i))
            result.add (device);
    return result;
}

void ConsoleTrayIcon::fillMenu (juce::PopupMenu& menu, const juce::ReferenceCountedArray<Device>& devices)
{
    for (int i = 0; i < devices.size(); ++i)
        menu.addItem (i + 1, devices.getUnchecked (i)->uniqueName());

    if (! devices.isEmpty())
    {
        menu.addSeparator();
        menu.addItem (showAllId, "Show all windows");
        menu.addItem (hideAllId, "Hide all windows");
        menu.addItem (cascadeAllId, "Cascade all windows");
    }

    menu.addItem (startAtLoginId, "Start at login", true, StartAtLogin().isOn());
    menu.addItem (exitId, "Exit");
}

void ConsoleTrayIcon::performChoice (int choice, const juce::ReferenceCountedArray<Device>& devices, Host& host)
{
    auto& target = host.messageTarget();
    const auto postForAll = [&] (uint32_t id) {
        for (auto* device : devices)
            target.postMessage (new DeviceChangeMessage (id, device));
    };

    switch (choice)
    {
        case 0:
            return;
        case showAllId:
            postForAll (appmsg::showDevice);
            return;
        case hideAllId:
            postForAll (appmsg::hideDevice);
            return;
        case cascadeAllId:
            target.postMessage (new WindowMessage (appmsg::arrangeWindows, nullptr));
            return;
        case exitId:
            host.requestQuit();
            return;
        case startAtLoginId:
        {
            StartAtLogin startAtLogin;
            startAtLogin.set (! startAtLogin.isOn());
            return;
        }
        default:
            if (choice >= 1 && choice <= devices.size())
                target.postMessage (new DeviceChangeMessage (appmsg::showDevice, devices[choice - 1]));
            return;
    }
}

void ConsoleTrayIcon::trayIconActivated()
{
    host.showAllWindows();
}

platform::desktop::TrayIcon::Menu ConsoleTrayIcon::trayIconMenu()
{
    const auto devices = listDevices (deviceList);
    platform::desktop::TrayIcon::Menu menu;
    fillMenu (menu.items, devices);
    menu.choose = [this, devices] (int choice) { performChoice (choice, devices, host); };
    return menu;
}

} // namespace arx
