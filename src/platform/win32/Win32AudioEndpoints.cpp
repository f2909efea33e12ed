#include "platform/win32/Win32AudioEndpoints.h"

#include "platform/win32/Win32EndpointVolume.h"
#include "platform/win32/Win32Text.h"

#include <devicetopology.h>
#include <mmdeviceapi.h>

#include <cwchar>

namespace arx::platform::win32
{
namespace
{
// Declared before the interface it holds, an object's apartment outlives the interface.
using Apartment = Win32ComApartment::Ptr;

// The seam object for what a call handed out; a success that handed out nothing fails.
template <typename Made, typename Seam, typename Interface>
HRESULT wrap (HRESULT hr, const Apartment& apartment, ComPtr<Interface>& made, std::unique_ptr<Seam>& out)
{
    if (FAILED (hr))
        return hr;
    if (! made)
        return E_POINTER;
    out = std::make_unique<Made> (apartment, std::move (made));
    return hr;
}

// IKsControl of a driver's filter device.
class Win32KsControl : public KsControl
{
public:
    Win32KsControl (Apartment a, ComPtr<IKsControl> c) : apartment (std::move (a)), control (std::move (c)) {}

    // KsProperty with the 24-byte KSPROPERTY.
    HRESULT ksProperty (const KsProperty& property, void* data, uint32_t dataSize, uint32_t& returned) override
    {
        KSPROPERTY request {};
        request.Set = toGuid (property.set);
        request.Id = property.id;
        request.Flags = property.flags;
        ULONG written = 0;
        const HRESULT hr = control->KsProperty (&request, sizeof (request), data, dataSize, &written);
        returned = SUCCEEDED (hr) ? (uint32_t) std::min<ULONG> (written, dataSize) : 0;
        return hr;
    }

private:
    Apartment apartment;
    ComPtr<IKsControl> control;
};

// IConnector
class Win32Connector : public Connector
{
public:
    Win32Connector (Apartment a, ComPtr<IConnector> c) : apartment (std::move (a)), connector (std::move (c)) {}

    // GetDeviceIdConnectedTo
    HRESULT getDeviceIdConnectedTo (juce::String& deviceId) override
    {
        LPWSTR id = nullptr;
        const HRESULT hr = connector->GetDeviceIdConnectedTo (&id);
        deviceId = takeComText (id);
        return hr;
    }

private:
    Apartment apartment;
    ComPtr<IConnector> connector;
};

// IDeviceTopology
class Win32DeviceTopology : public DeviceTopology
{
public:
    Win32DeviceTopology (Apartment a, ComPtr<IDeviceTopology> t) : apartment (std::move (a)), topology (std::move (t)) {}

    // GetConnector
    HRESULT getConnector (uint32_t index, std::unique_ptr<Connector>& connector) override
    {
        connector.reset();
        ComPtr<IConnector> made;
        return wrap<Win32Connector> (topology->GetConnector (index, made.put()), apartment, made, connector);
    }

private:
    Apartment apartment;
    ComPtr<IDeviceTopology> topology;
};

// IMMDevice
class Win32Device : public MMDevice
{
public:
    Win32Device (Apartment a, ComPtr<IMMDevice> d) : apartment (std::move (a)), device (std::move (d)) {}

    // GetId
    HRESULT getId (juce::String& id) override
    {
        LPWSTR text = nullptr;
        const HRESULT hr = device->GetId (&text);
        id = takeComText (text);
        return hr;
    }

    // GetState
    HRESULT getState (uint32_t& state) override
    {
        DWORD s = 0;
        const HRESULT hr = device->GetState (&s);
        state = SUCCEEDED (hr) ? (uint32_t) s : 0;
        return hr;
    }

    // Activate(IID_IAudioEndpointVolume)
    HRESULT activateEndpointVolume (std::unique_ptr<AudioEndpointVolume>& volume) override
    {
        return activate<IAudioEndpointVolume, Win32EndpointVolume> (volume);
    }

    // Activate(IID_IDeviceTopology)
    HRESULT activateDeviceTopology (std::unique_ptr<DeviceTopology>& topology) override
    {
        return activate<IDeviceTopology, Win32DeviceTopology> (topology);
    }

    // Activate(IID_IKsControl)
    HRESULT activateKsControl (std::unique_ptr<KsControl>& control) override
    {
        return activate<IKsControl, Win32KsControl> (control);
    }

private:
    template <typename Interface, typename Made, typename Seam>
    HRESULT activate (std::unique_ptr<Seam>& out)
    {
        out.reset();
        ComPtr<Interface> made;
        return wrap<Made> (device->Activate (__uuidof (Interface), CLSCTX_ALL, nullptr, made.putVoid()), apartment, made, out);
    }

    Apartment apartment;
    ComPtr<IMMDevice> device;
};

// IMMDeviceCollection
class Win32DeviceCollection : public MMDeviceCollection
{
public:
    Win32DeviceCollection (Apartment a, ComPtr<IMMDeviceCollection> c) : apartment (std::move (a)), collection (std::move (c)) {}

    // GetCount
    HRESULT getCount (uint32_t& count) override
    {
        UINT n = 0;
        const HRESULT hr = collection->GetCount (&n);
        count = SUCCEEDED (hr) ? n : 0;
        return hr;
    }

    // Item
    HRESULT item (uint32_t index, std::unique_ptr<MMDevice>& device) override
    {
        device.reset();
        ComPtr<IMMDevice> made;
        return wrap<Win32Device> (collection->Item (index, made.put()), apartment, made, device);
    }

private:
    Apartment apartment;
    ComPtr<IMMDeviceCollection> collection;
};

// IMMDeviceEnumerator
class Win32DeviceEnumerator : public MMDeviceEnumerator
{
public:
    Win32DeviceEnumerator (Apartment a, ComPtr<IMMDeviceEnumerator> e) : apartment (std::move (a)), enumerator (std::move (e)) {}

    // EnumAudioEndpoints
    HRESULT enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, std::unique_ptr<MMDeviceCollection>& devices) override
    {
        devices.reset();
        ComPtr<IMMDeviceCollection> made;
        return wrap<Win32DeviceCollection> (enumerator->EnumAudioEndpoints ((::EDataFlow) flow, stateMask, made.put()),
                                            apartment, made, devices);
    }

    // GetDevice
    HRESULT getDevice (const juce::String& id, std::unique_ptr<MMDevice>& device) override
    {
        device.reset();
        ComPtr<IMMDevice> made;
        return wrap<Win32Device> (enumerator->GetDevice (id.toWideCharPointer(), made.put()), apartment, made, device);
    }

private:
    Apartment apartment;
    ComPtr<IMMDeviceEnumerator> enumerator;
};
} // namespace

juce::String takeComText (LPWSTR text)
{
    if (text == nullptr)
        return {};
    auto result = fromWide (text, std::wcslen (text));
    ::CoTaskMemFree (text);
    return result;
}

HRESULT createDeviceEnumerator (std::unique_ptr<MMDeviceEnumerator>& enumerator)
{
    enumerator.reset();
    auto apartment = Win32ComApartment::acquire();
    if (apartment == nullptr)
        return CO_E_NOTINITIALIZED;

    ComPtr<IMMDeviceEnumerator> made;
    const HRESULT hr = apartment->run ([&made] {
        return (HRESULT) ::CoCreateInstance (__uuidof (::MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                             __uuidof (IMMDeviceEnumerator), made.putVoid());
    });
    return wrap<Win32DeviceEnumerator> (hr, apartment, made, enumerator);
}

} // namespace arx::platform::win32
