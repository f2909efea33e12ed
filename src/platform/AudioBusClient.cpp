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
std::shared_ptr<Sub> AudioBusClient::take (std::map<uint64_t, std::shared_ptr<Sub>>& subscriptions, uint64_t key)
{
    const std::lock_guard<std::mutex> guard (lock);
    auto it = subscriptions.find (key);
    if (it == subscriptions.end())
        return nullptr;
    auto subscription = it->second;
    subscriptions.erase (it);
    return subscription;
}

//==============================================================================
HRESULT AudioBusClient::enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, juce::StringArray& ids)
{
    auto req = request ("enum");
    req->setProperty ("flow", (int) flow);
    req->setProperty ("mask", (juce::int64) stateMask);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    ids.clear();
    if (SUCCEEDED (hr))
        if (auto* list = reply["ids"].getArray())
            for (auto& id : *list)
                ids.add (id.toString());
    return hr;
}

HRESULT AudioBusClient::getState (const juce::String& id, uint32_t& state)
{
    auto req = request ("state");
    req->setProperty ("id", id);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    if (SUCCEEDED (hr))
        state = (uint32_t) number (reply, "state");
    return hr;
}

HRESULT AudioBusClient::activate (const juce::String& id, Interface what)
{
    auto req = request ("activate");
    req->setProperty ("id", id);
    req->setProperty ("what", interfaceName (what));
    juce::var reply;
    return callForResult (req, reply);
}

HRESULT AudioBusClient::getDeviceIdConnectedTo (const juce::String& endpointId, uint32_t connector, juce::String& deviceId)
{
    auto req = request ("connectedTo");
    req->setProperty ("id", endpointId);
    req->setProperty ("connector", (juce::int64) connector);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    if (SUCCEEDED (hr))
        deviceId = reply["device"].toString();
    return hr;
}

HRESULT AudioBusClient::ksProperty (const juce::String& id, const KsProperty& property, void* data, uint32_t dataSize,
                                    uint32_t& returned)
{
    returned = 0;
    auto req = request ("ks");
    req->setProperty ("id", id);
    req->setProperty ("set", guidToString (property.set));
    req->setProperty ("pid", (juce::int64) property.id);
    req->setProperty ("flags", (juce::int64) property.flags);
    req->setProperty ("size", (juce::int64) dataSize);
    juce::var reply;
    const auto hr = callForResult (req, reply);
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
    auto req = request ("channels");
    req->setProperty ("id", endpointId);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    if (SUCCEEDED (hr))
        count = (uint32_t) number (reply, "count");
    return hr;
}

HRESULT AudioBusClient::getVolumeRange (const juce::String& endpointId, float& minDb, float& maxDb, float& incrementDb)
{
    auto req = request ("range");
    req->setProperty ("id", endpointId);
    juce::var reply;
    const auto hr = callForResult (req, reply);
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
    auto req = request ("setLevel");
    req->setProperty ("id", endpointId);
    req->setProperty ("ch", (juce::int64) channel);
    req->setProperty ("db", (double) levelDb);
    req->setProperty ("ctx", guidToString (context));
    juce::var reply;
    return callForResult (req, reply);
}

HRESULT AudioBusClient::getChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float& levelDb)
{
    auto req = request ("getLevel");
    req->setProperty ("id", endpointId);
    req->setProperty ("ch", (juce::int64) channel);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    if (SUCCEEDED (hr))
        levelDb = (float) (double) reply["db"];
    return hr;
}

HRESULT AudioBusClient::setMute (const juce::String& endpointId, bool mute, const Guid& context)
{
    auto req = request ("setMute");
    req->setProperty ("id", endpointId);
    req->setProperty ("mute", mute);
    req->setProperty ("ctx", guidToString (context));
    juce::var reply;
    return callForResult (req, reply);
}

HRESULT AudioBusClient::getMute (const juce::String& endpointId, bool& mute)
{
    auto req = request ("getMute");
    req->setProperty ("id", endpointId);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    if (SUCCEEDED (hr))
        mute = (bool) reply["mute"];
    return hr;
}

HRESULT AudioBusClient::registerNotify (const juce::String& endpointId, uint64_t cookie, VolumeNotify notify)
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        // Before the request: a change may be pushed ahead of the reply.
        volumeSubscriptions[cookie] = std::make_shared<VolumeSubscription> (std::move (notify));
    }
    auto req = request ("register");
    req->setProperty ("id", endpointId);
    req->setProperty ("cookie", (juce::int64) cookie);
    juce::var reply;
    const auto hr = callForResult (req, reply);
    if (FAILED (hr))
        if (auto subscription = take (volumeSubscriptions, cookie))
            subscription->cancel();
    return hr;
}

void AudioBusClient::unregisterNotify (uint64_t cookie)
{
    auto subscription = take (volumeSubscriptions, cookie);
    if (subscription == nullptr)
        return;
    subscription->cancel();
    auto req = request ("unregister");
    req->setProperty ("cookie", (juce::int64) cookie);
    call (req);
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
    {
        const std::lock_guard<std::mutex> guard (lock);
        mixerSubscriptions[handle] = std::make_shared<MixerSubscription> (std::move (post));
    }
    auto req = request ("mixerOpen");
    req->setProperty ("mixer", (juce::int64) mixerId);
    req->setProperty ("handle", (juce::int64) handle);
    const auto reply = call (req);
    const auto result = reply.isObject() ? (MMRESULT) number (reply, "hr", MMSYSERR_ERROR) : MMSYSERR_NODRIVER;
    if (result != MMSYSERR_NOERROR)
        if (auto subscription = take (mixerSubscriptions, handle))
            subscription->cancel();
    return result;
}

void AudioBusClient::mixerClose (uint64_t handle)
{
    auto subscription = take (mixerSubscriptions, handle);
    if (subscription == nullptr)
        return;
    subscription->cancel();
    auto req = request ("mixerClose");
    req->setProperty ("handle", (juce::int64) handle);
    call (req);
}

} // namespace arx::platform
