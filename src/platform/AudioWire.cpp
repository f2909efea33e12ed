#include "platform/AudioWire.h"

#include "platform/BusWire.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include <sys/socket.h>

namespace arx::platform::audiowire
{

juce::String guidToString (const Guid& g)
{
    auto hex = [] (uint64_t v, int digits) { return juce::String::toHexString ((juce::int64) v).paddedLeft ('0', digits).toUpperCase(); };
    juce::String tail;
    for (int i = 2; i < 8; ++i)
        tail << hex (g.data4[i], 2);
    return "{" + hex (g.data1, 8) + "-" + hex (g.data2, 4) + "-" + hex (g.data3, 4) + "-" + hex (g.data4[0], 2)
           + hex (g.data4[1], 2) + "-" + tail + "}";
}

bool guidFromString (const juce::String& text, Guid& g)
{
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.length() != 38 || text[0] != '{' || text[37] != '}')
        return false;
    const auto body = text.substring (1, 37);
    for (int i = 0; i < body.length(); ++i)
    {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? body[i] != '-' : juce::CharacterFunctions::getHexDigitValue (body[i]) < 0)
            return false;
    }
    auto part = [&body] (int from, int length) { return (uint64_t) body.substring (from, from + length).getHexValue64(); };
    g.data1 = (uint32_t) part (0, 8);
    g.data2 = (uint16_t) part (9, 4);
    g.data3 = (uint16_t) part (14, 4);
    g.data4[0] = (uint8_t) part (19, 2);
    g.data4[1] = (uint8_t) part (21, 2);
    for (int i = 0; i < 6; ++i)
        g.data4[2 + i] = (uint8_t) part (24 + 2 * i, 2);
    return true;
}

const char* interfaceName (AudioService::Interface what) noexcept
{
    switch (what)
    {
        case AudioService::Interface::endpointVolume: return "volume";
        case AudioService::Interface::deviceTopology: return "topology";
        case AudioService::Interface::ksControl: return "ks";
    }
    return "";
}

bool interfaceFromName (const juce::String& name, AudioService::Interface& what) noexcept
{
    for (auto candidate : { AudioService::Interface::endpointVolume, AudioService::Interface::deviceTopology,
                            AudioService::Interface::ksControl })
    {
        if (name == interfaceName (candidate))
        {
            what = candidate;
            return true;
        }
    }
    return false;
}

juce::var notificationToVar (uint64_t cookie, const AudioVolumeNotificationData& data)
{
    juce::Array<juce::var> channels;
    for (auto v : data.channelVolumes)
        channels.add ((double) v);
    auto* o = new juce::DynamicObject();
    o->setProperty ("n", (juce::int64) cookie);
    o->setProperty ("ctx", guidToString (data.guidEventContext));
    o->setProperty ("muted", data.muted);
    o->setProperty ("master", (double) data.masterVolume);
    o->setProperty ("ch", channels);
    return juce::var (o);
}

bool notificationFromVar (const juce::var& line, AudioVolumeNotificationData& data)
{
    if (! guidFromString (line["ctx"].toString(), data.guidEventContext))
        return false;
    data.muted = (bool) line["muted"];
    data.masterVolume = (float) (double) line["master"];
    data.channelVolumes.clear();
    if (auto* channels = line["ch"].getArray())
        for (auto& v : *channels)
            data.channelVolumes.push_back ((float) (double) v);
    return true;
}

juce::var capsToVar (const MixerCaps& caps)
{
    auto* o = new juce::DynamicObject();
    o->setProperty ("mid", (int) caps.manufacturerId);
    o->setProperty ("pid", (int) caps.productId);
    o->setProperty ("version", (juce::int64) caps.driverVersion);
    o->setProperty ("name", caps.name);
    o->setProperty ("support", (juce::int64) caps.support);
    o->setProperty ("destinations", (juce::int64) caps.destinations);
    return juce::var (o);
}

MixerCaps capsFromVar (const juce::var& value)
{
    MixerCaps caps;
    caps.manufacturerId = (uint16_t) number (value, "mid");
    caps.productId = (uint16_t) number (value, "pid");
    caps.driverVersion = (uint32_t) number (value, "version");
    caps.name = value["name"].toString().substring (0, MAXPNAMELEN - 1);
    caps.support = (uint32_t) number (value, "support");
    caps.destinations = (uint32_t) number (value, "destinations");
    return caps;
}

juce::int64 number (const juce::var& object, const juce::Identifier& name, juce::int64 fallback)
{
    const auto& v = object[name];
    if (v.isInt() || v.isInt64())
        return (juce::int64) v;
    if (v.isDouble())
    {
        const auto d = (double) v;
        if (std::isfinite (d) && d >= -9.0e18 && d <= 9.0e18)
            return (juce::int64) d;
    }
    return fallback;
}

juce::String bytesToHex (const void* data, size_t size)
{
    return juce::String::toHexString (data, (int) size, 0);
}

bool hexToBytes (const juce::String& text, std::vector<uint8_t>& bytes)
{
    if (text.length() % 2 != 0 || ! text.containsOnly ("0123456789abcdefABCDEF"))
        return false;
    bytes.resize ((size_t) text.length() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (uint8_t) text.substring ((int) (2 * i), (int) (2 * i + 2)).getHexValue32();
    return true;
}

bool sendLine (int fd, const juce::var& object)
{
    const auto text = juce::JSON::toString (object, true) + "\n";
    return buswire::sendAll (fd, text.toRawUTF8(), text.getNumBytesAsUTF8());
}

LineReader::LineReader (int f) : fd (f), buffer (maxLineBytes + 1) {}

LineReader::Result LineReader::next (juce::String& line)
{
    for (;;)
    {
        if (auto* newline = static_cast<char*> (std::memchr (buffer.data() + start, '\n', end - start)))
        {
            const auto length = (size_t) (newline - (buffer.data() + start));
            line = juce::String::fromUTF8 (buffer.data() + start, (int) length);
            start += length + 1;
            return Result::ok;
        }
        if (end - start >= maxLineBytes)
            return Result::oversized;
        if (start > 0)
        {
            std::memmove (buffer.data(), buffer.data() + start, end - start);
            end -= start;
            start = 0;
        }
        const auto n = ::recv (fd, buffer.data() + end, buffer.size() - end, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Result::closed;
        end += (size_t) n;
    }
}

} // namespace arx::platform::audiowire
