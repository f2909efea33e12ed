// The tray icon's menu, built and carried out without showing it.

#include "app/ConsoleAppMessages.h"
#include "app/ConsoleTrayIcon.h"
#include "device/DeviceList.h"
#include "device/NotificationWindow.h"
#include "device_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace arx::test
{
namespace
{

struct MenuEntry
{
    int id;
    juce::String text;
    bool separator;
};

std::vector<MenuEntry> entries (const juce::PopupMenu& menu)
{
    std::vector<MenuEntry> result;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        result.push_back ({ item.itemID, item.text, item.isSeparator });
    }
    return result;
}

class RecordingHost : public ConsoleTrayIcon::Host, public juce::MessageListener
{
public:
    void showAllWindows() override { ++shows; }
    void requestQuit() override { ++quits; }
    juce::MessageListener& messageTarget() override { return *this; }

    void handleMessage (const juce::Message& m) override
    {
        if (auto* change = dynamic_cast<const DeviceChangeMessage*> (&m))
            received.push_back ({ change->id, change->device.get() });
        else if (auto* window = dynamic_cast<const WindowMessage*> (&m))
            received.push_back ({ window->id, nullptr });
    }

    struct Received
    {
        uint32_t id;
        Device* device;
    };

    std::vector<Received> received;
    int shows = 0, quits = 0;
};

// Two devices of the lab, listed the way the application lists them.
struct TwoDevices
{
    TwoDevices()
    {
        sim::PlugOptions first, second;
        first.uniqueName = "ARX-A";
        second.uniqueName = "ARX-B";
        lab.plug (first);
        lab.plug (second);
        list = std::make_unique<DeviceList> (platform, window, DeviceList::supportedVendor);
        devices = ConsoleTrayIcon::listDevices (*list);
    }

    sim::DeviceLab lab;
    sim::InProcessPlatform platform { lab };
    NotificationWindow window { platform };
    std::unique_ptr<DeviceList> list;
    juce::ReferenceCountedArray<Device> devices;
};

void pump() { juce::MessageManager::getInstance()->runDispatchLoopUntil (20); }

TEST (TrayMenu, WithoutDevicesOffersOnlyStartAtLoginAndExit)
{
    juce::PopupMenu menu;
    ConsoleTrayIcon::fillMenu (menu, {});

    const auto items = entries (menu);
    ASSERT_EQ (items.size(), 2u);
    EXPECT_EQ (items[0].id, ConsoleTrayIcon::startAtLoginId);
    EXPECT_EQ (items[0].text, "Start at login");
    EXPECT_EQ (items[1].id, ConsoleTrayIcon::exitId);
    EXPECT_EQ (items[1].text, "Exit");
}

TEST (TrayMenu, ListsEachDeviceThenTheWindowCommands)
{
    TwoDevices rig;
    ASSERT_EQ (rig.devices.size(), 2);

    juce::PopupMenu menu;
    ConsoleTrayIcon::fillMenu (menu, rig.devices);
    const auto items = entries (menu);

    ASSERT_EQ (items.size(), 8u);
    EXPECT_EQ (items[0].id, 1);
    EXPECT_EQ (items[0].text, rig.devices[0]->uniqueName());
    EXPECT_EQ (items[1].id, 2);
    EXPECT_EQ (items[1].text, rig.devices[1]->uniqueName());
    EXPECT_TRUE (items[2].separator);
    EXPECT_EQ (items[3].id, -1);
    EXPECT_EQ (items[3].text, "Show all windows");
    EXPECT_EQ (items[4].id, -2);
    EXPECT_EQ (items[4].text, "Hide all windows");
    EXPECT_EQ (items[5].id, -3);
    EXPECT_EQ (items[5].text, "Cascade all windows");
    EXPECT_EQ (items[6].id, -5);
    EXPECT_EQ (items[6].text, "Start at login");
    EXPECT_EQ (items[7].id, -4);
    EXPECT_EQ (items[7].text, "Exit");
}

TEST (TrayMenu, ChoicesPostOneMessagePerDeviceInListOrder)
{
    TwoDevices rig;
    RecordingHost host;

    ConsoleTrayIcon::performChoice (ConsoleTrayIcon::hideAllId, rig.devices, host);
    EXPECT_TRUE (host.received.empty()); // posted: handled after the menu has closed
    pump();
    ASSERT_EQ (host.received.size(), 2u);
    EXPECT_EQ (host.received[0].id, appmsg::hideDevice);
    EXPECT_EQ (host.received[0].device, rig.devices[0].get());
    EXPECT_EQ (host.received[1].device, rig.devices[1].get());

    host.received.clear();
    ConsoleTrayIcon::performChoice (ConsoleTrayIcon::showAllId, rig.devices, host);
    ConsoleTrayIcon::performChoice (2, rig.devices, host);
    ConsoleTrayIcon::performChoice (ConsoleTrayIcon::cascadeAllId, rig.devices, host);
    pump();
    ASSERT_EQ (host.received.size(), 4u);
    EXPECT_EQ (host.received[0].id, appmsg::showDevice);
    EXPECT_EQ (host.received[1].id, appmsg::showDevice);
    EXPECT_EQ (host.received[2].id, appmsg::showDevice);
    EXPECT_EQ (host.received[2].device, rig.devices[1].get());
    EXPECT_EQ (host.received[3].id, appmsg::arrangeWindows);
    EXPECT_EQ (host.quits, 0);
}

TEST (TrayMenu, DismissalAndStaleItemsDoNothingAndExitQuits)
{
    TwoDevices rig;
    RecordingHost host;

    ConsoleTrayIcon::performChoice (0, rig.devices, host);
    ConsoleTrayIcon::performChoice (3, rig.devices, host); // beyond the devices the menu listed
    pump();
    EXPECT_TRUE (host.received.empty());
    EXPECT_EQ (host.quits, 0);

    ConsoleTrayIcon::performChoice (ConsoleTrayIcon::exitId, {}, host);
    EXPECT_EQ (host.quits, 1);
    EXPECT_EQ (host.shows, 0);
}

} // namespace
} // namespace arx::test
