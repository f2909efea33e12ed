#pragma once

// One client of the lab's audio socket: its request lines answered from the audio service,
// the changes of its registrations and the messages of its mixers pushed to it, and whatever
// it registered or opened released when it goes.
//
// Threads: run() on the connection's own thread; pushes on the service's notification thread,
// serialised with the replies by the write lock.

#include "platform/AudioService.h"

#include <juce_core/juce_core.h>

#include <map>
#include <mutex>
#include <optional>

namespace arx::sim
{

class AudioSession
{
public:
    AudioSession (platform::AudioService& service, int connectedSocket);
    ~AudioSession(); // unregisters and closes what the client left

    // Serves until the client goes or a line cannot be sent.
    void run();

private:
    // One operation: its result (HRESULT or MMRESULT) and what it adds to the reply.
    using Handler = juce::int64 (AudioSession::*) (const juce::var& request, juce::DynamicObject& reply);

    juce::var answer (const juce::var& request);
    bool send (const juce::var& line);

    juce::int64 enumEndpoints (const juce::var&, juce::DynamicObject&);
    juce::int64 state (const juce::var&, juce::DynamicObject&);
    juce::int64 activate (const juce::var&, juce::DynamicObject&);
    juce::int64 connectedTo (const juce::var&, juce::DynamicObject&);
    juce::int64 ksProperty (const juce::var&, juce::DynamicObject&);
    juce::int64 channels (const juce::var&, juce::DynamicObject&);
    juce::int64 range (const juce::var&, juce::DynamicObject&);
    juce::int64 setLevel (const juce::var&, juce::DynamicObject&);
    juce::int64 getLevel (const juce::var&, juce::DynamicObject&);
    juce::int64 setMute (const juce::var&, juce::DynamicObject&);
    juce::int64 getMute (const juce::var&, juce::DynamicObject&);
    juce::int64 registerNotify (const juce::var&, juce::DynamicObject&);
    juce::int64 unregisterNotify (const juce::var&, juce::DynamicObject&);
    juce::int64 mixerCount (const juce::var&, juce::DynamicObject&);
    juce::int64 mixerCaps (const juce::var&, juce::DynamicObject&);
    juce::int64 mixerOpen (const juce::var&, juce::DynamicObject&);
    juce::int64 mixerClose (const juce::var&, juce::DynamicObject&);

    static const std::map<juce::String, Handler>& handlers();

    // The client's cookies and handles against the service's.
    bool isKnown (const std::map<uint64_t, uint64_t>& table, uint64_t mine);
    void remember (std::map<uint64_t, uint64_t>& table, uint64_t mine, uint64_t theirs);
    std::optional<uint64_t> forget (std::map<uint64_t, uint64_t>& table, uint64_t mine);

    platform::AudioService& service;
    const int fd;
    std::mutex writeLock;
    bool broken = false; // under writeLock
    std::mutex lock;     // guards the two maps
    std::map<uint64_t, uint64_t> cookies; // the client's cookie -> the service's
    std::map<uint64_t, uint64_t> mixers;  // the client's handle -> the service's

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioSession)
};

} // namespace arx::sim
