#include "win32_test_support.h"

#include <algorithm>

namespace arx::win32test
{

ScratchKey::ScratchKey()
{
    path = L"Software\\ArxConsoleTests\\" + std::to_wstring (::GetCurrentProcessId()) + L"-"
           + std::to_wstring (juce::Random::getSystemRandom().nextInt (1 << 30));
    ::RegCreateKeyExW (HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
}

ScratchKey::~ScratchKey()
{
    if (key != nullptr)
        ::RegCloseKey (key);
    ::RegDeleteTreeW (HKEY_CURRENT_USER, path.c_str());
    ::RegDeleteKeyW (HKEY_CURRENT_USER, path.c_str());
}

HKEY ScratchKey::duplicate() const
{
    HKEY copy = nullptr;
    ::RegOpenKeyExW (HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &copy);
    return copy;
}

void ScratchKey::set (const wchar_t* name, DWORD type, const void* data, DWORD bytes) const
{
    ::RegSetValueExW (key, name, 0, type, static_cast<const BYTE*> (data), bytes);
}

void ScratchKey::setText (const wchar_t* name, const std::wstring& text, bool withTerminator) const
{
    // RegSetValueExW counts a forgotten terminator in when one follows the data in memory: a
    // value stored without one must be followed by something else.
    const auto stored = withTerminator ? text : text + L'#';
    set (name, REG_SZ, stored.c_str(), DWORD ((text.size() + (withTerminator ? 1 : 0)) * sizeof (wchar_t)));
}

//==============================================================================
RegisteredInterface::RegisteredInterface (const GUID& interfaceClass, const std::function<void (HKEY)>& fillKey)
{
    // A setup class of the test's own, so that nothing else installed is touched.
    static const GUID setupClass = { 0x3c1f0a3e, 0x7d2b, 0x4b8e, { 0x9a, 0x51, 0x2e, 0x64, 0x0f, 0x1d, 0x88, 0x20 } };

    set = ::SetupDiCreateDeviceInfoList (&setupClass, nullptr);
    if (set == INVALID_HANDLE_VALUE)
    {
        fail ("SetupDiCreateDeviceInfoList");
        return;
    }
    device.cbSize = sizeof (device);
    if (! ::SetupDiCreateDeviceInfoW (set, L"ARXTEST", &setupClass, nullptr, nullptr, DICD_GENERATE_ID, &device))
    {
        fail ("SetupDiCreateDeviceInfo");
        return;
    }
    if (! ::SetupDiRegisterDeviceInfo (set, &device, 0, nullptr, nullptr, nullptr))
    {
        fail ("SetupDiRegisterDeviceInfo");
        return;
    }
    registered = true;

    SP_DEVICE_INTERFACE_DATA data {};
    data.cbSize = sizeof (data);
    if (! ::SetupDiCreateDeviceInterfaceW (set, &device, &interfaceClass, nullptr, 0, &data))
    {
        fail ("SetupDiCreateDeviceInterface");
        return;
    }
    const HKEY key = ::SetupDiCreateDeviceInterfaceRegKeyW (set, &data, 0, KEY_ALL_ACCESS, nullptr, nullptr);
    if (key == (HKEY) INVALID_HANDLE_VALUE || key == nullptr)
    {
        fail ("SetupDiCreateDeviceInterfaceRegKey");
        return;
    }
    fillKey (key);
    ::RegCloseKey (key);

    valid = markLinked (interfaceClass, data) || fail ("marking the interface enabled");
}

// What a driver does by enabling its interface: "Linked" in the "#\Control" key of the interface's
// key, which is named after the interface's path with '#' for '\', makes it count as present.
bool RegisteredInterface::markLinked (const GUID& interfaceClass, SP_DEVICE_INTERFACE_DATA& data)
{
    std::vector<uint64_t> storage (256);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*> (storage.data());
    detail->cbSize = sizeof (SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (! ::SetupDiGetDeviceInterfaceDetailW (set, &data, detail, DWORD (storage.size() * sizeof (uint64_t)), nullptr, nullptr))
        return false;
    std::wstring keyName = detail->DevicePath;
    std::replace (keyName.begin(), keyName.end(), L'\\', L'#');

    const HKEY classKey = ::SetupDiOpenClassRegKeyExW (&interfaceClass, KEY_ALL_ACCESS, DIOCR_INTERFACE, nullptr, nullptr);
    if (classKey == (HKEY) INVALID_HANDLE_VALUE || classKey == nullptr)
        return false;
    HKEY control = nullptr;
    const auto controlPath = keyName + L"\\#\\Control";
    bool marked = ::RegCreateKeyExW (classKey, controlPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &control, nullptr) == ERROR_SUCCESS;
    if (marked)
    {
        const DWORD linked = 1;
        marked = ::RegSetValueExW (control, L"Linked", 0, REG_DWORD, (const BYTE*) &linked, sizeof (linked)) == ERROR_SUCCESS;
        ::RegCloseKey (control);
    }
    ::RegCloseKey (classKey);
    return marked;
}

bool RegisteredInterface::fail (const juce::String& step)
{
    why = step + " failed: error " + juce::String ((int) ::GetLastError());
    return false;
}

RegisteredInterface::~RegisteredInterface()
{
    if (registered)
        ::SetupDiRemoveDevice (set, &device);
    if (set != INVALID_HANDLE_VALUE)
        ::SetupDiDestroyDeviceInfoList (set);
}

} // namespace arx::win32test
