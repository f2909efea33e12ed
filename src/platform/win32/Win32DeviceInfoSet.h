#pragma once

// A device information set of one interface class (SetupDiGetClassDevsW with DIGCF_PRESENT |
// DIGCF_DEVICEINTERFACE): its interfaces by index, their paths, and their registry keys. The set is
// destroyed (SetupDiDestroyDeviceInfoList) when the object goes.
//
// Threads: one at a time (the device list's lock).

#include "platform/win32/Win32Api.h"

#include <vector>

namespace arx::platform::win32
{

class Win32DeviceInfoSet : public DeviceInfoSet
{
public:
    // Null when SetupDiGetClassDevsW fails.
    static std::unique_ptr<Win32DeviceInfoSet> open (const Guid& interfaceClass);

    // SetupDiEnumDeviceInterfaces, then SetupDiGetDeviceInterfaceDetailW for the path. An
    // interface whose detail cannot be read (it went away meanwhile) comes with an empty path.
    bool enumDeviceInterface (int index, DeviceInterfaceData& data) override;

    // SetupDiOpenDeviceInterfaceRegKey (KEY_READ) of an interface this set enumerated.
    std::unique_ptr<RegistryKey> openInterfaceRegKey (const DeviceInterfaceData& data) override;

    // Paths longer than this are refused (a path is a few hundred characters).
    static constexpr DWORD maxDetailBytes = 32 * 1024;

private:
    Win32DeviceInfoSet (HDEVINFO set, const GUID& interfaceClass);

    bool enumInterface (int index, SP_DEVICE_INTERFACE_DATA& data) const;
    juce::String devicePathOf (SP_DEVICE_INTERFACE_DATA& data) const;

    struct Enumerated
    {
        juce::String path;
        SP_DEVICE_INTERFACE_DATA data;
    };

    Enumerated* findEnumerated (const juce::String& path);

    UniqueInfoSet set;
    GUID interfaceClass;
    std::vector<Enumerated> enumerated;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32DeviceInfoSet)
};

} // namespace arx::platform::win32
