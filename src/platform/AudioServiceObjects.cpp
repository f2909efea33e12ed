// The seam's endpoint objects and mixer handles over an AudioService: each object keeps the
// service and the id it stands for, so it stays usable after the object it came from is gone.

#include "platform/AudioService.h"
#include "platform/Platform.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace arx::platform
{

uint64_t AudioService::nextToken() noexcept
{
    static std::atomic<uint64_t> counter { 0 };
    return ++counter;
}

namespace
{
using ServicePtr = std::shared_ptr<AudioService>;

class ServiceEndpointVolume : public AudioEndpointVolume
{
public:
    ServiceEndpointVolume (ServicePtr s, juce::String endpointId) : service (std::move (s)), id (std::move (endpointId)) {}

    // Released without unregistering: the registrations go with it.
    ~ServiceEndpointVolume() override
    {
        for (auto& r : registrations)
        {
            service->unregisterNotify (r.cookie);
            r.callback->release();
        }
    }

    HRESULT registerControlChangeNotify (AudioEndpointVolumeCallback* callback) override
    {
        if (callback == nullptr)
            return E_POINTER;
        const auto cookie = AudioService::nextToken();
        callback->addRef();
        const auto hr = service->registerNotify (id, cookie, [callback] (const AudioVolumeNotificationData& data) {
            callback->onNotify (data);
        });
        if (FAILED (hr))
        {
            callback->release();
            return hr;
        }
        const std::lock_guard<std::mutex> guard (lock);
        registrations.push_back ({ callback, cookie });
        return S_OK;
    }

    HRESULT unregisterControlChangeNotify (AudioEndpointVolumeCallback* callback) override
    {
        Registration found {};
        {
            const std::lock_guard<std::mutex> guard (lock);
            auto it = std::find_if (registrations.begin(), registrations.end(),
                                    [callback] (const Registration& r) { return r.callback == callback; });
            if (callback == nullptr || it == registrations.end())
                return E_INVALIDARG;
            found = *it;
            registrations.erase (it);
        }
        service->unregisterNotify (found.cookie);
        found.callback->release();
        return S_OK;
    }

    HRESULT getChannelCount (uint32_t& count) override { return service->getChannelCount (id, count); }

    HRESULT getVolumeRange (float& minDb, float& maxDb, float& incrementDb) override
    {
        return service->getVolumeRange (id, minDb, maxDb, incrementDb);
    }

    HRESULT setChannelVolumeLevel (uint32_t channel, float levelDb, const Guid* eventContext) override
    {
        return service->setChannelVolumeLevel (id, channel, levelDb, eventContext != nullptr ? *eventContext : GUID_NULL);
    }

    HRESULT getChannelVolumeLevel (uint32_t channel, float& levelDb) override
    {
        return service->getChannelVolumeLevel (id, channel, levelDb);
    }

    HRESULT setMute (bool mute, const Guid* eventContext) override
    {
        return service->setMute (id, mute, eventContext != nullptr ? *eventContext : GUID_NULL);
    }

    HRESULT getMute (bool& mute) override { return service->getMute (id, mute); }

private:
    struct Registration
    {
        AudioEndpointVolumeCallback* callback;
        uint64_t cookie;
    };

    ServicePtr service;
    juce::String id;
    std::mutex lock;
    std::vector<Registration> registrations;
};

class ServiceKsControl : public KsControl
{
public:
    ServiceKsControl (ServicePtr s, juce::String deviceId) : service (std::move (s)), id (std::move (deviceId)) {}

    HRESULT ksProperty (const KsProperty& property, void* data, uint32_t dataSize, uint32_t& returned) override
    {
        returned = 0;
        return service->ksProperty (id, property, data, dataSize, returned);
    }

private:
    ServicePtr service;
    juce::String id;
};

class ServiceConnector : public Connector
{
public:
    ServiceConnector (ServicePtr s, juce::String endpointId, uint32_t n)
        : service (std::move (s)), id (std::move (endpointId)), index (n)
    {
    }

    HRESULT getDeviceIdConnectedTo (juce::String& deviceId) override
    {
        return service->getDeviceIdConnectedTo (id, index, deviceId);
    }

private:
    ServicePtr service;
    juce::String id;
    uint32_t index;
};

class ServiceTopology : public DeviceTopology
{
public:
    ServiceTopology (ServicePtr s, juce::String endpointId) : service (std::move (s)), id (std::move (endpointId)) {}

    // An endpoint's topology has the one connector to its driver.
    HRESULT getConnector (uint32_t index, std::unique_ptr<Connector>& connector) override
    {
        if (index != 0)
            return E_INVALIDARG;
        connector = std::make_unique<ServiceConnector> (service, id, index);
        return S_OK;
    }

private:
    ServicePtr service;
    juce::String id;
};

class ServiceDevice : public MMDevice
{
public:
    ServiceDevice (ServicePtr s, juce::String deviceId) : service (std::move (s)), id (std::move (deviceId)) {}

    HRESULT getId (juce::String& deviceId) override
    {
        deviceId = id;
        return S_OK;
    }

    HRESULT getState (uint32_t& state) override { return service->getState (id, state); }

    HRESULT activateEndpointVolume (std::unique_ptr<AudioEndpointVolume>& volume) override
    {
        return activate<ServiceEndpointVolume> (AudioService::Interface::endpointVolume, volume);
    }

    HRESULT activateDeviceTopology (std::unique_ptr<DeviceTopology>& topology) override
    {
        return activate<ServiceTopology> (AudioService::Interface::deviceTopology, topology);
    }

    HRESULT activateKsControl (std::unique_ptr<KsControl>& control) override
    {
        return activate<ServiceKsControl> (AudioService::Interface::ksControl, control);
    }

private:
    template <typename Made, typename Seam>
    HRESULT activate (AudioService::Interface what, std::unique_ptr<Seam>& out)
    {
        out.reset();
        const auto hr = service->activate (id, what);
        if (SUCCEEDED (hr))
            out = std::make_unique<Made> (service, id);
        return hr;
    }

    ServicePtr service;
    juce::String id;
};

class ServiceCollection : public MMDeviceCollection
{
public:
    ServiceCollection (ServicePtr s, juce::StringArray deviceIds) : service (std::move (s)), ids (std::move (deviceIds)) {}

    HRESULT getCount (uint32_t& count) override
    {
        count = (uint32_t) ids.size();
        return S_OK;
    }

    HRESULT item (uint32_t index, std::unique_ptr<MMDevice>& device) override
    {
        if (index >= (uint32_t) ids.size())
            return E_INVALIDARG;
        device = std::make_unique<ServiceDevice> (service, ids[(int) index]);
        return S_OK;
    }

private:
    ServicePtr service;
    juce::StringArray ids;
};

class ServiceEnumerator : public MMDeviceEnumerator
{
public:
    explicit ServiceEnumerator (ServicePtr s) : service (std::move (s)) {}

    HRESULT enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, std::unique_ptr<MMDeviceCollection>& devices) override
    {
        juce::StringArray ids;
        const auto hr = service->enumAudioEndpoints (flow, stateMask, ids);
        if (FAILED (hr))
            return hr;
        devices = std::make_unique<ServiceCollection> (service, std::move (ids));
        return S_OK;
    }

    HRESULT getDevice (const juce::String& id, std::unique_ptr<MMDevice>& device) override
    {
        uint32_t state = 0;
        const auto hr = service->getState (id, state);
        if (FAILED (hr))
            return hr;
        device = std::make_unique<ServiceDevice> (service, id);
        return S_OK;
    }

private:
    ServicePtr service;
};

class ServiceMixerHandle : public MixerHandle
{
public:
    ServiceMixerHandle (ServicePtr s, uint64_t h) : service (std::move (s)), handle (h) {}
    ~ServiceMixerHandle() override { service->mixerClose (handle); }

    uintptr_t value() const noexcept override { return (uintptr_t) handle; }

private:
    ServicePtr service;
    uint64_t handle;
};
} // namespace

std::unique_ptr<MMDeviceEnumerator> makeServiceEnumerator (std::shared_ptr<AudioService> service)
{
    return std::make_unique<ServiceEnumerator> (std::move (service));
}

MMRESULT openServiceMixer (std::shared_ptr<AudioService> service, uint32_t mixerId, MessageWindow& window,
                           std::unique_ptr<MixerHandle>& handle)
{
    const auto value = AudioService::nextToken();
    auto* target = &window;
    const auto result = service->mixerOpen (mixerId, value, [target] (uint32_t message, uintptr_t wParam, intptr_t lParam) {
        target->postMessage (message, wParam, lParam);
    });
    if (result == MMSYSERR_NOERROR)
        handle = std::make_unique<ServiceMixerHandle> (std::move (service), value);
    return result;
}

} // namespace arx::platform
