#pragma once

// The change callback that the endpoint variant registers with each endpoint of its device:
// a change carrying another client's event context becomes a change message of the link.
//
// Threads: onNotify on the system's notification threads; detach on the link's thread.
// References change atomically; the last release deletes the object, on whichever thread.

#include "platform/AudioEndpoints.h"

#include <atomic>

namespace arx
{

class SystemVolumeLink;

class EndpointChangeCallback : public platform::AudioEndpointVolumeCallback
{
public:
    // One reference, the caller's.
    EndpointChangeCallback (SystemVolumeLink& owner, const platform::Guid& ownEventContext);

    // No change message is sent once this returns (a notification under way is waited for).
    void detach();

    platform::HRESULT queryInterface (const platform::Guid& iid, void** object) override;
    uint32_t addRef() override;
    uint32_t release() override;
    platform::HRESULT onNotify (const platform::AudioVolumeNotificationData& data) override;

private:
    ~EndpointChangeCallback() override;

    std::atomic<uint32_t> references { 1 };
    const platform::Guid ownContext;
    juce::CriticalSection ownerLock;
    SystemVolumeLink* owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EndpointChangeCallback)
};

} // namespace arx
