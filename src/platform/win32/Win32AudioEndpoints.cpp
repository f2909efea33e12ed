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
using Apartment = Win32ComApartment::Ptr;

// What every object here holds: its interface and, declared first so that it goes last, the
// apartment.
template <typename Interface>
struct Holds
{
    Holds (Apartment a, ComPtr<Interface> c) : apartment (std::move (a)), com (std::move (c)) {}

    Apartment apartment;
    ComPtr<Interface> com;
};

// A call that hands out text for the caller to free (GetId, GetDeviceIdConnectedTo).
template <typename Call>
HRESULT comText (Call&& call, juce::String& text)
{
    LPWSTR handedOut = nullptr;
    const HRESULT hr = call (&handedOut);
    text = takeComText (handedOut);
    return hr;
}

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
class Win32KsControl : public KsControl, private Holds<IKsControl>
{
public:
    using Holds::Holds;

    // KsProperty with the 24-byte KSPROPERTY.
    HRESULT ksProperty (const KsProperty& property, void* data, uint32_t dataSize, uint32_t& returned) override
    {
        KSPROPERTY request {};
        request.Set = toGuid (property.set);
        request.Id = property.id;
        request.Flags = property.flags;
        ULONG written = 0;
        const HRESULT hr = com->KsProperty (&request, sizeof (request), data, dataSize, &written);
        returned = SUCCEEDED (hr) ? (uint32_t) std::min<ULONG> (written, dataSize) : 0;
        return hr;
    }
};

// IConnector
class Win32Connector : public Connector, private Holds<IConnector>
{
public:
    using Holds::Holds;

    // GetDeviceIdConnectedTo
    HRESULT getDeviceIdConnectedTo (juce::String& deviceId) override
    {
        return comText ([this] (LPWSTR* text) { return com->GetDeviceIdConnectedTo (text); }, deviceId);
    }
};

// IDeviceTopology
class Win32DeviceTopology : public DeviceTopology, private Holds<IDeviceTopology>
{
public:
    using Holds::Holds;

    // GetConnector
    HRESULT getConnector (uint32_t index, std::unique_ptr<Connector>& connector) override
    {
        connector.reset();
        ComPtr<IConnector> made;
        return wrap<Win32Connector> (com->GetConnector (index, made.put()), apartment, made, connector);
    }
};

// IMMDevice
class Win32Device : public MMDevice, private Holds<IMMDevice>
{
public:
    using Holds::Holds;

    // GetId
    HRESULT getId (juce::String& id) override
    {
        return comText ([this] (LPWSTR* text) { return com->GetId (text); }, id);
    }

    // GetState
    HRESULT getState (uint32_t& state) override
    {
        DWORD s = 0;
        const HRESULT hr = com->GetState (&s);
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
        return wrap<Made> (com->Activate (__uuidof (Interface), CLSCTX_ALL, nullptr, made.putVoid()), apartment, made, out);
    }
};

// IMMDeviceCollection
class Win32DeviceCollection : public MMDeviceCollection, private Holds<IMMDeviceCollection>
{
public:
    using Holds::Holds;

    // GetCount
    HRESULT getCount (uint32_t& count) override
    {
        UINT n = 0;
        const HRESULT hr = com->GetCount (&n);
        count = SUCCEEDED (hr) ? n : 0;
        return hr;
    }

    // Item
    HRESULT item (uint32_t index, std::unique_ptr<MMDevice>& device) override
    {
        device.reset();
        ComPtr<IMMDevice> made;
        return wrap<Win32Device> (com->Item (index, made.put()), apartment, made, device);
    }
};

// IMMDeviceEnumerator
class Win32DeviceEnumerator : public MMDeviceEnumerator, private Holds<IMMDeviceEnumerator>
{
public:
    using Holds::Holds;

    // EnumAudioEndpoints
    HRESULT enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, std::unique_ptr<MMDeviceCollection>& devices) override
    {
        devices.reset();
        ComPtr<IMMDeviceCollection> made;
        return wrap<Win32DeviceCollection> (com->EnumAudioEndpoints ((::EDataFlow) flow, stateMask, made.put()),
                                            apartment, made, devices);
    }

    // GetDevice
    HRESULT getDevice (const juce::String& id, std::unique_ptr<MMDevice>& device) override
    {
        device.reset();
        ComPtr<IMMDevice> made;
        return wrap<Win32Device> (com->GetDevice (id.toWideCharPointer(), made.put()), apartment, made, device);
    }
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
