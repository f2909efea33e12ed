#pragma once

// An open registry key (HKEY), read as RegQueryValueExA would: string values (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) come out narrow, in UTF-8, with exactly the terminators they were
// stored with; every other type as stored. The key is closed when the object goes.

#include "platform/win32/Win32Api.h"

namespace arx::platform::win32
{

class Win32RegistryKey : public RegistryKey
{
public:
    // Takes ownership of the key.
    explicit Win32RegistryKey (HKEY key);

    bool queryValue (const char* name, void* buffer, uint32_t& size) override;

    // No value the driver writes comes near this; a larger one is refused unread.
    static constexpr DWORD maxValueBytes = 64 * 1024;

private:
    bool readRaw (const juce::String& name, DWORD& type, std::vector<uint8_t>& data) const;

    UniqueKey key;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32RegistryKey)
};

} // namespace arx::platform::win32
