#include "platform/win32/Win32Platform.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32AudioEndpoints.h"
#include "platform/win32/Win32DeviceHandle.h"
#include "platform/win32/Win32DeviceInfoSet.h"
#include "platform/win32/Win32LegacyMixers.h"
#include "platform/win32/Win32MessageWindow.h"

namespace arx::platform::win32
{
namespace
{
// The lock is the mutex object itself: it exists while a process holds a handle to it.
class Win32NamedMutex : public NamedMutex
{
public:
    explicit Win32NamedMutex (HANDLE h) : handle (h) {}

private:
    UniqueHandle handle;
};
} // namespace

std::unique_ptr<DeviceInfoSet> Win32Platform::getClassDevs (const Guid& interfaceClass)
{
    return Win32DeviceInfoSet::open (interfaceClass);
}

std::unique_ptr<DeviceHandle> Win32Platform::createFile (const juce::String& devicePath)
{
    return Win32DeviceHandle::open (devicePath);
}

std::unique_ptr<MessageWindow> Win32Platform::createMessageWindow()
{
    return Win32MessageWindow::create();
}

NamedMutexResult Win32Platform::createNamedMutex (const juce::String& name)
{
    NamedMutexResult result;
    const HANDLE h = ::CreateMutexW (nullptr, FALSE, name.toWideCharPointer());
    if (h == nullptr)
    {
        result.failure = "CreateMutex \"" + name + "\" failed with error " + juce::String ((int) ::GetLastError());
        return result;
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS)
    {
        ::CloseHandle (h);
        result.heldElsewhere = true;
        return result;
    }
    result.mutex = std::make_unique<Win32NamedMutex> (h);
    return result;
}

HRESULT Win32Platform::createDeviceEnumerator (std::unique_ptr<MMDeviceEnumerator>& enumerator)
{
    return win32::createDeviceEnumerator (enumerator);
}

uint32_t Win32Platform::mixerGetNumDevs()
{
    return getMixerCount();
}

MMRESULT Win32Platform::mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps)
{
    return getMixerCaps (mixerId, caps);
}

MMRESULT Win32Platform::mixerOpen (uint32_t mixerId, MessageWindow& window, std::unique_ptr<MixerHandle>& handle)
{
    return openMixer (mixerId, window, handle);
}

} // namespace arx::platform::win32
