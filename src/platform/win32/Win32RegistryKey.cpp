#include "platform/win32/Win32RegistryKey.h"

#include "platform/win32/Win32Text.h"

#include <cstring>

namespace arx::platform::win32
{

Win32RegistryKey::Win32RegistryKey (HKEY k) : key (k) {}

bool Win32RegistryKey::readRaw (const juce::String& name, DWORD& type, std::vector<uint8_t>& data) const
{
    // The value may change between asking for its size and reading it: ask again a few times.
    for (int attempt = 0; attempt < 4; ++attempt)
    {
        DWORD bytes = 0;
        if (::RegQueryValueExW (key.get(), name.toWideCharPointer(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS
            || bytes > maxValueBytes)
            return false;

        data.assign (bytes, 0);
        const auto result = ::RegQueryValueExW (key.get(), name.toWideCharPointer(), nullptr, &type,
                                                data.data(), &bytes);
        if (result == ERROR_SUCCESS)
        {
            data.resize (std::min<size_t> (bytes, data.size()));
            return true;
        }
        if (result != ERROR_MORE_DATA)
            return false;
    }
    return false;
}

bool Win32RegistryKey::queryValue (const char* valueName, void* buffer, uint32_t& size)
{
    if (key == nullptr || valueName == nullptr || buffer == nullptr)
        return false;

    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    if (! readRaw (juce::String::fromUTF8 (valueName), type, data))
        return false;

    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
    {
        std::vector<wchar_t> units (data.size() / sizeof (wchar_t)); // an odd last byte is no character
        std::memcpy (units.data(), data.data(), units.size() * sizeof (wchar_t));
        data = narrowRegistryText (units.data(), units.size());
    }

    if (data.size() > size)
        return false;
    if (! data.empty())
        std::memcpy (buffer, data.data(), data.size());
    size = (uint32_t) data.size();
    return true;
}

} // namespace arx::platform::win32
