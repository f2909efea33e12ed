#pragma once

// The platform seam: each class stands for one Windows service that the console calls, with
// the same steps and result rules. Backends: the device bus (DeviceBusPlatform, the default on
// this system) and the in-process simulator (sim/InProcessPlatform) for unit tests.

#include "platform/Win32Defs.h"

#include <memory>

namespace arx::platform
{

// SP_DEVICE_INTERFACE_DATA together with its detail: the interface path.
struct DeviceInterfaceData
{
    juce::String devicePath;
};

// An open registry key of a device interface (SetupDiOpenDeviceInterfaceRegKey).
class RegistryKey
{
public:
    virtual ~RegistryKey() = default;

    // RegQueryValueExA: on entry `size` is the buffer's capacity, on success the number of
    // bytes stored. Fails (false) when the value is missing, unreadable or larger than the
    // buffer; the buffer may then hold anything.
    virtual bool queryValue (const char* name, void* buffer, uint32_t& size) = 0;
};

// A device information set (SetupDiGetClassDevsA with DIGCF_PRESENT | DIGCF_DEVICEINTERFACE).
// It is a snapshot: interfaces that arrive later are not in it.
class DeviceInfoSet
{
public:
    virtual ~DeviceInfoSet() = default;

    // SetupDiEnumDeviceInterfaces + SetupDiGetDeviceInterfaceDetailA: false past the end.
    virtual bool enumDeviceInterface (int index, DeviceInterfaceData& data) = 0;

    // SetupDiOpenDeviceInterfaceRegKey(KEY_READ): null when the key cannot be opened.
    virtual std::unique_ptr<RegistryKey> openInterfaceRegKey (const DeviceInterfaceData& data) = 0;
};

// An open device file (CreateFileA); destroying it is CloseHandle.
class DeviceHandle
{
public:
    virtual ~DeviceHandle() = default;

    // DeviceIoControl: false when the request failed; `returned` is the count of output bytes.
    // Safe to call from several threads, but callers serialise through the device mutex.
    virtual bool deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                                  uint32_t outSize, uint32_t& returned) = 0;
};

// An unnamed Win32 mutex (CreateMutexA): recursive for the owning thread, as on Windows.
class Mutex
{
public:
    Mutex() = default;
    void wait() noexcept { lock.enter(); } // WaitForSingleObject(INFINITE)
    void release() noexcept { lock.exit(); } // ReleaseMutex

private:
    juce::CriticalSection lock;
    JUCE_DECLARE_NON_COPYABLE (Mutex)
};

// Holds a Mutex for a scope.
class MutexHolder
{
public:
    explicit MutexHolder (Mutex& m) noexcept : mutex (m) { mutex.wait(); }
    ~MutexHolder() { mutex.release(); }

private:
    Mutex& mutex;
    JUCE_DECLARE_NON_COPYABLE (MutexHolder)
};

// A named, process-wide lock (CreateMutexA with a name): the single-instance rule.
class NamedMutex
{
public:
    virtual ~NamedMutex() = default;
};

// What CreateMutexA with a name gave: the mutex, or none because another process holds it
// (GetLastError() == ERROR_ALREADY_EXISTS), or none because it could not be made at all.
struct NamedMutexResult
{
    std::unique_ptr<NamedMutex> mutex;
    bool heldElsewhere = false;
    juce::String failure; // where and why it could not be made; empty otherwise
};

// A hidden message-only window with its own queue (CreateWindowExA(HWND_MESSAGE)), registered
// for device-change broadcasts of one interface class (RegisterDeviceNotificationA).
class MessageWindow
{
public:
    virtual ~MessageWindow() = default;

    // GetMessageA: blocks until a message arrives; false once the window has been closed
    // (a posted WM_CLOSE destroys it).
    virtual bool getMessage (Win32Message& message) = 0;

    // PostMessageA to this window; callable from any thread.
    virtual void postMessage (uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

    // RegisterDeviceNotificationA / UnregisterDeviceNotification for the interface class.
    virtual bool registerDeviceNotification (const Guid& interfaceClass) = 0;
    virtual void unregisterDeviceNotification() = 0;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // SetupDiGetClassDevsA(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE): null when it fails.
    virtual std::unique_ptr<DeviceInfoSet> getClassDevs (const Guid& interfaceClass) = 0;

    // CreateFileA(path, read|write, shared, OPEN_EXISTING): null when the file cannot be opened.
    virtual std::unique_ptr<DeviceHandle> createFile (const juce::String& devicePath) = 0;

    // CreateWindowExA(HWND_MESSAGE): null when the window cannot be made.
    virtual std::unique_ptr<MessageWindow> createMessageWindow() = 0;

    // CreateMutexA with a name.
    virtual NamedMutexResult createNamedMutex (const juce::String& name) = 0;

    // The platform the program runs on: the device bus on this system.
    static Platform& getDefault();
};

} // namespace arx::platform
