#include "sim/AudioSession.h"

#include "platform/AudioWire.h"

#include <sys/socket.h>

namespace arx::sim
{

using namespace arx::platform;
using namespace arx::platform::audiowire;

namespace
{
// A client that does not read its pushed lines for this long is dropped.
constexpr int sendTimeoutMs = 2000;
constexpr uint32_t maxPropertyBytes = 4096;

Guid contextOf (const juce::var& request)
{
    Guid context = GUID_NULL;
    guidFromString (request["ctx"].toString(), context);
    return context;
}

uint32_t word (const juce::var& request, const char* name)
{
    return (uint32_t) juce::jlimit<juce::int64> (0, 0xFFFFFFFF, number (request, name, 0xFFFFFFFF));
}
} // namespace

AudioSession::AudioSession (AudioService& s, int connectedSocket) : service (s), fd (connectedSocket)
{
    timeval tv { sendTimeoutMs / 1000, (sendTimeoutMs % 1000) * 1000 };
    ::setsockopt (fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof (tv));
}

AudioSession::~AudioSession()
{
    std::map<uint64_t, uint64_t> leftCookies, leftMixers;
    {
        const std::lock_guard<std::mutex> guard (lock);
        leftCookies.swap (cookies);
        leftMixers.swap (mixers);
    }
    for (auto& [mine, theirs] : leftCookies)
        service.unregisterNotify (theirs);
    for (auto& [mine, theirs] : leftMixers)
        service.mixerClose (theirs);
}

void AudioSession::run()
{
    LineReader lines (fd);
    juce::String line;
    while (lines.next (line) == LineReader::Result::ok)
    {
        const auto request = juce::JSON::parse (line);
        if (! request.isObject() || ! send (answer (request)))
            break; // a client that sends what is not a request is not served further
    }
}

bool AudioSession::send (const juce::var& line)
{
    const std::lock_guard<std::mutex> guard (writeLock);
    if (broken)
        return false;
    if (! sendLine (fd, line))
    {
        broken = true;
        ::shutdown (fd, SHUT_RDWR); // ends run() too
    }
    return ! broken;
}

const std::map<juce::String, AudioSession::Handler>& AudioSession::handlers()
{
    static const std::map<juce::String, Handler> table {
        { "enum", &AudioSession::enumEndpoints },     { "state", &AudioSession::state },
        { "activate", &AudioSession::activate },      { "connectedTo", &AudioSession::connectedTo },
        { "ks", &AudioSession::ksProperty },          { "channels", &AudioSession::channels },
        { "range", &AudioSession::range },            { "setLevel", &AudioSession::setLevel },
        { "getLevel", &AudioSession::getLevel },      { "setMute", &AudioSession::setMute },
        { "getMute", &AudioSession::getMute },        { "register", &AudioSession::registerNotify },
        { "unregister", &AudioSession::unregisterNotify }, { "mixers", &AudioSession::mixerCount },
        { "mixerCaps", &AudioSession::mixerCaps },    { "mixerOpen", &AudioSession::mixerOpen },
        { "mixerClose", &AudioSession::mixerClose },
    };
    return table;
}

juce::var AudioSession::answer (const juce::var& request)
{
    auto* reply = new juce::DynamicObject();
    juce::var result (reply);
    reply->setProperty ("r", number (request, "q", -1));
    const auto it = handlers().find (request["op"].toString());
    reply->setProperty ("hr", it == handlers().end() ? (juce::int64) E_NOTIMPL : (this->*(it->second)) (request, *reply));
    return result;
}

//==============================================================================
juce::int64 AudioSession::enumEndpoints (const juce::var& q, juce::DynamicObject& reply)
{
    juce::StringArray ids;
    const auto hr = service.enumAudioEndpoints ((EDataFlow) word (q, "flow"), word (q, "mask"), ids);
    juce::Array<juce::var> list;
    for (auto& id : ids)
        list.add (id);
    reply.setProperty ("ids", list);
    return hr;
}

juce::int64 AudioSession::state (const juce::var& q, juce::DynamicObject& reply)
{
    uint32_t value = 0;
    const auto hr = service.getState (q["id"].toString(), value);
    reply.setProperty ("state", (juce::int64) value);
    return hr;
}

juce::int64 AudioSession::activate (const juce::var& q, juce::DynamicObject&)
{
    AudioService::Interface what;
    if (! interfaceFromName (q["what"].toString(), what))
        return E_NOINTERFACE;
    return service.activate (q["id"].toString(), what);
}

juce::int64 AudioSession::connectedTo (const juce::var& q, juce::DynamicObject& reply)
{
    juce::String device;
    const auto hr = service.getDeviceIdConnectedTo (q["id"].toString(), word (q, "connector"), device);
    reply.setProperty ("device", device);
    return hr;
}

juce::int64 AudioSession::ksProperty (const juce::var& q, juce::DynamicObject& reply)
{
    KsProperty property;
    if (! guidFromString (q["set"].toString(), property.set))
        return E_INVALIDARG;
    property.id = word (q, "pid");
    property.flags = word (q, "flags");
    std::vector<uint8_t> data (std::min (word (q, "size"), maxPropertyBytes));
    uint32_t returned = 0;
    const auto hr = service.ksProperty (q["id"].toString(), property, data.data(), (uint32_t) data.size(), returned);
    reply.setProperty ("data", bytesToHex (data.data(), std::min<size_t> (returned, data.size())));
    return hr;
}

juce::int64 AudioSession::channels (const juce::var& q, juce::DynamicObject& reply)
{
    uint32_t count = 0;
    const auto hr = service.getChannelCount (q["id"].toString(), count);
    reply.setProperty ("count", (juce::int64) count);
    return hr;
}

juce::int64 AudioSession::range (const juce::var& q, juce::DynamicObject& reply)
{
    float minDb = 0, maxDb = 0, incrementDb = 0;
    const auto hr = service.getVolumeRange (q["id"].toString(), minDb, maxDb, incrementDb);
    reply.setProperty ("min", (double) minDb);
    reply.setProperty ("max", (double) maxDb);
    reply.setProperty ("increment", (double) incrementDb);
    return hr;
}

juce::int64 AudioSession::setLevel (const juce::var& q, juce::DynamicObject&)
{
    const auto& db = q["db"];
    if (! (db.isDouble() || db.isInt() || db.isInt64()))
        return E_INVALIDARG;
    return service.setChannelVolumeLevel (q["id"].toString(), word (q, "ch"), (float) (double) db, contextOf (q));
}

juce::int64 AudioSession::getLevel (const juce::var& q, juce::DynamicObject& reply)
{
    float db = 0;
    const auto hr = service.getChannelVolumeLevel (q["id"].toString(), word (q, "ch"), db);
    reply.setProperty ("db", (double) db);
    return hr;
}

juce::int64 AudioSession::setMute (const juce::var& q, juce::DynamicObject&)
{
    return service.setMute (q["id"].toString(), (bool) q["mute"], contextOf (q));
}

juce::int64 AudioSession::getMute (const juce::var& q, juce::DynamicObject& reply)
{
    bool mute = false;
    const auto hr = service.getMute (q["id"].toString(), mute);
    reply.setProperty ("mute", mute);
    return hr;
}

bool AudioSession::isKnown (const std::map<uint64_t, uint64_t>& table, uint64_t mine)
{
    const std::lock_guard<std::mutex> guard (lock);
    return table.count (mine) != 0;
}

void AudioSession::remember (std::map<uint64_t, uint64_t>& table, uint64_t mine, uint64_t theirs)
{
    const std::lock_guard<std::mutex> guard (lock);
    table[mine] = theirs;
}

std::optional<uint64_t> AudioSession::forget (std::map<uint64_t, uint64_t>& table, uint64_t mine)
{
    const std::lock_guard<std::mutex> guard (lock);
    auto it = table.find (mine);
    if (it == table.end())
        return std::nullopt;
    const auto theirs = it->second;
    table.erase (it);
    return theirs;
}

juce::int64 AudioSession::registerNotify (const juce::var& q, juce::DynamicObject&)
{
    const auto mine = (uint64_t) number (q, "cookie");
    const auto theirs = AudioService::nextToken();
    if (isKnown (cookies, mine))
        return E_INVALIDARG;
    const auto hr = service.registerNotify (q["id"].toString(), theirs, [this, mine] (const AudioVolumeNotificationData& data) {
        send (notificationToVar (mine, data));
    });
    if (SUCCEEDED (hr))
        remember (cookies, mine, theirs);
    return hr;
}

juce::int64 AudioSession::unregisterNotify (const juce::var& q, juce::DynamicObject&)
{
    const auto theirs = forget (cookies, (uint64_t) number (q, "cookie"));
    if (! theirs)
        return E_INVALIDARG;
    service.unregisterNotify (*theirs);
    return S_OK;
}

juce::int64 AudioSession::mixerCount (const juce::var&, juce::DynamicObject& reply)
{
    reply.setProperty ("count", (juce::int64) service.mixerGetNumDevs());
    return S_OK;
}

juce::int64 AudioSession::mixerCaps (const juce::var& q, juce::DynamicObject& reply)
{
    MixerCaps caps;
    const auto result = service.mixerGetDevCaps (word (q, "mixer"), caps);
    if (result == MMSYSERR_NOERROR)
        reply.setProperty ("caps", capsToVar (caps));
    return result;
}

juce::int64 AudioSession::mixerOpen (const juce::var& q, juce::DynamicObject&)
{
    const auto mine = (uint64_t) number (q, "handle");
    const auto theirs = AudioService::nextToken();
    if (isKnown (mixers, mine))
        return MMSYSERR_INVALHANDLE;
    const auto result = service.mixerOpen (word (q, "mixer"), theirs, [this, mine] (uint32_t message, uintptr_t, intptr_t lParam) {
        auto* o = new juce::DynamicObject();
        o->setProperty ("m", (juce::int64) mine);
        o->setProperty ("msg", (juce::int64) message);
        o->setProperty ("w", (juce::int64) mine); // the client's handle value
        o->setProperty ("l", (juce::int64) lParam);
        send (juce::var (o));
    });
    if (result == MMSYSERR_NOERROR)
        remember (mixers, mine, theirs);
    return result;
}

juce::int64 AudioSession::mixerClose (const juce::var& q, juce::DynamicObject&)
{
    const auto theirs = forget (mixers, (uint64_t) number (q, "handle"));
    if (! theirs)
        return MMSYSERR_INVALHANDLE;
    service.mixerClose (*theirs);
    return MMSYSERR_NOERROR;
}

} // namespace arx::sim
