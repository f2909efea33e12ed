#pragma once

// The platform seam: each class stands for one Windows service that the console calls, with
// the same steps and result rules. Backends: the device bus (DeviceBusPlatform, the default on
// this system) and the in-process simulator (sim/InProcessPlatform) for unit tests. The audio
// endpoint objects and the legacy mixer handles that the calls below hand out are declared in
// AudioEndpoints.h and LegacyMixers.h.

#include "platform/AudioEndpoints.h"
#include "platform/LegacyMixers.h"
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

class AudioService;

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

    // The OS generation: true from Windows Vista on, where the endpoint volume interfaces
    // replace the legacy mixers. Windows: what JUCE reports; elsewhere the environment's
    // ARX_OS=vista.
    virtual bool isVistaOrLater() const;
    // The decision for one of JUCE's operating-system types: a Windows type from Vista on.
    static bool isVistaOrLaterType (int operatingSystemType) noexcept;

    // CoCreateInstance(CLSID_MMDeviceEnumerator, CLSCTX_INPROC_SERVER): S_OK with the
    // enumerator; a failure (REGDB_E_CLASSNOTREG where there is no audio service) leaves it null.
    virtual HRESULT createDeviceEnumerator (std::unique_ptr<MMDeviceEnumerator>& enumerator);

    // mixerGetNumDevs: 0 when there are none.
    virtual uint32_t mixerGetNumDevs();
    // mixerGetDevCapsA: MMSYSERR_NOERROR, or MMSYSERR_BADDEVICEID for an id past the last.
    virtual MMRESULT mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps);
    // mixerOpen(id, window, CALLBACK_WINDOW): MMSYSERR_NOERROR with the handle, or an error
    // (MMSYSERR_BADDEVICEID, MMSYSERR_NODRIVER) with none.
    virtual MMRESULT mixerOpen (uint32_t mixerId, MessageWindow& window, std::unique_ptr<MixerHandle>& handle);

    // Backends that serve the audio side from one AudioService (the device bus, the in-process
    // lab) hand it out here, and the four calls above use it; null: no audio service. The
    // Windows backend overrides the calls instead.
    virtual std::shared_ptr<AudioService> audioService();

    // The platform the program runs on: the device bus on this system.
    static Platform& getDefault();
};

} // namespace arx::platform
