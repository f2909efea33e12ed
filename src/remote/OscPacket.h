#pragma once

#include <juce_osc/juce_osc.h>

#include <vector>

namespace arx
{

// The wire form of OSC datagrams, for the console's own socket (JUCE's receiver does not say
// who sent a packet, and replies go to the sender). Messages with int32, float32 and string
// arguments, and bundles of them, nested or not; anything else is refused whole.
//
// Threads: any; no state.
class OscPacket
{
public:
    static constexpr int maxBundleDepth = 8;

    // The messages of one datagram, in order. False with `problem` set when the datagram is not
    // a well-formed packet of the kinds above; `messages` then holds nothing.
    static bool decode (const void* data, size_t size, std::vector<juce::OSCMessage>& messages,
                        juce::String& problem);

    // One message as a datagram. Arguments other than int32, float32 and string are left out.
    static juce::MemoryBlock encode (const juce::OSCMessage& message);
};

} // namespace arx
