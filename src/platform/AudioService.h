#pragma once

// The operating system's audio side as one flat service keyed by device id: what the device
// lab serves, in process (sim/SimEndpoints) and over its audio socket (AudioBusClient). The
// seam's COM-shaped objects are built over it once (AudioServiceObjects.cpp), so both
// backends share one set of object rules. The Windows backend does not use this.
//
// Threads: any thread may call; callbacks run on the service's own thread, never while a
// caller waits inside the service, and no callback of a registration runs or starts once its
// cancellation has returned (unless cancelled from inside that callback).

#include "platform/AudioEndpoints.h"
#include "platform/LegacyMixers.h"

#include <functional>
#include <mutex>

namespace arx::platform
{

// What a registration calls, and the rule that no call survives its cancellation: `call` and
// `cancel` take one recursive lock, so a cancel waits for a call under way on another thread
// and a call may cancel its own registration.
template <typename... Args>
class Subscription
{
public:
    using Function = std::function<void (Args...)>;

    explicit Subscription (Function f) : function (std::move (f)) {}

    void call (Args... args)
    {
        const std::lock_guard<std::recursive_mutex> guard (lock);
        if (function)
            function (args...);
    }

    void cancel()
    {
        const std::lock_guard<std::recursive_mutex> guard (lock);
        function = nullptr;
    }

private:
    std::recursive_mutex lock;
    Function function;
};

class MessageWindow;

using VolumeNotify = std::function<void (const AudioVolumeNotificationData&)>;
using MixerPost = std::function<void (uint32_t message, uintptr_t wParam, intptr_t lParam)>;

class AudioService
{
public:
    // What an id offers to IMMDevice::Activate.
    enum class Interface { endpointVolume, deviceTopology, ksControl };

    virtual ~AudioService() = default;

    virtual HRESULT enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, juce::StringArray& ids) = 0;
    virtual HRESULT getState (const juce::String& id, uint32_t& state) = 0; // E_NOTFOUND: no such device
    virtual HRESULT activate (const juce::String& id, Interface what) = 0;
    virtual HRESULT getDeviceIdConnectedTo (const juce::String& endpointId, uint32_t connector,
                                            juce::String& deviceId) = 0;
    virtual HRESULT ksProperty (const juce::String& id, const KsProperty& property, void* data,
                                uint32_t dataSize, uint32_t& returned) = 0;

    virtual HRESULT getChannelCount (const juce::String& endpointId, uint32_t& count) = 0;
    virtual HRESULT getVolumeRange (const juce::String& endpointId, float& minDb, float& maxDb, float& incrementDb) = 0;
    virtual HRESULT setChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float levelDb,
                                           const Guid& context) = 0;
    virtual HRESULT getChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float& levelDb) = 0;
    virtual HRESULT setMute (const juce::String& endpointId, bool mute, const Guid& context) = 0;
    virtual HRESULT getMute (const juce::String& endpointId, bool& mute) = 0;

    // A change callback of the endpoint under a cookie the caller picks (unique per service).
    virtual HRESULT registerNotify (const juce::String& endpointId, uint64_t cookie, VolumeNotify notify) = 0;
    virtual void unregisterNotify (uint64_t cookie) = 0;

    virtual uint32_t mixerGetNumDevs() = 0;
    virtual MMRESULT mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps) = 0;
    // Opens under a handle value the caller picks (unique per service); `post` carries the
    // mixer's messages.
    virtual MMRESULT mixerOpen (uint32_t mixerId, uint64_t handle, MixerPost post) = 0;
    virtual void mixerClose (uint64_t handle) = 0;

    // A cookie or handle value not handed out before by this process.
    static uint64_t nextToken() noexcept;
};

// IMMDeviceEnumerator over a service.
std::unique_ptr<MMDeviceEnumerator> makeServiceEnumerator (std::shared_ptr<AudioService> service);

// mixerOpen over a service: the mixer's messages go to `window`.
MMRESULT openServiceMixer (std::shared_ptr<AudioService> service, uint32_t mixerId, MessageWindow& window,
                           std::unique_ptr<MixerHandle>& handle);

} // namespace arx::platform
