// The notification window on Windows: a hidden top-level window whose sent messages (the session's
// end, device-interface broadcasts) reach the listeners before their sender goes on, and whose
// posted messages follow in order, all on the window's own thread.

#include "device/NotificationWindow.h"
#include "platform/win32/Win32MessageWindow.h"
#include "platform/win32/Win32Platform.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <mutex>

namespace arx::win32test
{
namespace
{
using namespace arx::platform;

struct Heard
{
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    juce::String name;
    DWORD thread;
};

class Recorder : public NotificationListener
{
public:
    void handleNotification (uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        Heard h { message, wParam, lParam, {}, ::GetCurrentThreadId() };
        if (message == WM_DEVICECHANGE && lParam != 0)
            h.name = reinterpret_cast<const DevBroadcastDeviceInterface*> (lParam)->name;
        const std::lock_guard<std::mutex> guard (lock);
        heard.push_back (h);
    }

    // The messages heard so far, of the kinds a test looks for.
    std::vector<Heard> of (std::initializer_list<uint32_t> kinds)
    {
        const std::lock_guard<std::mutex> guard (lock);
        std::vector<Heard> result;
        for (auto& h : heard)
            if (std::find (kinds.begin(), kinds.end(), h.message) != kinds.end())
                result.push_back (h);
        return result;
    }

private:
    std::mutex lock;
    std::vector<Heard> heard;
};

HWND hwndOf (NotificationWindow& window)
{
    auto* w = dynamic_cast<win32::Win32MessageWindow*> (window.windowHandle());
    return w != nullptr ? w->windowHandle() : nullptr;
}

TEST (NotificationWindow, AHiddenTopLevelWindowThatTakesTheDeviceRegistration)
{
    win32::Win32Platform platform;
    NotificationWindow window (platform);
    const HWND h = hwndOf (window);
    ASSERT_NE (h, nullptr);
    EXPECT_FALSE (::IsWindowVisible (h));
    EXPECT_EQ (::GetAncestor (h, GA_PARENT), ::GetDesktopWindow()) << "top-level, so that it hears the session's end";
    wchar_t className[64] {};
    ::GetClassNameW (h, className, 64);
    EXPECT_EQ (std::wstring (className), L"notification msg window");
    EXPECT_NE (::GetWindowThreadProcessId (h, nullptr), ::GetCurrentThreadId());

    auto* w = dynamic_cast<win32::Win32MessageWindow*> (window.windowHandle());
    ASSERT_TRUE (w->registerDeviceNotification (ARX_INTERFACE_CLASS));
    EXPECT_TRUE (w->isRegisteredForDevices());
    w->unregisterDeviceNotification();
    EXPECT_FALSE (w->isRegisteredForDevices());
    EXPECT_TRUE (w->registerDeviceNotification (ARX_INTERFACE_CLASS)); // released again by the window
}

TEST (NotificationWindow, SentMessagesAreHeardBeforeTheSenderGoesOnPostedOnesInOrder)
{
    win32::Win32Platform platform;
    NotificationWindow window (platform);
    Recorder recorder;
    window.addListener (&recorder);
    const HWND h = hwndOf (window);
    ASSERT_NE (h, nullptr);

    EXPECT_EQ (::SendMessageW (h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << "the session may end";
    ::SendMessageW (h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    auto ends = recorder.of ({ WM_QUERYENDSESSION, WM_ENDSESSION });
    ASSERT_EQ (ends.size(), 2u);
    EXPECT_EQ (ends[1].message, (uint32_t) WM_ENDSESSION);
    EXPECT_EQ (ends[1].wParam, 1u);
    EXPECT_EQ (ends[1].thread, ::GetWindowThreadProcessId (h, nullptr));

    const std::wstring path = L"\\\\?\\ROOT#ARX#B\u00fchne-\u03a9#{8e0985ca-509a-4718-a8a5-ef0cfc99ee87}";
    auto arrival = interfaceBroadcast (path);
    EXPECT_EQ (::SendMessageW (h, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM) arrival.data()), TRUE);
    DEV_BROADCAST_HDR volume { sizeof (DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0 };
    ::SendMessageW (h, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, (LPARAM) &volume);
    const auto changes = recorder.of ({ WM_DEVICECHANGE });
    ASSERT_EQ (changes.size(), 2u);
    EXPECT_EQ (changes[0].wParam, (uintptr_t) DBT_DEVICEARRIVAL);
    EXPECT_EQ (changes[0].name, juce::String (path.c_str()));
    EXPECT_EQ (changes[1].lParam, 0) << "only interface broadcasts are handed on";

    window.windowHandle()->postMessage (WM_APP + 1, 7, 8);
    ::PostMessageW (h, WM_APP + 2, 9, 10);
    ASSERT_TRUE (waitUntil ([&] { return recorder.of ({ WM_APP + 1, WM_APP + 2 }).size() == 2; }));
    const auto posted = recorder.of ({ WM_APP + 1, WM_APP + 2 });
    EXPECT_EQ (posted[0].message, (uint32_t) WM_APP + 1);
    EXPECT_EQ (posted[0].wParam, 7u);
    EXPECT_EQ (posted[0].lParam, 8);
    EXPECT_EQ (posted[1].message, (uint32_t) WM_APP + 2);

    window.removeListener (&recorder);
}

TEST (NotificationWindow, ClosingDestroysTheWindow)
{
    win32::Win32Platform platform;
    HWND h = nullptr;
    {
        NotificationWindow window (platform);
        h = hwndOf (window);
        ASSERT_NE (h, nullptr);
        ASSERT_TRUE (window.windowHandle()->registerDeviceNotification (ARX_INTERFACE_CLASS));
    }
    EXPECT_FALSE (::IsWindow (h));

    // A window of the platform's own, closed by a posted WM_CLOSE on its thread.
    auto own = platform.createMessageWindow();
    ASSERT_NE (own, nullptr);
    auto* w = dynamic_cast<win32::Win32MessageWindow*> (own.get());
    own->postMessage (WM_APP, 0, 0);
    own->postMessage (WM_CLOSE, 0, 0);
    own->postMessage (WM_APP + 3, 0, 0);
    Win32Message m;
    ASSERT_TRUE (own->getMessage (m));
    EXPECT_EQ (m.message, (uint32_t) WM_APP);
    EXPECT_FALSE (own->getMessage (m)) << "nothing after the close";
    EXPECT_EQ (w->windowHandle(), nullptr);
    EXPECT_FALSE (own->getMessage (m));
}

} // namespace
} // namespace arx::win32test
