#pragma once

// The system volume link from Vista on. A playback channel that an audio endpoint of the
// device carries is set through that endpoint's volume (the driver applies it to the device);
// every other channel by the device command. Changes of the device's endpoints made by other
// programs become change messages.
//
// The endpoint table is filled at construction and again, after it was emptied by a failure,
// on the next change. A change that finds no endpoint for its channel, or no enumerator at
// all, goes to the device by command.
//
// Threads: setPlaybackGain/setPlaybackMute on the hardware thread, holding the link's lock for
// the whole change (the device mutex is taken inside it, never the other way round);
// notifications on the system's threads (EndpointChangeCallback); construction and destruction on
// the thread that makes or drops the device.

#include "platform/AudioEndpoints.h"
#include "sysvolume/SystemVolumeLink.h"

#include <vector>

namespace arx
{

class EndpointChangeCallback;

class EndpointVolumeLink : public SystemVolumeLink
{
public:
    // Passed with every level the console sets, so that its own changes are not announced.
    static constexpr platform::Guid ownEventContext = { 0x3A7C51E2, 0x9B04, 0x4F6D,
                                                        { 0x8E, 0x15, 0x62, 0xC0, 0xA9, 0x3D, 0x7B, 0x41 } };

    EndpointVolumeLink (Device& device, platform::Platform& platform);
    ~EndpointVolumeLink() override;

    int setPlaybackGain (int channel, float dB) override;
    int setPlaybackGainCode (int channel, uint32_t gainCode) override;
    int setPlaybackMute (int channel, bool on) override;

    bool hasEnumerator() const noexcept { return enumerator != nullptr; }
    int endpointCount() const;

    // The driver's property behind an endpoint: its topology's connector 0, the device connected
    // to it, that device's kernel-streaming control. False on any failure; any thread.
    static bool readDriverProperty (platform::MMDeviceEnumerator& enumerator, platform::MMDevice& endpoint,
                                    platform::ArxEndpointProperty& property);

private:
    struct Entry
    {
        std::unique_ptr<platform::MMDevice> endpoint;
        std::unique_ptr<platform::AudioEndpointVolume> volume;
        EndpointChangeCallback* notification = nullptr; // one reference, released on drop
    };

    // Where a playback channel goes: an endpoint volume and its channel, or nowhere.
    struct Route
    {
        platform::AudioEndpointVolume* volume = nullptr;
        uint32_t channel = 0;
        float minDb = 0.0f, maxDb = 0.0f;
    };

    // The endpoint takes the level in dB; the device command takes the code.
    int setGain (int channel, float dB, uint32_t gainCode);

    // All under the lock.
    const Route* route (int channel);
    int finish (platform::HRESULT hr, const char* what, int channel);
    void scan();
    bool addEndpoint (std::unique_ptr<platform::MMDevice> endpoint);
    void dropAllEndpoints();

    juce::CriticalSection lock;
    std::vector<Entry> endpoints;
    std::vector<Route> channelMap; // one per playback channel at 48 kHz
    std::unique_ptr<platform::MMDeviceEnumerator> enumerator;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EndpointVolumeLink)
};

} // namespace arx
