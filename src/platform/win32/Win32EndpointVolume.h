#pragma once

// IAudioEndpointVolume of one endpoint, and the COM callback object that carries its change
// notifications to a seam callback.
//
// Threads: the volume's calls from any thread; Win32VolumeCallback's OnNotify on the audio
// service's threads, its references from any thread.

#include "platform/win32/Win32ComApartment.h"

#include <endpointvolume.h>

#include <atomic>
#include <vector>

namespace arx::platform::win32
{

// IAudioEndpointVolumeCallback: hands every OnNotify to the seam callback it was made for,
// holding a reference on it for as long as it lives itself. COM interfaces have no virtual
// destructor: Release deletes the object as what it is.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Win32VolumeCallback final : public IAudioEndpointVolumeCallback
{
public:
    // One reference, the caller's.
    explicit Win32VolumeCallback (AudioEndpointVolumeCallback& target);

    AudioEndpointVolumeCallback& target() const noexcept { return seamCallback; }

    // QueryInterface: IUnknown and IAudioEndpointVolumeCallback with an added reference;
    // E_NOINTERFACE and null for anything else.
    ::HRESULT STDMETHODCALLTYPE QueryInterface (REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    // Deletes the object at 0, which releases the seam callback.
    ULONG STDMETHODCALLTYPE Release() override;
    // OnNotify: AUDIO_VOLUME_NOTIFICATION_DATA in the seam's form.
    ::HRESULT STDMETHODCALLTYPE OnNotify (PAUDIO_VOLUME_NOTIFICATION_DATA data) override;

private:
    ~Win32VolumeCallback();

    std::atomic<ULONG> references { 1 };
    AudioEndpointVolumeCallback& seamCallback;
};
#pragma GCC diagnostic pop

class Win32EndpointVolume : public AudioEndpointVolume
{
public:
    Win32EndpointVolume (Win32ComApartment::Ptr apartment, ComPtr<IAudioEndpointVolume> volume);
    // Unregisters what is still registered: the registrations go with the object.
    ~Win32EndpointVolume() override;

    // RegisterControlChangeNotify with a callback object of our own for `callback`.
    HRESULT registerControlChangeNotify (AudioEndpointVolumeCallback* callback) override;
    // UnregisterControlChangeNotify of that object; our reference on it goes whatever the
    // endpoint answers (one that has gone may keep its own until it lets go).
    HRESULT unregisterControlChangeNotify (AudioEndpointVolumeCallback* callback) override;
    // GetChannelCount
    HRESULT getChannelCount (uint32_t& count) override;
    // GetVolumeRange
    HRESULT getVolumeRange (float& minDb, float& maxDb, float& incrementDb) override;
    // SetChannelVolumeLevel
    HRESULT setChannelVolumeLevel (uint32_t channel, float levelDb, const Guid* eventContext) override;
    // GetChannelVolumeLevel
    HRESULT getChannelVolumeLevel (uint32_t channel, float& levelDb) override;
    // SetMute
    HRESULT setMute (bool mute, const Guid* eventContext) override;
    // GetMute
    HRESULT getMute (bool& mute) override;

private:
    Win32VolumeCallback* takeRegistration (AudioEndpointVolumeCallback* callback);

    Win32ComApartment::Ptr apartment;
    ComPtr<IAudioEndpointVolume> volume;
    std::mutex lock;
    std::vector<Win32VolumeCallback*> registered; // one reference each

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32EndpointVolume)
};

} // namespace arx::platform::win32
