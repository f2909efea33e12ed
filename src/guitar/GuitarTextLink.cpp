#include "guitar/GuitarTextLink.h"

#include <cstring>

namespace arx
{
namespace
{
bool expired (juce::uint32 since) noexcept
{
    return juce::Time::getMillisecondCounter() - since >= (juce::uint32) GuitarTextLink::limitMs;
}
} // namespace

// A send the device fails is tried again like one it times out or the guitar refuses: one
// failure is no lost guitar, only the whole bound running out is.
bool GuitarTextLink::send (const uint8_t* bytes, int count)
{
    const auto start = juce::Time::getMillisecondCounter();
    for (;;)
    {
        bool accepted = false;
        const int code = dev.guitarSend (bytes, count, accepted);
        if (code == Device::resultOk && accepted)
            return true;
        if (expired (start))
            return false;
        juce::Thread::sleep (30);
    }
}

bool GuitarTextLink::send (const juce::String& text)
{
    return send (reinterpret_cast<const uint8_t*> (text.toRawUTF8()), (int) text.getNumBytesAsUTF8());
}

int GuitarTextLink::receiveLine (uint8_t* buffer, int room)
{
    return collect (buffer, room, 0, 10);
}

int GuitarTextLink::receiveAtLeast (uint8_t* buffer, int room, int wanted)
{
    return collect (buffer, room, wanted, 30);
}

// `wanted` 0: until a chunk holds a carriage return.
int GuitarTextLink::collect (uint8_t* buffer, int room, int wanted, int pauseMs)
{
    if (buffer == nullptr || room < 1)
        return 0;

    const auto start = juce::Time::getMillisecondCounter();
    int count = 0;
    for (;;)
    {
        int n = 0;
        const int code = dev.guitarReceive (buffer + count, room - 1 - count, n);
        if (code > 0)
            return 0;

        const bool sawReturn = n > 0 && std::memchr (buffer + count, '\r', (size_t) n) != nullptr;
        count += n;
        const bool done = wanted > 0 ? count >= wanted : sawReturn;
        if (done || count >= room - 1 || expired (start))
            break;
        juce::Thread::sleep (pauseMs);
    }
    buffer[count] = 0;
    return count;
}

void GuitarTextLink::drain()
{
    const auto start = juce::Time::getMillisecondCounter();
    uint8_t scrap[Device::maxGuitarBytes];
    for (;;)
    {
        int n = 0;
        const int code = dev.guitarReceive (scrap, (int) sizeof (scrap), n);
        if (code > 0 || (code == Device::resultOk && n == 0) || expired (start))
            return;
        juce::Thread::sleep (30);
    }
}

} // namespace arx
