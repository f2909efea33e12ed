// The OSC endpoint's input path on arbitrary datagrams: the packet decoder, then for every
// message the address dispatcher and the value check against an "arx" device's counts. A
// message that gets through must name a place that exists and a value of its kind, and its
// address must read back the same.

#include "remote/OscAddress.h"
#include "remote/OscPacket.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    std::vector<juce::OSCMessage> messages;
    juce::String problem;
    if (! arx::OscPacket::decode (data, size, messages, problem))
        return 0;

    for (const auto& message : messages)
    {
        const auto text = message.getAddressPattern().toString();
        const auto address = arx::OscAddress::parse (text);
        if (address.kind != arx::OscAddress::control || ! address.fits (13, 6, 6))
            continue;
        if (address.place.a < 0 || address.place.b < 0 || arx::OscAddress::of (address.place, address.device) != text)
            std::abort();
        if (message.size() == 1 && address.checkValue (message[0], problem))
        {
            const auto& arg = message[0];
            if (arg.isFloat32() && ! std::isfinite (arg.getFloat32()))
                std::abort();
        }
        // What the endpoint sends back decodes to the same message.
        const auto block = arx::OscPacket::encode (message);
        std::vector<juce::OSCMessage> again;
        if (! arx::OscPacket::decode (block.getData(), block.getSize(), again, problem) || again.size() != 1
            || again[0].getAddressPattern().toString() != text || again[0].size() != message.size())
            std::abort();
    }
    return 0;
}
