#include "platform/win32/Win32DeviceHandle.h"

namespace arx::platform::win32
{
namespace
{
constexpr DWORD errorNoSuchDevice = 433; // ERROR_NO_SUCH_DEVICE, which mingw's headers lack
} // namespace

std::unique_ptr<Win32DeviceHandle> Win32DeviceHandle::open (const juce::String& devicePath)
{
    if (devicePath.isEmpty())
        return nullptr;
    const HANDLE file = validOrNull (::CreateFileW (devicePath.toWideCharPointer(), GENERIC_READ | GENERIC_WRITE,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file == nullptr)
        return nullptr;
    return std::make_unique<Win32DeviceHandle> (file);
}

Win32DeviceHandle::Win32DeviceHandle (HANDLE f) : file (validOrNull (f)) {}

bool Win32DeviceHandle::meansDeviceGone (DWORD error) noexcept
{
    switch (error)
    {
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case errorNoSuchDevice:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_INVALID_HANDLE:
            return true;
        default:
            return false;
    }
}

bool Win32DeviceHandle::deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                                         uint32_t outSize, uint32_t& returned)
{
    returned = 0;
    if (in == nullptr)
        inSize = 0;
    if (out == nullptr)
        outSize = 0;

    const std::lock_guard<std::mutex> guard (lock);
    if (file == nullptr)
        return false;

    DWORD got = 0;
    if (! ::DeviceIoControl (file.get(), code, const_cast<void*> (in), inSize, out, outSize, &got, nullptr))
    {
        if (meansDeviceGone (::GetLastError()))
            file.reset();
        return false;
    }
    returned = std::min<uint32_t> (got, outSize);
    return true;
}

bool Win32DeviceHandle::isOpen() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return file != nullptr;
}

} // namespace arx::platform::win32
