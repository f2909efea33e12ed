#pragma once

// The audio service of the device lab, reached through its audio socket: each call is one
// request line and one reply line; volume changes and mixer messages arrive pushed between
// replies and are handed on from the connection's reader thread.
//
// Threads: any thread may call, several at once (replies are matched by sequence number). The
// reader thread runs the callbacks. A call that meets a broken connection or no reply within
// audiowire::replyTimeoutMs fails with AUDCLNT_E_SERVICE_NOT_RUNNING or HRESULT_TIMEOUT; a broken
// client stays broken (make a new one). Nothing here throws.

#include "platform/AudioService.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace arx::platform
{

class AudioBusClient : public AudioService
{
public:
    // Null when nothing serves the socket.
    static std::shared_ptr<AudioBusClient> connect (const juce::File& socketFile);

    explicit AudioBusClient (int connectedSocket);
    ~AudioBusClient() override;

    bool isBroken() const;

    HRESULT enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, juce::StringArray& ids) override;
    HRESULT getState (const juce::String& id, uint32_t& state) override;
    HRESULT activate (const juce::String& id, Interface what) override;
    HRESULT getDeviceIdConnectedTo (const juce::String& endpointId, uint32_t connector, juce::String& deviceId) override;
    HRESULT ksProperty (const juce::String& id, const KsProperty& property, void* data, uint32_t dataSize,
                        uint32_t& returned) override;
    HRESULT getChannelCount (const juce::String& endpointId, uint32_t& count) override;
    HRESULT getVolumeRange (const juce::String& endpointId, float& minDb, float& maxDb, float& incrementDb) override;
    HRESULT setChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float levelDb,
                                   const Guid& context) override;
    HRESULT getChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float& levelDb) override;
    HRESULT setMute (const juce::String& endpointId, bool mute, const Guid& context) override;
    HRESULT getMute (const juce::String& endpointId, bool& mute) override;
    HRESULT registerNotify (const juce::String& endpointId, uint64_t cookie, VolumeNotify notify) override;
    void unregisterNotify (uint64_t cookie) override;
    uint32_t mixerGetNumDevs() override;
    MMRESULT mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps) override;
    MMRESULT mixerOpen (uint32_t mixerId, uint64_t handle, MixerPost post) override;
    void mixerClose (uint64_t handle) override;

private:
    using VolumeSubscription = Subscription<const AudioVolumeNotificationData&>;
    using MixerSubscription = Subscription<uint32_t, uintptr_t, intptr_t>;

    // A request object with its operation; the reply, or a void var when none came.
    static juce::DynamicObject::Ptr request (const char* op);
    juce::var call (juce::DynamicObject::Ptr request);
    // The reply's "hr", or the failure of the call itself.
    HRESULT callForResult (juce::DynamicObject::Ptr request, juce::var& reply);
    HRESULT ask (const char* op, std::initializer_list<std::pair<const char*, juce::var>> arguments, juce::var& reply);

    void readLoop();
    void handleLine (const juce::String& line);
    void deliverVolume (const juce::var& line);
    void deliverMixer (const juce::var& line);
    void breakConnection();

    template <typename Sub>
    void subscribe (std::map<uint64_t, std::shared_ptr<Sub>>& subscriptions, uint64_t key, typename Sub::Function function);
    // False when there was no such subscription; else no call of it runs any more.
    template <typename Sub>
    bool cancel (std::map<uint64_t, std::shared_ptr<Sub>>& subscriptions, uint64_t key);
    void tellEnded (const char* op, const char* field, uint64_t key);

    int fd;
    std::thread reader;
    std::mutex writeLock;
    mutable std::mutex lock; // guards everything below
    std::condition_variable replied;
    std::map<juce::int64, juce::var> replies; // by sequence number, for callers still waiting
    juce::int64 lastSequence = 0;
    bool broken = false;
    std::map<uint64_t, std::shared_ptr<VolumeSubscription>> volumeSubscriptions;
    std::map<uint64_t, std::shared_ptr<MixerSubscription>> mixerSubscriptions;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioBusClient)
};

} // namespace arx::platform
