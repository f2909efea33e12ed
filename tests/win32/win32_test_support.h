#pragma once

// What the tests of the Win32 backend set up with the real Windows calls: a scratch registry key,
// a device interface of the driver's class registered as an installer would (without a driver),
// and a way to wait for a condition.

#include "platform/win32/Win32Api.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace arx::win32test
{

// Waits until `done` holds, in steps of 10 ms; the limit only keeps a broken build from hanging.
inline bool waitUntil (const std::function<bool()>& done, int limitMs = 10000)
{
    for (int waited = 0; ! done(); waited += 10)
    {
        if (waited >= limitMs)
            return false;
        ::Sleep (10);
    }
    return true;
}

// A device-interface broadcast as the system sends it: the header, then the path in UTF-16.
inline std::vector<uint64_t> interfaceBroadcast (const std::wstring& path)
{
    const auto bytes = offsetof (DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (path.size() + 1) * sizeof (wchar_t);
    std::vector<uint64_t> storage (bytes / sizeof (uint64_t) + 1);
    auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*> (storage.data());
    b->dbcc_size = (DWORD) bytes;
    b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    b->dbcc_classguid = platform::win32::toGuid (platform::ARX_INTERFACE_CLASS);
    std::copy (path.begin(), path.end(), b->dbcc_name);
    b->dbcc_name[path.size()] = 0;
    return storage;
}

// HKCU\Software\ArxConsoleTests\<unique>, removed with everything in it at the end.
class ScratchKey
{
public:
    ScratchKey();
    ~ScratchKey();

    HKEY get() const noexcept { return key; }
    // A second handle of the key, for a Win32RegistryKey to own.
    HKEY duplicate() const;

    void set (const wchar_t* name, DWORD type, const void* data, DWORD bytes) const;
    void setText (const wchar_t* name, const std::wstring& text, bool withTerminator = true) const;

private:
    std::wstring path;
    HKEY key = nullptr;
};

// A root-enumerated device of its own setup class with one interface of `interfaceClass`,
// whose interface key holds the given values; removed at the end. isValid() is false where
// the system does not let the test register it.
class RegisteredInterface
{
public:
    RegisteredInterface (const GUID& interfaceClass, const std::function<void (HKEY)>& fillKey);
    ~RegisteredInterface();

    bool isValid() const noexcept { return valid; }
    const juce::String& failure() const noexcept { return why; }

private:
    bool fail (const juce::String& step);
    bool markLinked (const GUID& interfaceClass, SP_DEVICE_INTERFACE_DATA& data);

    HDEVINFO set = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device {};
    bool registered = false, valid = false;
    juce::String why;
};

} // namespace arx::win32test
