#pragma once

// The driver's device file (CreateFileW for reading and writing, shared) and its I/O control
// requests. When the device goes away, the failing request closes the handle at once, so that
// the driver can let the device go; every later request fails.
//
// Threads: any; requests on one handle follow one another (Device serialises them anyway, except
// for the driver's rate requests).

#include "platform/win32/Win32Api.h"

#include <mutex>

namespace arx::platform::win32
{

class Win32DeviceHandle : public DeviceHandle
{
public:
    // Null when the file cannot be opened.
    static std::unique_ptr<Win32DeviceHandle> open (const juce::String& devicePath);

    // Takes ownership of an open handle.
    explicit Win32DeviceHandle (HANDLE file);

    bool deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                          uint32_t outSize, uint32_t& returned) override;

    // Whether the handle is still open (false once its device has gone).
    bool isOpen() const;

    // The errors that mean the device is no longer there.
    static bool meansDeviceGone (DWORD error) noexcept;

private:
    mutable std::mutex lock;
    UniqueHandle file;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32DeviceHandle)
};

} // namespace arx::platform::win32
