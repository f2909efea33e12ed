// The device list, the notification window and the change notifier against the in-process lab.

#include "device/DeviceChangeNotifier.h"
#include "device/DeviceChangeMessage.h"
#include "device/DeviceList.h"
#include "device/NotificationWindow.h"
#include "sim/DeviceLab.h"
#include "sim/InProcessPlatform.h"

#include <gtest/gtest.h>

#include <functional>

namespace arx
{
namespace
{

using namespace arx::platform;

struct Posted
{
    uint32_t id;
    juce::String path;
};

// Receives the posted device messages on the message thread.
class RecordingListener : public juce::MessageListener
{
public:
    void handleMessage (const juce::Message& message) override
    {
        if (auto* change = dynamic_cast<const DeviceChangeMessage*> (&message))
            posted.push_back ({ change->id, change->device != nullptr ? change->device->devicePath() : juce::String() });
    }

    std::vector<Posted> posted;
};

// Runs the message loop until `done` holds or a generous deadline passes.
bool dispatchUntil (const std::function<bool()>& done)
{
    for (int i = 0; i < 500 && ! done(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    return done();
}

// Lets queued messages through without waiting for any in particular.
void dispatchPending()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
}

juce::String pathOf (const juce::String& uniqueName)
{
    return sim::DeviceLab::devicePath (uniqueName);
}

class DeviceListTest : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI juce;
    sim::DeviceLab lab;
    sim::InProcessPlatform platform { lab };
    NotificationWindow window { platform };
};

TEST_F (DeviceListTest, NewestDeviceFirstAndOnlyTheWantedVendor)
{
    lab.plug ({ .uniqueName = "First" });
    lab.plug ({ .profile = "other-vendor", .uniqueName = "Foreign" });
    lab.plug ({ .uniqueName = "Second" });

    DeviceList list (platform, window, DeviceList::supportedVendor);
    ASSERT_EQ (list.deviceCount(), 2);
    EXPECT_EQ (list.device (0)->uniqueName(), "Second");
    EXPECT_EQ (list.device (1)->uniqueName(), "First");
    EXPECT_EQ (list.device (2), nullptr);
    EXPECT_EQ (list.device (-1), nullptr);

    DeviceList everyone (platform, window, 0);
    EXPECT_EQ (everyone.deviceCount(), 3);
}

TEST_F (DeviceListTest, AddingAndRemovingByPath)
{
    lab.plug ({ .uniqueName = "One" });
    DeviceList list (platform, window, DeviceList::supportedVendor);
    ASSERT_EQ (list.deviceCount(), 1);

    // Already listed: no second object for the same device, whatever the case of the path.
    EXPECT_EQ (list.addDevices (pathOf ("One").toUpperCase()), nullptr);
    EXPECT_EQ (list.addDevices(), nullptr);
    EXPECT_EQ (list.deviceCount(), 1);

    lab.plug ({ .uniqueName = "Two" });
    auto added = list.addDevices (pathOf ("two").toLowerCase());
    ASSERT_NE (added, nullptr);
    EXPECT_EQ (added->uniqueName(), "Two");
    EXPECT_EQ (list.device (0), added);

    EXPECT_EQ (list.addDevices ("\\\\?\\nothing"), nullptr);

    auto removed = list.removeDevice (pathOf ("ONE"));
    ASSERT_NE (removed, nullptr);
    EXPECT_EQ (removed->uniqueName(), "One");
    EXPECT_EQ (list.deviceCount(), 1);
    EXPECT_EQ (list.removeDevice (pathOf ("One")), nullptr);
}

TEST_F (DeviceListTest, ArrivalAndRemovalArePosted)
{
    DeviceList list (platform, window, DeviceList::supportedVendor);
    RecordingListener listener;
    list.setListener (&listener);

    lab.plug ({ .uniqueName = "Hot" });
    ASSERT_TRUE (dispatchUntil ([&] { return ! listener.posted.empty(); }));
    EXPECT_EQ (listener.posted[0].id, 0x6AD00000u);
    EXPECT_EQ (listener.posted[0].path, pathOf ("Hot"));
    EXPECT_EQ (list.deviceCount(), 1);

    lab.plug ({ .profile = "other-vendor", .uniqueName = "Foreign" });
    // Query-remove and remove-complete both arrive; one removal is posted.
    lab.unplug ("Hot");
    ASSERT_TRUE (dispatchUntil ([&] { return listener.posted.size() >= 2; }));
    dispatchPending();
    ASSERT_EQ (listener.posted.size(), 2u);
    EXPECT_EQ (listener.posted[1].id, 0x6AD00001u);
    EXPECT_EQ (listener.posted[1].path, pathOf ("Hot"));
    EXPECT_EQ (list.deviceCount(), 0);

    list.setListener (nullptr);
    lab.plug ({ .uniqueName = "Quiet" });
    dispatchPending();
    EXPECT_EQ (listener.posted.size(), 2u);
}

TEST_F (DeviceListTest, DuplicateArrivalPostsNothing)
{
    lab.plug ({ .uniqueName = "Dup" });
    DeviceList list (platform, window, DeviceList::supportedVendor);
    RecordingListener listener;
    DeviceChangeNotifier notifier (ARX_INTERFACE_CLASS, list, window);
    EXPECT_TRUE (notifier.isRegistered());
    notifier.setListener (&listener);

    DevBroadcastDeviceInterface broadcast;
    broadcast.name = pathOf ("Dup");
    notifier.handleNotification (WM_DEVICECHANGE, DBT_DEVICEARRIVAL, intptr_t (&broadcast));
    notifier.handleNotification (WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVEFAILED, intptr_t (&broadcast));
    notifier.handleNotification (WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    broadcast.deviceType = 3;
    notifier.handleNotification (WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, intptr_t (&broadcast));
    dispatchPending();

    EXPECT_TRUE (listener.posted.empty());
    EXPECT_EQ (list.deviceCount(), 1);
}

class OrderListener : public NotificationListener
{
public:
    OrderListener (int tag, std::vector<std::pair<int, uint32_t>>& log, juce::CriticalSection& lock)
        : id (tag), seen (log), seenLock (lock)
    {
    }

    void handleNotification (uint32_t message, uintptr_t, intptr_t) override
    {
        const juce::ScopedLock sl (seenLock);
        seen.push_back ({ id, message });
    }

private:
    int id;
    std::vector<std::pair<int, uint32_t>>& seen;
    juce::CriticalSection& seenLock;
};

TEST_F (DeviceListTest, WindowCallsListenersInRegistrationOrder)
{
    std::vector<std::pair<int, uint32_t>> seen;
    juce::CriticalSection lock;
    OrderListener second (2, seen, lock), first (1, seen, lock);
    window.addListener (&second);
    window.addListener (&first);
    window.addListener (&second); // once only

    auto* handle = window.windowHandle();
    ASSERT_NE (handle, nullptr);
    handle->postMessage (0x400, 0, 0);
    handle->postMessage (0x401, 0, 0);

    const auto count = [&] { const juce::ScopedLock sl (lock); return seen.size(); };
    for (int i = 0; i < 500 && count() < 4; ++i)
        juce::Thread::sleep (10);

    window.removeListener (&second);
    window.removeListener (&first);

    const juce::ScopedLock sl (lock);
    const std::vector<std::pair<int, uint32_t>> expected { { 2, 0x400 }, { 1, 0x400 }, { 2, 0x401 }, { 1, 0x401 } };
    EXPECT_EQ (seen, expected);
}

// Message windows that tell whether their thread let go of them properly: every window made is
// closed (its getMessage answered false) and no call is still inside it when it is destroyed.
class WatchedWindowPlatform : public sim::InProcessPlatform
{
public:
    using sim::InProcessPlatform::InProcessPlatform;

    std::unique_ptr<MessageWindow> createMessageWindow() override
    {
        ++made;
        return std::make_unique<Watched> (*this, sim::InProcessPlatform::createMessageWindow());
    }

    std::atomic<int> made { 0 }, closed { 0 }, destroyedInUse { 0 };

private:
    struct Watched : MessageWindow
    {
        Watched (WatchedWindowPlatform& o, std::unique_ptr<MessageWindow> w) : owner (o), inner (std::move (w)) {}
        ~Watched() override
        {
            if (inside > 0)
                ++owner.destroyedInUse;
        }
        bool getMessage (Win32Message& m) override
        {
            ++inside;
            const bool got = inner->getMessage (m);
            if (! got)
                ++owner.closed;
            --inside;
            return got;
        }
        void postMessage (uint32_t m, uintptr_t w, intptr_t l) override { inner->postMessage (m, w, l); }
        bool registerDeviceNotification (const Guid& g) override { return inner->registerDeviceNotification (g); }
        void unregisterDeviceNotification() override { inner->unregisterDeviceNotification(); }

        WatchedWindowPlatform& owner;
        std::unique_ptr<MessageWindow> inner;
        std::atomic<int> inside { 0 };
    };
};

TEST_F (DeviceListTest, WindowClosedRightAfterStartEndsItsThread)
{
    // Destroyed while its thread may still be making the window: the thread must still end,
    // by the window's own close rather than by being abandoned.
    WatchedWindowPlatform watched (lab);
    for (int i = 0; i < 20; ++i)
    {
        NotificationWindow shortLived (watched);
    }
    EXPECT_EQ (watched.made.load(), 20);
    EXPECT_EQ (watched.closed.load(), watched.made.load());
    EXPECT_EQ (watched.destroyedInUse.load(), 0);
}

class NoWindowPlatform : public sim::InProcessPlatform
{
public:
    using sim::InProcessPlatform::InProcessPlatform;
    std::unique_ptr<MessageWindow> createMessageWindow() override { return nullptr; }
};

TEST_F (DeviceListTest, NoWindowMeansNoNotificationButAWorkingList)
{
    NoWindowPlatform bare (lab);
    NotificationWindow windowless (bare);
    EXPECT_EQ (windowless.windowHandle(), nullptr);

    lab.plug ({ .uniqueName = "Still" });
    DeviceList list (bare, windowless, DeviceList::supportedVendor);
    RecordingListener listener;
    list.setListener (&listener); // registration fails quietly
    EXPECT_EQ (list.deviceCount(), 1);

    // A device arriving now is not announced, but the list still finds it when asked.
    lab.plug ({ .uniqueName = "Later" });
    dispatchPending();
    EXPECT_TRUE (listener.posted.empty());
    ASSERT_NE (list.addDevices (pathOf ("Later")), nullptr);
    EXPECT_EQ (list.deviceCount(), 2);
}

} // namespace
} // namespace arx
