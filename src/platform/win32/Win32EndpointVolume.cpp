#include "platform/win32/Win32EndpointVolume.h"

#include <algorithm>

namespace arx::platform::win32
{
namespace
{
Guid fromGuid (const GUID& g) noexcept
{
    Guid result { (uint32_t) g.Data1, g.Data2, g.Data3, {} };
    std::copy (std::begin (g.Data4), std::end (g.Data4), result.data4);
    return result;
}

// Null stands for GUID_NULL, as the calls take it.
const GUID* contextOf (const Guid* context, GUID& storage) noexcept
{
    if (context == nullptr)
        return nullptr;
    storage = toGuid (*context);
    return &storage;
}
} // namespace

//==============================================================================
Win32VolumeCallback::Win32VolumeCallback (AudioEndpointVolumeCallback& target) : seamCallback (target)
{
    seamCallback.addRef();
}

Win32VolumeCallback::~Win32VolumeCallback()
{
    seamCallback.release();
}

::HRESULT STDMETHODCALLTYPE Win32VolumeCallback::QueryInterface (REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (iid == __uuidof (IUnknown) || iid == __uuidof (IAudioEndpointVolumeCallback))
    {
        AddRef();
        *object = static_cast<IAudioEndpointVolumeCallback*> (this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE Win32VolumeCallback::AddRef()
{
    return ++references;
}

ULONG STDMETHODCALLTYPE Win32VolumeCallback::Release()
{
    const auto left = --references;
    if (left == 0)
        delete this;
    return left;
}

::HRESULT STDMETHODCALLTYPE Win32VolumeCallback::OnNotify (PAUDIO_VOLUME_NOTIFICATION_DATA data)
{
    if (data == nullptr)
        return E_POINTER;

    AudioVolumeNotificationData seam;
    seam.guidEventContext = fromGuid (data->guidEventContext);
    seam.muted = data->bMuted != FALSE;
    seam.masterVolume = data->fMasterVolume;
    // The channel volumes run on past the structure's declared one-element array.
    seam.channelVolumes.assign (data->afChannelVolumes, data->afChannelVolumes + data->nChannels);
    return seamCallback.onNotify (seam);
}

//==============================================================================
Win32EndpointVolume::Win32EndpointVolume (Win32ComApartment::Ptr a, ComPtr<IAudioEndpointVolume> v)
    : apartment (std::move (a)), volume (std::move (v))
{
}

Win32EndpointVolume::~Win32EndpointVolume()
{
    for (auto* callback : registered)
    {
        volume->UnregisterControlChangeNotify (callback);
        callback->Release();
    }
}

HRESULT Win32EndpointVolume::registerControlChangeNotify (AudioEndpointVolumeCallback* callback)
{
    if (callback == nullptr)
        return E_POINTER;

    auto* made = new Win32VolumeCallback (*callback);
    const HRESULT hr = volume->RegisterControlChangeNotify (made);
    if (FAILED (hr))
    {
        made->Release();
        return hr;
    }
    const std::lock_guard<std::mutex> guard (lock);
    registered.push_back (made);
    return S_OK;
}

HRESULT Win32EndpointVolume::unregisterControlChangeNotify (AudioEndpointVolumeCallback* callback)
{
    auto* made = takeRegistration (callback);
    if (made == nullptr)
        return E_INVALIDARG;
    const HRESULT hr = volume->UnregisterControlChangeNotify (made);
    made->Release();
    return hr;
}

Win32VolumeCallback* Win32EndpointVolume::takeRegistration (AudioEndpointVolumeCallback* callback)
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto it = std::find_if (registered.begin(), registered.end(),
                                  [callback] (Win32VolumeCallback* r) { return &r->target() == callback; });
    if (callback == nullptr || it == registered.end())
        return nullptr;
    auto* made = *it;
    registered.erase (it);
    return made;
}

HRESULT Win32EndpointVolume::getChannelCount (uint32_t& count)
{
    UINT n = 0;
    const HRESULT hr = volume->GetChannelCount (&n);
    count = SUCCEEDED (hr) ? n : 0;
    return hr;
}

HRESULT Win32EndpointVolume::getVolumeRange (float& minDb, float& maxDb, float& incrementDb)
{
    return volume->GetVolumeRange (&minDb, &maxDb, &incrementDb);
}

HRESULT Win32EndpointVolume::setChannelVolumeLevel (uint32_t channel, float levelDb, const Guid* eventContext)
{
    GUID context;
    return volume->SetChannelVolumeLevel (channel, levelDb, contextOf (eventContext, context));
}

HRESULT Win32EndpointVolume::getChannelVolumeLevel (uint32_t channel, float& levelDb)
{
    return volume->GetChannelVolumeLevel (channel, &levelDb);
}

HRESULT Win32EndpointVolume::setMute (bool mute, const Guid* eventContext)
{
    GUID context;
    return volume->SetMute (mute ? TRUE : FALSE, contextOf (eventContext, context));
}

HRESULT Win32EndpointVolume::getMute (bool& mute)
{
    BOOL on = FALSE;
    const HRESULT hr = volume->GetMute (&on);
    mute = SUCCEEDED (hr) && on != FALSE;
    return hr;
}

} // namespace arx::platform::win32
