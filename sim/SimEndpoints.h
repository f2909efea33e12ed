#pragma once

// The operating system's audio side of the lab: the render endpoints of every plugged device
// with their volume and mute, the driver's property that ties an endpoint to its device, the
// legacy mixers named after the device, and an onboard sound card that belongs to no ARX.
//
// What a device gets (from its profile's output groups): every output group that is not
// digital (kinds 1 to 3: S/PDIF, ADAT) is one render endpoint carrying the playback channels
// numbered like the group's outputs; digital groups and playback channels past the outputs are
// carried by none. Each device also has a capture endpoint. A change of an endpoint's level or
// mute, by any client, is applied to the device's playback channels as the driver does (the
// level as the channel's gain, the mute on every channel of the endpoint), announced to every
// registered client with the changing client's event context, and posted to every open legacy
// mixer of that endpoint as MM_MIXM_CONTROL_CHANGE.
//
// As strict as the system: levels outside the range, channels past the endpoint's count and
// calls on endpoints of a device that has gone are refused with the system's HRESULTs.
//
// Threads: every call may come from any thread. Notifications and mixer messages are delivered
// in order by the lab's own notification thread, never while the lab's lock is held.

#include "platform/AudioService.h"
#include "sim/SimDevice.h"

#include <juce_core/juce_core.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace arx::sim
{

class DeviceLab;

class SimEndpoints : public arx::platform::AudioService
{
public:
    static constexpr float minLevelDb = -96.0f;
    static constexpr float maxLevelDb = 0.0f;
    static constexpr float levelStepDb = 0.5f;
    // The event context of changes made by "another program" (the lab's endpoint command).
    static constexpr platform::Guid otherProgramContext = { 0x0DDBA11A, 0x5EED, 0x4C0D,
                                                            { 0xA0, 0x0B, 0x13, 0x37, 0x00, 0x00, 0x00, 0x01 } };

    explicit SimEndpoints (DeviceLab& lab);
    ~SimEndpoints() override;

    // The lab goes: the notification thread ends and every later call fails.
    void shutdown();

    // Whether the audio service runs: without it no enumerator can be made.
    void setServiceAvailable (bool available);
    bool isServiceAvailable() const;

    // Another program changes the level of the endpoint channel that carries the device's
    // playback channel, or that endpoint's mute. Empty on success, else why not.
    juce::String changeAsOtherProgram (const juce::String& uniqueName, int playbackChannel,
                                       std::optional<float> levelDb, std::optional<bool> mute);

    // The control line "endpoint NAME channel C volume DB" or "... mute 0|1": "ok" with the
    // device's endpoints as JSON, or "error" and why.
    juce::String controlCommand (const juce::StringArray& args);

    // The user enables or disables every endpoint of a device in the system's sound settings.
    bool setEndpointsEnabled (const juce::String& uniqueName, bool enabled);

    // Waits until every change so far has reached every client.
    void flush();

    // Inspection: the device's endpoints as JSON (id, name, flow, state, firstChannel,
    // channels, volume in dB per channel, mute, mixer, and how many change callbacks and open
    // mixer handles the clients hold on it); counts of live registrations and open mixers; the
    // event contexts of the changes so far, per endpoint name.
    juce::var describe (const juce::String& uniqueName);
    int registrationCount() const;
    int openMixerCount (const juce::String& mixerName = {}) const;
    std::vector<std::pair<juce::String, platform::Guid>> changeLog() const;

    //==============================================================================
    platform::HRESULT enumAudioEndpoints (platform::EDataFlow flow, uint32_t stateMask, juce::StringArray& ids) override;
    platform::HRESULT getState (const juce::String& id, uint32_t& state) override;
    platform::HRESULT activate (const juce::String& id, Interface what) override;
    platform::HRESULT getDeviceIdConnectedTo (const juce::String& endpointId, uint32_t connector,
                                              juce::String& deviceId) override;
    platform::HRESULT ksProperty (const juce::String& id, const platform::KsProperty& property, void* data,
                                  uint32_t dataSize, uint32_t& returned) override;
    platform::HRESULT getChannelCount (const juce::String& endpointId, uint32_t& count) override;
    platform::HRESULT getVolumeRange (const juce::String& endpointId, float& minDb, float& maxDb,
                                      float& incrementDb) override;
    platform::HRESULT setChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float levelDb,
                                             const platform::Guid& context) override;
    platform::HRESULT getChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float& levelDb) override;
    platform::HRESULT setMute (const juce::String& endpointId, bool mute, const platform::Guid& context) override;
    platform::HRESULT getMute (const juce::String& endpointId, bool& mute) override;
    platform::HRESULT registerNotify (const juce::String& endpointId, uint64_t cookie, platform::VolumeNotify notify) override;
    void unregisterNotify (uint64_t cookie) override;
    uint32_t mixerGetNumDevs() override;
    platform::MMRESULT mixerGetDevCaps (uint32_t mixerId, platform::MixerCaps& caps) override;
    platform::MMRESULT mixerOpen (uint32_t mixerId, uint64_t handle, platform::MixerPost post) override;
    void mixerClose (uint64_t handle) override;

private:
    struct Endpoint
    {
        juce::String id, name, driverId, mixerName;
        platform::EDataFlow flow = platform::eRender;
        uint32_t firstChannel = 0, channelCount = 0;
        std::vector<float> levels; // dB per channel
        bool mute = false;
    };

    // The endpoints of one plugged device, or of the onboard card (no device).
    struct Card
    {
        SimDevice* device = nullptr;
        bool present = true, enabled = true;
        uint64_t guid = 0;
        std::vector<Endpoint> endpoints;
    };

    struct Found
    {
        Card* card = nullptr;
        Endpoint* endpoint = nullptr;
        bool isDriver = false; // the id is the endpoint's driver filter
    };

    using VolumeSubscription = platform::Subscription<const platform::AudioVolumeNotificationData&>;
    using MixerSubscription = platform::Subscription<uint32_t, uintptr_t, intptr_t>;

    struct Registration
    {
        juce::String endpointId;
        std::shared_ptr<VolumeSubscription> subscription;
    };

    struct OpenMixer
    {
        juce::String endpointId;
        std::shared_ptr<MixerSubscription> subscription;
    };

    // All *Locked functions run under `lock`.
    bool syncLocked();
    Card makeCard (SimDevice& device) const;
    Found findLocked (const juce::String& id);
    platform::HRESULT activeEndpointLocked (const juce::String& id, Found& found);
    // Runs `use` under the lock on an endpoint that can be used now; else the reason it cannot.
    template <typename Use>
    platform::HRESULT withEndpoint (const juce::String& endpointId, Use use);
    uint32_t stateOf (const Card& card) const noexcept;
    std::vector<std::pair<Card*, Endpoint*>> mixersLocked();
    platform::HRESULT setLevelLocked (Found& found, uint32_t channel, float levelDb, const platform::Guid& context);
    platform::HRESULT setMuteLocked (Found& found, bool mute, const platform::Guid& context);
    void announceLocked (const Endpoint& endpoint, const platform::Guid& context, intptr_t controlId);
    // Takes a registration or open mixer out; no call of it runs once this returns.
    template <typename Table>
    void cancel (Table& table, uint64_t key);
    void post (std::function<void()> job);
    void runNotifications();

    DeviceLab* lab;
    mutable std::mutex lock;
    std::map<juce::String, Card> cards; // by unique name; "" is the onboard card
    std::map<uint64_t, Registration> registrations;
    std::map<uint64_t, OpenMixer> openMixers;
    std::deque<std::pair<juce::String, platform::Guid>> changes;
    bool serviceAvailable = true;

    std::condition_variable jobsChanged;
    std::deque<std::function<void()>> jobs;
    bool deliveringJob = false;
    bool stopping = false;
    std::thread notifier;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimEndpoints)
};

} // namespace arx::sim
