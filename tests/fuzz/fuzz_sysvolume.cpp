// The system volume link of both generations fed arbitrary answers from the system's audio
// side: every result, id, count, range, property reply, notification and mixer name comes from
// the fuzzer. Whatever it answers, the link must not fault, and the device must leave no
// change callback registered and no mixer open.

#include "fuzz_support.h"

#include "device/NotificationWindow.h"
#include "device/Device.h"
#include "platform/AudioService.h"
#include "platform/MessageQueue.h"
#include "sysvolume/EndpointVolumeLink.h"

#include <map>

namespace
{

using namespace arx::platform;
using namespace arx::fuzz;

class FuzzService : public AudioService
{
public:
    explicit FuzzService (ReplySource& s) : source (s) {}

    HRESULT enumAudioEndpoints (EDataFlow, uint32_t, juce::StringArray& ids) override
    {
        for (int i = source.byte() % 6; --i >= 0;)
            ids.add ("endpoint " + juce::String (source.byte()));
        return result();
    }

    HRESULT getState (const juce::String&, uint32_t& state) override { return answer (state); }
    HRESULT activate (const juce::String&, Interface) override { return result(); }

    HRESULT getDeviceIdConnectedTo (const juce::String&, uint32_t, juce::String& id) override
    {
        id = "driver " + juce::String (source.byte());
        return result();
    }

    HRESULT ksProperty (const juce::String&, const KsProperty&, void* data, uint32_t size, uint32_t& returned) override
    {
        returned = std::min<uint32_t> (source.byte(), size);
        ArxEndpointProperty reply {};
        source.fill (&reply, sizeof (reply));
        // Mostly the device's own identifier, so that endpoints get taken.
        if ((source.byte() & 3) != 0)
        {
            reply.guidLow = (uint32_t) deviceGuid;
            reply.guidHigh = (uint32_t) (deviceGuid >> 32);
        }
        std::memcpy (data, &reply, std::min<size_t> (returned, sizeof (reply)));
        return result();
    }

    HRESULT getChannelCount (const juce::String&, uint32_t& count) override { return answer (count); }

    HRESULT getVolumeRange (const juce::String&, float& minDb, float& maxDb, float& incrementDb) override
    {
        answer (minDb);
        answer (maxDb);
        return answer (incrementDb);
    }

    HRESULT setChannelVolumeLevel (const juce::String&, uint32_t, float, const Guid&) override { return result(); }
    HRESULT getChannelVolumeLevel (const juce::String&, uint32_t, float& levelDb) override { return answer (levelDb); }
    HRESULT setMute (const juce::String&, bool, const Guid&) override { return result(); }
    HRESULT getMute (const juce::String&, bool& mute) override { return answer (mute); }

    HRESULT registerNotify (const juce::String&, uint64_t cookie, VolumeNotify notify) override
    {
        const auto hr = result();
        if (SUCCEEDED (hr))
            notifications[cookie] = std::move (notify);
        return hr;
    }

    void unregisterNotify (uint64_t cookie) override { notifications.erase (cookie); }

    uint32_t mixerGetNumDevs() override { return source.byte() % 5; }

    MMRESULT mixerGetDevCaps (uint32_t, MixerCaps& caps) override
    {
        char name[MAXPNAMELEN] {};
        source.fill (name, sizeof (name) - 1);
        caps.name = (source.byte() & 1) != 0 ? juce::String ("Glintwork out") : juce::String (name);
        return source.byte() % 3;
    }

    MMRESULT mixerOpen (uint32_t, uint64_t handle, MixerPost post) override
    {
        const MMRESULT code = source.byte() % 3;
        if (code == MMSYSERR_NOERROR)
            mixers[handle] = std::move (post);
        return code;
    }

    void mixerClose (uint64_t handle) override { mixers.erase (handle); }

    // Changes from elsewhere: some carry the console's own context.
    void announce()
    {
        for (auto& [cookie, notify] : notifications)
        {
            AudioVolumeNotificationData data;
            source.fill (&data.guidEventContext, sizeof (Guid));
            if ((source.byte() & 1) != 0)
                data.guidEventContext = arx::EndpointVolumeLink::ownEventContext;
            notify (data);
        }
        for (auto& [handle, post] : mixers)
            post (MM_MIXM_CONTROL_CHANGE, (uintptr_t) handle, source.byte());
    }

    uint64_t deviceGuid = 0;
    std::map<uint64_t, VolumeNotify> notifications;
    std::map<uint64_t, MixerPost> mixers;

private:
    HRESULT result()
    {
        const auto b = source.byte();
        return b < 200 ? S_OK : b < 230 ? E_FAIL : AUDCLNT_E_DEVICE_INVALIDATED;
    }

    template <typename T>
    HRESULT answer (T& value)
    {
        source.fill (&value, sizeof (T));
        return result();
    }

    ReplySource& source;
};

class QueueWindow : public MessageWindow
{
public:
    bool getMessage (Win32Message& message) override { return queue.take (message); }
    void postMessage (uint32_t message, uintptr_t wParam, intptr_t lParam) override { queue.post (message, wParam, lParam); }
    bool registerDeviceNotification (const Guid&) override { return false; }
    void unregisterDeviceNotification() override {}

private:
    MessageQueue queue;
};

class FuzzPlatform : public Platform
{
public:
    FuzzPlatform (std::shared_ptr<FuzzService> s, bool isVista) : service (std::move (s)), vista (isVista) {}

    std::unique_ptr<DeviceInfoSet> getClassDevs (const Guid&) override { return std::make_unique<FuzzSet>(); }
    std::unique_ptr<DeviceHandle> createFile (const juce::String&) override { return nullptr; }
    std::unique_ptr<MessageWindow> createMessageWindow() override { return std::make_unique<QueueWindow>(); }
    NamedMutexResult createNamedMutex (const juce::String&) override { return {}; }
    bool isVistaOrLater() const override { return vista; }
    std::shared_ptr<AudioService> audioService() override { return service; }

private:
    std::shared_ptr<FuzzService> service;
    bool vista;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static QuietLogger quiet;
    juce::Logger::setCurrentLogger (&quiet);

    ReplySource source (data, size);
    const bool vista = (source.byte() & 1) != 0;
    auto service = std::make_shared<FuzzService> (source);
    FuzzPlatform platform ((source.byte() & 7) != 0 ? service : nullptr, vista);
    arx::NotificationWindow window (platform);
    {
        FuzzSet set;
        DeviceInterfaceData interfaceData { "fuzz" };
        const auto caps = arx::sim::SimProfiles::buildHwinfo (*arx::sim::SimProfiles::find ("arx"), 0);
        std::memcpy (&service->deviceGuid, static_cast<const uint8_t*> (caps.getData()) + 4, 8); // high, low
        service->deviceGuid = (service->deviceGuid << 32) | (service->deviceGuid >> 32);
        arx::Device::Ptr device (new arx::Device (platform, set, interfaceData, &window));

        for (int round = 0; round < 3; ++round)
        {
            for (int channel = -1; channel <= 9; ++channel)
            {
                float level = 0;
                source.fill (&level, sizeof (level));
                device->setPlaybackGain (channel, level);
                uint32_t code = 0;
                source.fill (&code, sizeof (code));
                device->setPlaybackGainCode (channel, code);
                device->setPlaybackMute (channel, (source.byte() & 1) != 0);
            }
            service->announce();
        }
    }

    if (! service->notifications.empty() || ! service->mixers.empty())
        __builtin_trap(); // the device went, something it registered or opened stayed

    juce::Logger::setCurrentLogger (nullptr);
    return 0;
}
