#pragma once

// The audio endpoint interfaces of the platform seam (MMDevice API, device topology, kernel
// streaming property and endpoint volume). Each class stands for the COM interface of the same
// name without its "I"; each method for the COM method it is named after, with the same
// HRESULT rules. Destroying an object is Release; an object stays usable when the one it came
// from is released first, as with COM.
//
// Threads: every method may be called from any thread, and an object may be released on another
// thread than the one that made it (the Windows backend keeps the process in the multithreaded
// apartment for that). Change callbacks run on a thread of the system's own; a callback must not
// call back into these interfaces.

#include "platform/Win32Defs.h"

#include <memory>
#include <vector>

namespace arx::platform
{

using HRESULT = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOTIMPL = (HRESULT) 0x80004001;
constexpr HRESULT E_NOINTERFACE = (HRESULT) 0x80004002;
constexpr HRESULT E_POINTER = (HRESULT) 0x80004003;
constexpr HRESULT E_FAIL = (HRESULT) 0x80004005;
constexpr HRESULT E_INVALIDARG = (HRESULT) 0x80070057;
constexpr HRESULT E_NOTFOUND = (HRESULT) 0x80070490;                // HRESULT_FROM_WIN32(ERROR_NOT_FOUND)
constexpr HRESULT HRESULT_SET_NOT_FOUND = (HRESULT) 0x80070492;     // HRESULT_FROM_WIN32(ERROR_SET_NOT_FOUND)
constexpr HRESULT HRESULT_TIMEOUT = (HRESULT) 0x800705B4;           // HRESULT_FROM_WIN32(ERROR_TIMEOUT)
constexpr HRESULT REGDB_E_CLASSNOTREG = (HRESULT) 0x80040154;
constexpr HRESULT AUDCLNT_E_DEVICE_INVALIDATED = (HRESULT) 0x88890004;
constexpr HRESULT AUDCLNT_E_SERVICE_NOT_RUNNING = (HRESULT) 0x88890010;

constexpr bool SUCCEEDED (HRESULT hr) noexcept { return hr >= 0; }
constexpr bool FAILED (HRESULT hr) noexcept { return hr < 0; }

// EDataFlow
enum EDataFlow : uint32_t
{
    eRender = 0,
    eCapture = 1,
    eAll = 2
};

// Endpoint states (DEVICE_STATE_*)
constexpr uint32_t DEVICE_STATE_ACTIVE = 0x1;
constexpr uint32_t DEVICE_STATE_DISABLED = 0x2;
constexpr uint32_t DEVICE_STATE_NOTPRESENT = 0x4;
constexpr uint32_t DEVICE_STATE_UNPLUGGED = 0x8;
constexpr uint32_t DEVICE_STATEMASK_ALL = 0xF;

constexpr Guid GUID_NULL = { 0, 0, 0, { 0, 0, 0, 0, 0, 0, 0, 0 } };
constexpr Guid IID_IUnknown = { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
constexpr Guid IID_IAudioEndpointVolumeCallback = { 0x657804FA, 0xD6AD, 0x4496,
                                                    { 0x8A, 0x60, 0x35, 0x27, 0x52, 0xAF, 0x4F, 0x89 } };

// KSPROPERTY: the 24-byte request of IKsControl::KsProperty.
struct KsProperty
{
    Guid set;
    uint32_t id = 0;
    uint32_t flags = 0;
};

constexpr uint32_t KSPROPERTY_TYPE_GET = 0x1;

// The ARX driver's property that ties an endpoint to its device: set
// {B06EF68F-A505-4B0C-B293-39AF7565A188}, id 0, get. The reply is ArxEndpointProperty.
constexpr Guid KSPROPSETID_ArxDevice = { 0xB06EF68F, 0xA505, 0x4B0C, { 0xB2, 0x93, 0x39, 0xAF, 0x75, 0x65, 0xA1, 0x88 } };
constexpr uint32_t KSPROPERTY_ARX_ENDPOINT = 0;

struct ArxEndpointProperty
{
    uint32_t guidLow;      // low 32 bits of the device's identifier
    uint32_t guidHigh;     // high 32 bits
    uint32_t firstChannel; // first playback channel the endpoint carries
    uint32_t channelCount; // number of playback channels it carries
};
static_assert (sizeof (ArxEndpointProperty) == 16);

// AUDIO_VOLUME_NOTIFICATION_DATA: what a change callback is told.
struct AudioVolumeNotificationData
{
    Guid guidEventContext = GUID_NULL; // the context the changing client passed (GUID_NULL: none)
    bool muted = false;
    float masterVolume = 0.0f;          // scalar 0..1
    std::vector<float> channelVolumes;  // scalar 0..1, one per channel of the endpoint
};

// IAudioEndpointVolumeCallback: implemented by the program. The system holds a reference
// (addRef) while the callback is registered and during each call.
class AudioEndpointVolumeCallback
{
public:
    // IUnknown::QueryInterface: S_OK with an added reference for IID_IUnknown and
    // IID_IAudioEndpointVolumeCallback; otherwise E_NOINTERFACE with *object null.
    virtual HRESULT queryInterface (const Guid& iid, void** object) = 0;
    virtual uint32_t addRef() = 0;  // AddRef: the new count
    virtual uint32_t release() = 0; // Release: the new count; the object deletes itself at 0

    // OnNotify: after every change of the endpoint's volume or mute, by any client, on a
    // system thread.
    virtual HRESULT onNotify (const AudioVolumeNotificationData& data) = 0;

protected:
    virtual ~AudioEndpointVolumeCallback() = default;
};

// IAudioEndpointVolume of one endpoint. On an endpoint that has gone (device removed) every
// method fails with AUDCLNT_E_DEVICE_INVALIDATED.
class AudioEndpointVolume
{
public:
    virtual ~AudioEndpointVolume() = default;

    // RegisterControlChangeNotify: E_POINTER for null; takes a reference on the callback.
    virtual HRESULT registerControlChangeNotify (AudioEndpointVolumeCallback* callback) = 0;
    // UnregisterControlChangeNotify: drops the reference; E_INVALIDARG when not registered.
    // Windows does not promise that a call under way has ended when this returns.
    virtual HRESULT unregisterControlChangeNotify (AudioEndpointVolumeCallback* callback) = 0;

    // GetChannelCount
    virtual HRESULT getChannelCount (uint32_t& count) = 0;
    // GetVolumeRange: levels in dB; SetChannelVolumeLevel refuses levels outside it.
    virtual HRESULT getVolumeRange (float& minDb, float& maxDb, float& incrementDb) = 0;
    // SetChannelVolumeLevel: E_INVALIDARG for a channel past the count or a level outside the
    // range. `eventContext` (null: GUID_NULL) reaches every callback of the change.
    virtual HRESULT setChannelVolumeLevel (uint32_t channel, float levelDb, const Guid* eventContext) = 0;
    // GetChannelVolumeLevel
    virtual HRESULT getChannelVolumeLevel (uint32_t channel, float& levelDb) = 0;
    // SetMute: the whole endpoint.
    virtual HRESULT setMute (bool mute, const Guid* eventContext) = 0;
    // GetMute
    virtual HRESULT getMute (bool& mute) = 0;
};

// IKsControl of a kernel-streaming device (the driver behind an endpoint).
class KsControl
{
public:
    virtual ~KsControl() = default;

    // KsProperty: `returned` = bytes written to `data`. HRESULT_SET_NOT_FOUND for a property set
    // the driver does not know; a buffer too small for the reply fails.
    virtual HRESULT ksProperty (const KsProperty& property, void* data, uint32_t dataSize, uint32_t& returned) = 0;
};

// IConnector of a device topology.
class Connector
{
public:
    virtual ~Connector() = default;

    // GetDeviceIdConnectedTo: the id of the device (the driver's filter) on the other side.
    virtual HRESULT getDeviceIdConnectedTo (juce::String& deviceId) = 0;
};

// IDeviceTopology of an endpoint.
class DeviceTopology
{
public:
    virtual ~DeviceTopology() = default;

    // GetConnector: E_INVALIDARG past the last connector (an endpoint has one).
    virtual HRESULT getConnector (uint32_t index, std::unique_ptr<Connector>& connector) = 0;
};

// IMMDevice: an endpoint or a driver's filter device.
class MMDevice
{
public:
    virtual ~MMDevice() = default;

    // GetId
    virtual HRESULT getId (juce::String& id) = 0;
    // GetState: a DEVICE_STATE_* value.
    virtual HRESULT getState (uint32_t& state) = 0;
    // Activate(IID_IAudioEndpointVolume): endpoints only (E_NOINTERFACE otherwise).
    virtual HRESULT activateEndpointVolume (std::unique_ptr<AudioEndpointVolume>& volume) = 0;
    // Activate(IID_IDeviceTopology): endpoints only.
    virtual HRESULT activateDeviceTopology (std::unique_ptr<DeviceTopology>& topology) = 0;
    // Activate(IID_IKsControl): driver filter devices only.
    virtual HRESULT activateKsControl (std::unique_ptr<KsControl>& control) = 0;
};

// IMMDeviceCollection
class MMDeviceCollection
{
public:
    virtual ~MMDeviceCollection() = default;

    // GetCount
    virtual HRESULT getCount (uint32_t& count) = 0;
    // Item: E_INVALIDARG past the end.
    virtual HRESULT item (uint32_t index, std::unique_ptr<MMDevice>& device) = 0;
};

// IMMDeviceEnumerator
class MMDeviceEnumerator
{
public:
    virtual ~MMDeviceEnumerator() = default;

    // EnumAudioEndpoints: the endpoints of the flow whose state is in `stateMask`, as a snapshot.
    virtual HRESULT enumAudioEndpoints (EDataFlow flow, uint32_t stateMask,
                                        std::unique_ptr<MMDeviceCollection>& devices) = 0;
    // GetDevice: any device by id (endpoint or driver filter); E_NOTFOUND when there is none.
    virtual HRESULT getDevice (const juce::String& id, std::unique_ptr<MMDevice>& device) = 0;
};

} // namespace arx::platform
