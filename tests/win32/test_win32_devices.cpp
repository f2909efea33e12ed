// Device interfaces through SetupAPI, their registry values and the device file: with no device
// present, and with an interface of the driver's class registered as an installer would leave it
// (without a driver, so its device file cannot be opened).

#include "device/DeviceChangeMessage.h"
#include "device/DeviceList.h"
#include "device/NotificationWindow.h"
#include "platform/win32/Win32DeviceHandle.h"
#include "platform/win32/Win32MessageWindow.h"
#include "platform/win32/Win32Platform.h"
#include "sim/SimProfiles.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace arx::win32test
{
namespace
{
using namespace arx::platform;

// The application's side: the device messages the list posts, on the message thread.
struct DeviceMessages : juce::MessageListener
{
    void handleMessage (const juce::Message& message) override
    {
        if (auto* change = dynamic_cast<const DeviceChangeMessage*> (&message))
            ids.push_back (change->id);
    }

    bool pumpUntilCount (size_t count)
    {
        for (int i = 0; i < 500 && ids.size() < count; ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        return ids.size() >= count;
    }

    std::vector<uint32_t> ids;
};

std::vector<juce::String> enumeratePaths (Platform& platform)
{
    std::vector<juce::String> paths;
    auto set = platform.getClassDevs (ARX_INTERFACE_CLASS);
    EXPECT_NE (set, nullptr);
    DeviceInterfaceData data;
    for (int i = 0; set != nullptr && set->enumDeviceInterface (i, data); ++i)
        paths.push_back (data.devicePath);
    return paths;
}

TEST (Win32Devices, NoDevicePresent)
{
    win32::Win32Platform platform;
    EXPECT_TRUE (enumeratePaths (platform).empty());

    auto set = platform.getClassDevs (ARX_INTERFACE_CLASS);
    ASSERT_NE (set, nullptr);
    DeviceInterfaceData data;
    data.devicePath = "\\\\?\\root#arxtest#0000#{8e0985ca-509a-4718-a8a5-ef0cfc99ee87}";
    EXPECT_EQ (set->openInterfaceRegKey (data), nullptr) << "not an interface of this set";

    EXPECT_EQ (platform.createFile (data.devicePath), nullptr);
    EXPECT_EQ (platform.createFile ({}), nullptr);

    NotificationWindow window (platform);
    DeviceList list (platform, window, DeviceList::supportedVendor);
    EXPECT_EQ (list.deviceCount(), 0);
}

TEST (Win32Devices, RegisteredInterfaceIsEnumeratedWithItsRegistryValues)
{
    const auto caps = sim::SimProfiles::buildHwinfo (*sim::SimProfiles::find ("arx"), 0);
    // As long as the value may be, without its terminator (and no null after it in memory, which
    // the registry would count in).
    const std::wstring name = std::wstring (64, L'N') + L'#';
    const GUID interfaceClass = win32::toGuid (ARX_INTERFACE_CLASS);
    RegisteredInterface registered (interfaceClass, [&] (HKEY key) {
        ::RegSetValueExW (key, L"hwinfo_caps", 0, REG_BINARY, (const BYTE*) caps.getData(), (DWORD) caps.getSize());
        ::RegSetValueExW (key, L"unique_name", 0, REG_SZ, (const BYTE*) name.data(), DWORD (64 * sizeof (wchar_t)));
    });
    if (! registered.isValid())
        GTEST_SKIP() << "cannot register a device interface here: " << registered.failure();

    win32::Win32Platform platform;
    const auto paths = enumeratePaths (platform);
    ASSERT_EQ (paths.size(), 1u);
    EXPECT_TRUE (paths[0].startsWith ("\\\\?\\")) << paths[0];
    EXPECT_TRUE (paths[0].containsIgnoreCase ("{8e0985ca-509a-4718-a8a5-ef0cfc99ee87}")) << paths[0];

    NotificationWindow window (platform);
    DeviceList list (platform, window, DeviceList::supportedVendor);
    ASSERT_EQ (list.deviceCount(), 1);
    auto device = list.device (0);
    EXPECT_TRUE (device->isValid());
    EXPECT_EQ (device->info().vendorId(), DeviceList::supportedVendor);
    EXPECT_EQ (device->uniqueName(), juce::String::repeatedString ("N", 63));
    EXPECT_TRUE (device->devicePath().equalsIgnoreCase (paths[0]));

    // No driver behind it: the device file cannot be opened, and the device says so.
    EXPECT_FALSE (device->open());
    EXPECT_EQ (device->errorText(), "Could not create file handle");

    // Its removal, sent to the notification window, takes it out of the list before the send
    // returns; the application hears of it once.
    DeviceMessages messages;
    list.setListener (&messages);
    const HWND h = dynamic_cast<win32::Win32MessageWindow*> (window.windowHandle())->windowHandle();
    const auto gone = interfaceBroadcast (paths[0].toUpperCase().toWideCharPointer());
    ::SendMessageW (h, WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, (LPARAM) gone.data());
    ::SendMessageW (h, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, (LPARAM) gone.data());
    EXPECT_EQ (list.deviceCount(), 0);
    ASSERT_TRUE (messages.pumpUntilCount (1));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (messages.ids, std::vector<uint32_t> { DeviceChangeMessage::deviceRemoved });
    list.setListener (nullptr);
}

TEST (Win32DeviceHandle, AFileThatIsNoDeviceRefusesTheDriversRequests)
{
    const juce::TemporaryFile temp;
    ASSERT_TRUE (temp.getFile().replaceWithText ("not a device"));
    const HANDLE file = ::CreateFileW (temp.getFile().getFullPathName().toWideCharPointer(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE (file, INVALID_HANDLE_VALUE);

    win32::Win32DeviceHandle handle (file);
    uint32_t version = 0xFFFFFFFF, returned = 99;
    EXPECT_FALSE (handle.deviceIoControl (IOCTL_ARX_DRIVER_VERSION, nullptr, 0, &version, 4, returned));
    EXPECT_EQ (returned, 0u);
    EXPECT_TRUE (handle.isOpen()) << "the file is still there: the handle stays";
}

} // namespace
} // namespace arx::win32test
