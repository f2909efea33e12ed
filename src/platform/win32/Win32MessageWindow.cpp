#include "platform/win32/Win32MessageWindow.h"

#include "platform/win32/Win32Text.h"

#include <cstddef>

namespace arx::platform::win32
{
namespace
{
// The interface broadcast of a WM_DEVICECHANGE in the seam's form; null for anything else.
std::unique_ptr<DevBroadcastDeviceInterface> interfaceBroadcast (LPARAM lParam)
{
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*> (lParam);
    constexpr auto nameOffset = offsetof (DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || header->dbch_size < nameOffset)
        return nullptr;

    const auto* w = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*> (lParam);
    auto b = std::make_unique<DevBroadcastDeviceInterface>();
    b->size = w->dbcc_size;
    b->deviceType = w->dbcc_devicetype;
    b->reserved = w->dbcc_reserved;
    b->classGuid = { (uint32_t) w->dbcc_classguid.Data1, w->dbcc_classguid.Data2, w->dbcc_classguid.Data3, {} };
    for (int i = 0; i < 8; ++i)
        b->classGuid.data4[i] = w->dbcc_classguid.Data4[i];
    b->name = fromWide (w->dbcc_name, (w->dbcc_size - nameOffset) / sizeof (wchar_t));
    return b;
}
} // namespace

bool Win32MessageWindow::registerClass()
{
    static std::mutex lock;
    static bool registered = false;
    const std::lock_guard<std::mutex> guard (lock);
    if (registered)
        return true;

    WNDCLASSEXW wc {};
    wc.cbSize = sizeof (wc);
    wc.style = CS_VREDRAW | CS_HREDRAW;
    wc.lpfnWndProc = &Win32MessageWindow::windowProcedure;
    wc.hInstance = ::GetModuleHandleW (nullptr);
    wc.hbrBackground = (HBRUSH) (COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    registered = ::RegisterClassExW (&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

std::unique_ptr<Win32MessageWindow> Win32MessageWindow::create()
{
    if (! registerClass())
        return nullptr;

    std::unique_ptr<Win32MessageWindow> window (new Win32MessageWindow());
    const HWND h = ::CreateWindowExW (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, L"", WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, ::GetModuleHandleW (nullptr), window.get());
    if (h == nullptr)
        return nullptr;
    window->hwnd = h;
    return window;
}

Win32MessageWindow::~Win32MessageWindow()
{
    unregisterDeviceNotification();
    if (const HWND h = hwnd.exchange (nullptr))
    {
        // Nothing reaches this object any more. DestroyWindow only works on the window's own
        // thread; elsewhere the window goes with that thread.
        ::SetWindowLongPtrW (h, GWLP_USERDATA, 0);
        ::DestroyWindow (h);
    }
}

LRESULT CALLBACK Win32MessageWindow::windowProcedure (HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*> (lParam);
        ::SetWindowLongPtrW (h, GWLP_USERDATA, (LONG_PTR) create->lpCreateParams);
    }

    auto* self = reinterpret_cast<Win32MessageWindow*> (::GetWindowLongPtrW (h, GWLP_USERDATA));
    if (self != nullptr)
    {
        if (message == WM_NCDESTROY)
            self->windowDestroyed (h);
        else
            self->handleSent (message, wParam, lParam);
    }

    // Device queries are never refused; the end of the session is agreed to.
    if (message == WM_DEVICECHANGE)
        return TRUE;
    return ::DefWindowProcW (h, message, wParam, lParam);
}

void Win32MessageWindow::handleSent (UINT message, WPARAM wParam, LPARAM lParam)
{
    Win32Message m;
    m.message = message;
    m.wParam = wParam;
    if (message == WM_DEVICECHANGE)
    {
        // The broadcast lives as long as the call; lParam points at it or is 0.
        std::shared_ptr<DevBroadcastDeviceInterface> b = interfaceBroadcast (lParam);
        m.broadcast = b;
        m.lParam = (intptr_t) b.get();
    }
    else
    {
        m.lParam = lParam;
    }
    callWindowProc (m);
}

void Win32MessageWindow::windowDestroyed (HWND h)
{
    unregisterDeviceNotification();
    ::SetWindowLongPtrW (h, GWLP_USERDATA, 0);
    hwnd = nullptr;
}

bool Win32MessageWindow::getMessage (Win32Message& message)
{
    const HWND h = hwnd.load();
    if (h == nullptr)
        return false;

    MSG msg {};
    const BOOL got = ::GetMessageW (&msg, h, 0, 0);
    if (got == 0 || got == -1)
        return false;

    if (msg.message == WM_CLOSE)
    {
        ::DestroyWindow (h);
        return false;
    }

    message = {};
    message.message = msg.message;
    message.wParam = msg.wParam;
    message.lParam = msg.lParam;
    return true;
}

void Win32MessageWindow::postMessage (uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (const HWND h = hwnd.load())
        ::PostMessageW (h, message, wParam, lParam);
}

bool Win32MessageWindow::registerDeviceNotification (const Guid& interfaceClass)
{
    const std::lock_guard<std::mutex> guard (notificationLock);
    if (notification != nullptr)
        return true;
    const HWND h = hwnd.load();
    if (h == nullptr)
        return false;

    DEV_BROADCAST_DEVICEINTERFACE_W filter {};
    filter.dbcc_size = sizeof (filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = toGuid (interfaceClass);
    notification.reset (::RegisterDeviceNotificationW (h, &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    return notification != nullptr;
}

void Win32MessageWindow::unregisterDeviceNotification()
{
    const std::lock_guard<std::mutex> guard (notificationLock);
    notification.reset();
}

bool Win32MessageWindow::isRegisteredForDevices() const
{
    const std::lock_guard<std::mutex> guard (notificationLock);
    return notification != nullptr;
}

} // namespace arx::platform::win32
