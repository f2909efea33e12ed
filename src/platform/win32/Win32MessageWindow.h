#pragma once

// The notification window: a hidden top-level window of the class "notification msg window",
// never shown. Top-level rather than message-only (HWND_MESSAGE), because only top-level windows
// hear the end of the session. Posted messages come out of getMessage; sent ones (device-change
// broadcasts, the session's end, anything else Windows sends) go to the window procedure, with a
// device-interface broadcast turned into the seam's DevBroadcastDeviceInterface.
//
// Threads: the window belongs to the thread that created it, which alone calls getMessage and
// receives the window procedure's calls. postMessage and the device-notification registration
// may come from any thread.

#include "platform/win32/Win32Api.h"

#include <atomic>
#include <mutex>

namespace arx::platform::win32
{

class Win32MessageWindow : public MessageWindow
{
public:
    static constexpr const wchar_t* className = L"notification msg window";

    // Null when the window cannot be made.
    static std::unique_ptr<Win32MessageWindow> create();
    ~Win32MessageWindow() override;

    bool getMessage (Win32Message& message) override;
    void postMessage (uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    bool registerDeviceNotification (const Guid& interfaceClass) override;
    void unregisterDeviceNotification() override;

    // Null once the window has been destroyed.
    HWND windowHandle() const noexcept { return hwnd.load(); }
    bool isRegisteredForDevices() const;

private:
    Win32MessageWindow() = default;

    static bool registerClass();
    static LRESULT CALLBACK windowProcedure (HWND h, UINT message, WPARAM wParam, LPARAM lParam);
    void handleSent (UINT message, WPARAM wParam, LPARAM lParam);
    void windowDestroyed (HWND h);

    std::atomic<HWND> hwnd { nullptr };
    mutable std::mutex notificationLock;
    UniqueNotification notification;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32MessageWindow)
};

} // namespace arx::platform::win32
