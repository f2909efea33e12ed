#include "platform/win32/Win32DeviceInfoSet.h"

#include "platform/win32/Win32RegistryKey.h"
#include "platform/win32/Win32Text.h"

#include <cstddef>

namespace arx::platform::win32
{

std::unique_ptr<Win32DeviceInfoSet> Win32DeviceInfoSet::open (const Guid& interfaceClass)
{
    const auto guid = toGuid (interfaceClass);
    const HDEVINFO set = ::SetupDiGetClassDevsW (&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<Win32DeviceInfoSet> (new Win32DeviceInfoSet (set, guid));
}

Win32DeviceInfoSet::Win32DeviceInfoSet (HDEVINFO s, const GUID& g) : set (s), interfaceClass (g) {}

bool Win32DeviceInfoSet::enumInterface (int index, SP_DEVICE_INTERFACE_DATA& data) const
{
    if (index < 0)
        return false;
    data = {};
    data.cbSize = sizeof (data);
    return ::SetupDiEnumDeviceInterfaces (set.get(), nullptr, &interfaceClass, (DWORD) index, &data) != FALSE;
}

juce::String Win32DeviceInfoSet::devicePathOf (SP_DEVICE_INTERFACE_DATA& data) const
{
    // First call for the size, then a buffer of at least 256 bytes grown to it.
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailW (set.get(), &data, nullptr, 0, &required, nullptr);
    if (required > maxDetailBytes)
        return {};
    const DWORD bytes = std::max<DWORD> (required, 256);

    std::vector<uint64_t> storage ((bytes + sizeof (uint64_t) - 1) / sizeof (uint64_t)); // aligned for the struct
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*> (storage.data());
    detail->cbSize = sizeof (SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (! ::SetupDiGetDeviceInterfaceDetailW (set.get(), &data, detail, bytes, nullptr, nullptr))
        return {};

    const auto pathOffset = offsetof (SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    return fromWide (detail->DevicePath, (bytes - pathOffset) / sizeof (wchar_t));
}

bool Win32DeviceInfoSet::enumDeviceInterface (int index, DeviceInterfaceData& result)
{
    SP_DEVICE_INTERFACE_DATA data;
    if (! enumInterface (index, data))
        return false;

    result.devicePath = devicePathOf (data);
    if (result.devicePath.isNotEmpty() && findEnumerated (result.devicePath) == nullptr)
        enumerated.push_back ({ result.devicePath, data });
    return true;
}

std::unique_ptr<RegistryKey> Win32DeviceInfoSet::openInterfaceRegKey (const DeviceInterfaceData& wanted)
{
    if (wanted.devicePath.isEmpty())
        return nullptr;

    auto* e = findEnumerated (wanted.devicePath);
    if (e == nullptr)
        return nullptr;
    const HKEY key = ::SetupDiOpenDeviceInterfaceRegKey (set.get(), &e->data, 0, KEY_READ);
    if (key == (HKEY) INVALID_HANDLE_VALUE || key == nullptr)
        return nullptr;
    return std::make_unique<Win32RegistryKey> (key);
}

Win32DeviceInfoSet::Enumerated* Win32DeviceInfoSet::findEnumerated (const juce::String& path)
{
    for (auto& e : enumerated)
        if (e.path.equalsIgnoreCase (path))
            return &e;
    return nullptr;
}

} // namespace arx::platform::win32
