#include "platform/AudioBusClient.h"

#include "platform/AudioWire.h"

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace arx::platform
{

using namespace audiowire;

std::shared_ptr<AudioBusClient> AudioBusClient::connect (const juce::File& socketFile)
{
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    const auto path = socketFile.getFullPathName();
    if ((size_t) path.getNumBytesAsUTF8() >= sizeof (addr.sun_path))
        return nullptr;
    std::strncpy (addr.sun_path, path.toRawUTF8(), sizeof (addr.sun_path) - 1);

    const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    if (::connect (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) != 0)
    {
        ::close (fd);
        return nullptr;
    }
    // Reads wait as long as it takes (changes come when they come); a send that cannot go
    // out breaks the connection.
    timeval tv { replyTimeoutMs / 1000, 0 };
    ::setsockopt (fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof (tv));
    return std::make_shared<AudioBusClient> (fd);
}

AudioBusClient::AudioBusClient (int connectedSocket) : fd (connectedSocket)
{
    reader = std::thread ([this] { readLoop(); });
}

AudioBusClient::~AudioBusClient()
{
    ::shutdown (fd, SHUT_RDWR);
    if (reader.joinable())
    {
        // Released from inside one of its own callbacks: the loop ends on the shut socket.
        if (reader.get_id() == std::this_thread::get_id())
            reader.detach();
        else
            reader.join();
    }
    ::close (fd);
}

bool AudioBusClient::isBroken() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return broken;
}

//==============================================================================
juce::DynamicObject::Ptr AudioBusClient::request (const char* op)
{
    juce::DynamicObject::Ptr o (new juce::DynamicObject());
    o->setProperty ("op", op);
    return o;
}

juce::var AudioBusClient::call (juce::DynamicObject::Ptr req)
{
    juce::int64 sequence = 0;
    {
        const std::lock_guard<std::mutex> guard (lock);
        if (broken)
            return {};
        sequence = ++lastSequence;
        replies[sequence] = juce::var(); // waiting
    }
    req->setProperty ("q", sequence);

    bool sent = false;
    {
        const std::lock_guard<std::mutex> guard (writeLock);
        sent = sendLine (fd, juce::var (req.get()));
    }
    if (! sent)
        breakConnection();

    std::unique_lock<std::mutex> guard (lock);
    replied.wait_for (guard, std::chrono::milliseconds (replyTimeoutMs),
                      [&] { return broken || ! replies[sequence].isVoid(); });
    auto reply = replies[sequence];
    replies.erase (sequence);
    return reply;
}

HRESULT AudioBusClient::callForResult (juce::DynamicObject::Ptr req, juce::var& reply)
{
    reply = call (std::move (req));
    if (! reply.isObject())
        return isBroken() ? AUDCLNT_E_SERVICE_NOT_RUNNING : HRESULT_TIMEOUT;
    return (HRESULT) (int32_t) number (reply, "hr", E_FAIL);
}

HRESULT AudioBusClient::ask (const char* op, std::initializer_list<std::pair<const char*, juce::var>> arguments,
                             juce::var& reply)
{
    auto req = request (op);
    for (const auto& [name, value] : arguments)
        req->setProperty (name, value);
    return callForResult (req, reply);
}

//==============================================================================
void AudioBusClient::readLoop()
{
    LineReader lines (fd);
    juce::String line;
    while (lines.next (line) == LineReader::Result::ok)
        handleLine (line);
    breakConnection();
}

void AudioBusClient::handleLine (const juce::String& line)
{
    const auto message = juce::JSON::parse (line);
    if (! message.isObject())
        return; // not ours to act on

    if (message.hasProperty ("r"))
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto it = replies.find (number (message, "r", -1));
        if (it != replies.end() && it->second.isVoid())
        {
            it->second = message;
            replied.notify_all();
        }
    }
    else if (message.hasProperty ("n"))
        deliverVolume (message);
    else if (message.hasProperty ("m"))
        deliverMixer (message);
}

void AudioBusClient::deliverVolume (const juce::var& line)
{
    AudioVolumeNotificationData data;
    if (! notificationFromVar (line, data))
        return;
    std::shared_ptr<VolumeSubscription> subscription;
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto it = volumeSubscriptions.find ((uint64_t) number (line, "n"));
        if (it == volumeSubscriptions.end())
            return; // unregistered meanwhile
        subscription = it->second;
    }
    subscription->call (data);
}

void AudioBusClient::deliverMixer (const juce::var& line)
{
    std::shared_ptr<MixerSubscription> subscription;
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto it = mixerSubscriptions.find ((uint64_t) number (line, "m"));
        if (it == mixerSubscriptions.end())
            return;
        subscription = it->second;
    }
    subscription->call ((uint32_t) number (line, "msg"), (uintptr_t) number (line, "w"), (intptr_t) number (line, "l"));
}

void AudioBusClient::breakConnection()
{
    const std::lock_guard<std::mutex> guard (lock);
    broken = true;
    replied.notify_all();
}

template <typename Sub>
void AudioBusClient::subscribe (std::map<uint64_t, std::shared_ptr<Sub>>& subscriptions, uint64_t key,
                                typename Sub::Function function)
{
    const std::lock_guard<std::mutex> guard (lock);
    subscriptions[key] = std::make_shared<Sub> (std::move (function));
}

template <typename Sub>
bool AudioBusClient::cancel (std::map<uint64_t, std::shared_ptr<Sub>>& subscriptions, uint64_t key)
{
    std::shared_ptr<Sub> subscription;
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto it = subscriptions.find (key);
        if (it == subscriptions.end())
            return false;
        subscription = it->second;
        subscriptions.erase (it);
    }
    subscription->cancel(); // waits for a call under way on the reader thread
    return true;
}

void AudioBusClient::tellEnded (const char* op, const char* field, uint64_t key)
{
    auto req = request (op);
    req->setProperty (field, (juce::int64) key);
    call (req);
}

//==============================================================================
HRESULT AudioBusClient::enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, juce::StringArray& ids)
{
    juce::var reply;
    const auto hr = ask ("enum", { { "flow", (int) flow }, { "mask", (juce::int64) stateMask } }, reply);
    ids.clear();
    if (SUCCEEDED (hr))
        if (auto* list = reply["ids"].getArray())
            for (auto& id : *list)
                ids.add (id.toString());
    return hr;
}

HRESULT AudioBusClient::getState (const juce::String& id, uint32_t& state)
{
    juce::var reply;
    const auto hr = ask ("state", { { "id", id } }, reply);
    if (SUCCEEDED (hr))
        state = (uint32_t) number (reply, "state");
    return hr;
}

HRESULT AudioBusClient::activate (const juce::String& id, Interface what)
{
    juce::var reply;
    return ask ("activate", { { "id", id }, { "what", interfaceName (what) } }, reply);
}

HRESULT AudioBusClient::getDeviceIdConnectedTo (const juce::String& endpointId, uint32_t connector, juce::String& deviceId)
{
    juce::var reply;
    const auto hr = ask ("connectedTo", { { "id", endpointId }, { "connector", (juce::int64) connector } }, reply);
    if (SUCCEEDED (hr))
        deviceId = reply["device"].toString();
    return hr;
}

HRESULT AudioBusClient::ksProperty (const juce::String& id, const KsProperty& property, void* data, uint32_t dataSize,
                                    uint32_t& returned)
{
    returned = 0;
    juce::var reply;
    const auto hr = ask ("ks", { { "id", id }, { "set", guidToString (property.set) }, { "pid", (juce::int64) property.id },
                                 { "flags", (juce::int64) property.flags }, { "size", (juce::int64) dataSize } }, reply);
    if (FAILED (hr))
        return hr;
    std::vector<uint8_t> bytes;
    if (! hexToBytes (reply["data"].toString(), bytes) || bytes.size() > dataSize || (data == nullptr && ! bytes.empty()))
        return E_FAIL;
    if (! bytes.empty())
        std::memcpy (data, bytes.data(), bytes.size());
    returned = (uint32_t) bytes.size();
    return hr;
}

HRESULT AudioBusClient::getChannelCount (const juce::String& endpointId, uint32_t& count)
{
    juce::var reply;
    const auto hr = ask ("channels", { { "id", endpointId } }, reply);
    if (SUCCEEDED (hr))
        count = (uint32_t) number (reply, "count");
    return hr;
}

HRESULT AudioBusClient::getVolumeRange (const juce::String& endpointId, float& minDb, float& maxDb, float& incrementDb)
{
    juce::var reply;
    const auto hr = ask ("range", { { "id", endpointId } }, reply);
    if (SUCCEEDED (hr))
    {
        minDb = (float) (double) reply["min"];
        maxDb = (float) (double) reply["max"];
        incrementDb = (float) (double) reply["increment"];
    }
    return hr;
}

HRESULT AudioBusClient::setChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float levelDb,
                                               const Guid& context)
{
    juce::var reply;
    return ask ("setLevel", { { "id", endpointId }, { "ch", (juce::int64) channel }, { "db", (double) levelDb },
                              { "ctx", guidToString (context) } }, reply);
}

HRESULT AudioBusClient::getChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float& levelDb)
{
    juce::var reply;
    const auto hr = ask ("getLevel", { { "id", endpointId }, { "ch", (juce::int64) channel } }, reply);
    if (SUCCEEDED (hr))
        levelDb = (float) (double) reply["db"];
    return hr;
}

HRESULT AudioBusClient::setMute (const juce::String& endpointId, bool mute, const Guid& context)
{
    juce::var reply;
    return ask ("setMute", { { "id", endpointId }, { "mute", mute }, { "ctx", guidToString (context) } }, reply);
}

HRESULT AudioBusClient::getMute (const juce::String& endpointId, bool& mute)
{
    juce::var reply;
    const auto hr = ask ("getMute", { { "id", endpointId } }, reply);
    if (SUCCEEDED (hr))
        mute = (bool) reply["mute"];
    return hr;
}

HRESULT AudioBusClient::registerNotify (const juce::String& endpointId, uint64_t cookie, VolumeNotify notify)
{
    // Before the request: a change may be pushed ahead of the reply.
    subscribe (volumeSubscriptions, cookie, std::move (notify));
    juce::var reply;
    const auto hr = ask ("register", { { "id", endpointId }, { "cookie", (juce::int64) cookie } }, reply);
    if (FAILED (hr))
        cancel (volumeSubscriptions, cookie);
    return hr;
}

void AudioBusClient::unregisterNotify (uint64_t cookie)
{
    if (cancel (volumeSubscriptions, cookie))
        tellEnded ("unregister", "cookie", cookie);
}

uint32_t AudioBusClient::mixerGetNumDevs()
{
    juce::var reply;
    if (callForResult (request ("mixers"), reply) != S_OK)
        return 0;
    return (uint32_t) juce::jlimit<juce::int64> (0, 0xFFFF, number (reply, "count"));
}

MMRESULT AudioBusClient::mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps)
{
    auto req = request ("mixerCaps");
    req->setProperty ("mixer", (juce::int64) mixerId);
    const auto reply = call (req);
    if (! reply.isObject())
        return MMSYSERR_NODRIVER;
    const auto result = (MMRESULT) number (reply, "hr", MMSYSERR_ERROR);
    if (result == MMSYSERR_NOERROR)
        caps = capsFromVar (reply["caps"]);
    return result;
}

MMRESULT AudioBusClient::mixerOpen (uint32_t mixerId, uint64_t handle, MixerPost post)
{
    subscribe (mixerSubscriptions, handle, std::move (post));
    auto req = request ("mixerOpen");
    req->setProperty ("mixer", (juce::int64) mixerId);
    req->setProperty ("handle", (juce::int64) handle);
    const auto reply = call (req);
    const auto result = reply.isObject() ? (MMRESULT) number (reply, "hr", MMSYSERR_ERROR) : MMSYSERR_NODRIVER;
    if (result != MMSYSERR_NOERROR)
        cancel (mixerSubscriptions, handle);
    return result;
}

void AudioBusClient::mixerClose (uint64_t handle)
{
    if (cancel (mixerSubscriptions, handle))
        tellEnded ("mixerClose", "handle", handle);
}

} // namespace arx::platform
