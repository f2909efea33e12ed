#pragma once

#include <juce_core/juce_core.h>

namespace arx
{

// What the remote endpoints need to know of a peer's address, as their sockets report it.
//
// Threads: any; no state.
struct RemotePeer
{
    // Whether the address is this computer's loopback: IPv4 127.x.x.x, IPv6 ::1, or the IPv4
    // loopback mapped into IPv6.
    static bool isLoopback (const juce::String& address) noexcept;
};

} // namespace arx
