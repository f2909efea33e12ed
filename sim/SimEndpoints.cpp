#include "sim/SimEndpoints.h"

#include "device/GainCode.h"
#include "sim/DeviceLab.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace arx::sim
{

using namespace arx::platform;

namespace
{
constexpr HRESULT insufficientBuffer = (HRESULT) 0x8007007A; // HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)
constexpr const char* renderPrefix = "{0.0.0.00000000}.{";
constexpr const char* capturePrefix = "{0.0.1.00000000}.{";
constexpr size_t changeLogLimit = 1000;
constexpr intptr_t volumeControlId = 1, muteControlId = 2;

bool isDigital (uint8_t kind) { return kind >= 1 && kind <= 3; }

juce::String groupName (uint8_t kind)
{
    return kind == 0 ? "Analog" : kind == 5 ? "Headphones" : "Output";
}

float scalarOf (float dB)
{
    return (dB - SimEndpoints::minLevelDb) / (SimEndpoints::maxLevelDb - SimEndpoints::minLevelDb);
}

uint64_t guidFromHwinfo (const juce::MemoryBlock* hwinfo)
{
    if (hwinfo == nullptr || hwinfo->getSize() < 12)
        return 0;
    uint32_t high = 0, low = 0;
    std::memcpy (&high, static_cast<const uint8_t*> (hwinfo->getData()) + 4, 4);
    std::memcpy (&low, static_cast<const uint8_t*> (hwinfo->getData()) + 8, 4);
    return (uint64_t (juce::ByteOrder::swapIfBigEndian (high)) << 32) | juce::ByteOrder::swapIfBigEndian (low);
}
} // namespace

SimEndpoints::SimEndpoints (DeviceLab& l) : lab (&l)
{
    // The onboard sound card: a render endpoint whose driver knows nothing of the ARX.
    Card onboard;
    Endpoint speakers;
    speakers.id = juce::String (renderPrefix) + "onboard/speakers}";
    speakers.name = "Speakers (Onboard Audio)";
    speakers.driverId = "{2}.\\\\?\\hdaudio#onboard#wave";
    speakers.mixerName = "Onboard Audio out";
    speakers.channelCount = 2;
    speakers.levels.assign (2, -20.0f);
    onboard.endpoints.push_back (speakers);
    cards.emplace (juce::String(), std::move (onboard));

    notifier = std::thread ([this] { runNotifications(); });
}

SimEndpoints::~SimEndpoints() { shutdown(); }

void SimEndpoints::shutdown()
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        lab = nullptr;
        stopping = true;
    }
    jobsChanged.notify_all();
    if (notifier.joinable())
        notifier.join();
}

void SimEndpoints::setServiceAvailable (bool available)
{
    const std::lock_guard<std::mutex> guard (lock);
    serviceAvailable = available;
}

bool SimEndpoints::isServiceAvailable() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return serviceAvailable && lab != nullptr;
}

//==============================================================================
SimEndpoints::Card SimEndpoints::makeCard (SimDevice& device) const
{
    Card card;
    card.device = &device;
    card.guid = guidFromHwinfo (device.hwinfoValue());
    const auto& profile = device.profile();
    const auto mixer = device.mixer();
    const auto name = device.uniqueName();
    const int playbacks = std::min ((int) profile.playbackCount1x, SimMixer::channels);

    int channel = 0;
    for (const auto& group : profile.outputGroups)
    {
        const int first = channel;
        channel += group.channels;
        const int count = std::min (channel, playbacks) - first;
        if (isDigital (group.kind) || count <= 0)
            continue;

        Endpoint e;
        const auto range = juce::String (first + 1) + "-" + juce::String (first + count);
        e.id = renderPrefix + name + "/out " + range + "}";
        e.name = groupName (group.kind) + " " + range + " (" + name + ")";
        e.driverId = "{2}.\\\\?\\arxsim#" + name + "#wave-out-" + juce::String (first);
        e.mixerName = (name + " out " + range).substring (0, MAXPNAMELEN - 1);
        e.firstChannel = (uint32_t) first;
        e.channelCount = (uint32_t) count;
        // The driver starts from what the device plays at.
        for (int i = 0; i < count; ++i)
            e.levels.push_back (juce::jlimit (minLevelDb, maxLevelDb, codeToGain (mixer.playbackGain[first + i])));
        e.mute = mixer.playbackMute[first] != 0;
        card.endpoints.push_back (e);
    }

    Endpoint in;
    in.id = capturePrefix + name + "/in}";
    in.name = "Line In (" + name + ")";
    in.driverId = "{2}.\\\\?\\arxsim#" + name + "#wave-in";
    in.mixerName = (name + " in").substring (0, MAXPNAMELEN - 1);
    in.flow = eCapture;
    in.channelCount = 2;
    in.levels.assign (2, 0.0f);
    card.endpoints.push_back (in);
    return card;
}

bool SimEndpoints::syncLocked()
{
    if (lab == nullptr)
        return false;
    for (auto& [name, card] : cards)
        if (card.device != nullptr)
            card.present = false;

    for (auto* device : lab->devices())
    {
        if (device->hwinfoValue() == nullptr)
            continue; // no description: the driver does not start
        auto it = cards.find (device->uniqueName());
        if (it == cards.end() || it->second.device != device)
            it = cards.insert_or_assign (device->uniqueName(), makeCard (*device)).first; // plugged (again)
        it->second.present = true;
    }
    return true;
}

uint32_t SimEndpoints::stateOf (const Card& card) const noexcept
{
    if (! card.present)
        return DEVICE_STATE_NOTPRESENT;
    return card.enabled ? DEVICE_STATE_ACTIVE : DEVICE_STATE_DISABLED;
}

SimEndpoints::Found SimEndpoints::findLocked (const juce::String& id)
{
    for (auto& [name, card] : cards)
        for (auto& e : card.endpoints)
            if (e.id == id || e.driverId == id)
                return { &card, &e, e.driverId == id };
    return {};
}

// An endpoint (not a driver) that can be used now.
HRESULT SimEndpoints::activeEndpointLocked (const juce::String& id, Found& found)
{
    if (! syncLocked())
        return AUDCLNT_E_SERVICE_NOT_RUNNING;
    found = findLocked (id);
    if (found.endpoint == nullptr || found.isDriver)
        return E_NOTFOUND;
    return stateOf (*found.card) == DEVICE_STATE_ACTIVE ? S_OK : AUDCLNT_E_DEVICE_INVALIDATED;
}

//==============================================================================
HRESULT SimEndpoints::enumAudioEndpoints (EDataFlow flow, uint32_t stateMask, juce::StringArray& ids)
{
    const std::lock_guard<std::mutex> guard (lock);
    ids.clear();
    if (! syncLocked())
        return AUDCLNT_E_SERVICE_NOT_RUNNING;
    if (flow > eAll || (stateMask & ~DEVICE_STATEMASK_ALL) != 0)
        return E_INVALIDARG;
    for (auto& [name, card] : cards)
        for (auto& e : card.endpoints)
            if ((flow == eAll || e.flow == flow) && (stateOf (card) & stateMask) != 0)
                ids.add (e.id);
    return S_OK;
}

HRESULT SimEndpoints::getState (const juce::String& id, uint32_t& state)
{
    const std::lock_guard<std::mutex> guard (lock);
    if (! syncLocked())
        return AUDCLNT_E_SERVICE_NOT_RUNNING;
    const auto found = findLocked (id);
    if (found.endpoint == nullptr || (found.isDriver && ! found.card->present))
        return E_NOTFOUND;
    state = found.isDriver ? DEVICE_STATE_ACTIVE : stateOf (*found.card);
    return S_OK;
}

HRESULT SimEndpoints::activate (const juce::String& id, Interface what)
{
    const std::lock_guard<std::mutex> guard (lock);
    if (! syncLocked())
        return AUDCLNT_E_SERVICE_NOT_RUNNING;
    const auto found = findLocked (id);
    if (found.endpoint == nullptr)
        return E_NOTFOUND;
    if (found.isDriver != (what == Interface::ksControl))
        return E_NOINTERFACE;
    const auto ready = found.isDriver ? found.card->present : stateOf (*found.card) == DEVICE_STATE_ACTIVE;
    return ready ? S_OK : AUDCLNT_E_DEVICE_INVALIDATED;
}

HRESULT SimEndpoints::getDeviceIdConnectedTo (const juce::String& endpointId, uint32_t connector, juce::String& deviceId)
{
    return withEndpoint (endpointId, [&] (Found& found) {
        if (connector != 0)
            return E_INVALIDARG;
        deviceId = found.endpoint->driverId;
        return S_OK;
    });
}

HRESULT SimEndpoints::ksProperty (const juce::String& id, const KsProperty& property, void* data, uint32_t dataSize,
                                  uint32_t& returned)
{
    const std::lock_guard<std::mutex> guard (lock);
    returned = 0;
    if (! syncLocked())
        return AUDCLNT_E_SERVICE_NOT_RUNNING;
    const auto found = findLocked (id);
    if (found.endpoint == nullptr || ! found.isDriver)
        return E_NOTFOUND;
    if (! found.card->present)
        return AUDCLNT_E_DEVICE_INVALIDATED;
    if (found.card->device == nullptr || ! (property.set == KSPROPSETID_ArxDevice))
        return HRESULT_SET_NOT_FOUND;
    if (property.id != KSPROPERTY_ARX_ENDPOINT)
        return E_NOTFOUND;
    if (property.flags != KSPROPERTY_TYPE_GET)
        return E_INVALIDARG;
    if (data == nullptr)
        return E_POINTER;
    if (dataSize < sizeof (ArxEndpointProperty))
        return insufficientBuffer;

    const ArxEndpointProperty reply { (uint32_t) found.card->guid, (uint32_t) (found.card->guid >> 32),
                                      found.endpoint->firstChannel, found.endpoint->channelCount };
    std::memcpy (data, &reply, sizeof (reply));
    returned = sizeof (reply);
    return S_OK;
}

template <typename Use>
HRESULT SimEndpoints::withEndpoint (const juce::String& endpointId, Use use)
{
    const std::lock_guard<std::mutex> guard (lock);
    Found found;
    const auto hr = activeEndpointLocked (endpointId, found);
    return FAILED (hr) ? hr : use (found);
}

HRESULT SimEndpoints::getChannelCount (const juce::String& endpointId, uint32_t& count)
{
    return withEndpoint (endpointId, [&] (Found& found) {
        count = found.endpoint->channelCount;
        return S_OK;
    });
}

HRESULT SimEndpoints::getVolumeRange (const juce::String& endpointId, float& minDb, float& maxDb, float& incrementDb)
{
    return withEndpoint (endpointId, [&] (Found&) {
        minDb = minLevelDb;
        maxDb = maxLevelDb;
        incrementDb = levelStepDb;
        return S_OK;
    });
}

HRESULT SimEndpoints::setChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float levelDb,
                                             const Guid& context)
{
    return withEndpoint (endpointId, [&] (Found& found) { return setLevelLocked (found, channel, levelDb, context); });
}

HRESULT SimEndpoints::getChannelVolumeLevel (const juce::String& endpointId, uint32_t channel, float& levelDb)
{
    return withEndpoint (endpointId, [&] (Found& found) {
        if (channel >= found.endpoint->channelCount)
            return E_INVALIDARG;
        levelDb = found.endpoint->levels[channel];
        return S_OK;
    });
}

HRESULT SimEndpoints::setMute (const juce::String& endpointId, bool mute, const Guid& context)
{
    return withEndpoint (endpointId, [&] (Found& found) { return setMuteLocked (found, mute, context); });
}

HRESULT SimEndpoints::getMute (const juce::String& endpointId, bool& mute)
{
    return withEndpoint (endpointId, [&] (Found& found) {
        mute = found.endpoint->mute;
        return S_OK;
    });
}

//==============================================================================
HRESULT SimEndpoints::setLevelLocked (Found& found, uint32_t channel, float levelDb, const Guid& context)
{
    auto& e = *found.endpoint;
    if (channel >= e.channelCount || std::isnan (levelDb) || levelDb < minLevelDb || levelDb > maxLevelDb)
        return E_INVALIDARG;
    if (e.levels[channel] == levelDb)
        return S_OK; // no change, nothing to tell
    e.levels[channel] = levelDb;
    if (found.card->device != nullptr && e.flow == eRender)
        found.card->device->applyDriverPlaybackGain ((int) (e.firstChannel + channel), gainToCode (levelDb));
    announceLocked (e, context, volumeControlId);
    return S_OK;
}

HRESULT SimEndpoints::setMuteLocked (Found& found, bool mute, const Guid& context)
{
    auto& e = *found.endpoint;
    if (e.mute == mute)
        return S_OK;
    e.mute = mute;
    if (found.card->device != nullptr && e.flow == eRender)
        for (uint32_t i = 0; i < e.channelCount; ++i)
            found.card->device->applyDriverPlaybackMute ((int) (e.firstChannel + i), mute);
    announceLocked (e, context, muteControlId);
    return S_OK;
}

void SimEndpoints::announceLocked (const Endpoint& e, const Guid& context, intptr_t controlId)
{
    AudioVolumeNotificationData data;
    data.guidEventContext = context;
    data.muted = e.mute;
    for (auto level : e.levels)
    {
        data.channelVolumes.push_back (scalarOf (level));
        data.masterVolume = std::max (data.masterVolume, scalarOf (level));
    }
    for (auto& [cookie, r] : registrations)
        if (r.endpointId == e.id)
            post ([subscription = r.subscription, data] { subscription->call (data); });
    for (auto& [handle, m] : openMixers)
        if (m.endpointId == e.id)
            post ([subscription = m.subscription, h = handle, controlId] {
                subscription->call (MM_MIXM_CONTROL_CHANGE, (uintptr_t) h, controlId);
            });

    if (changes.size() >= changeLogLimit)
        changes.pop_front();
    changes.emplace_back (e.name, context);
}

//==============================================================================
HRESULT SimEndpoints::registerNotify (const juce::String& endpointId, uint64_t cookie, VolumeNotify notify)
{
    return withEndpoint (endpointId, [&] (Found&) {
        if (registrations.count (cookie) != 0 || ! notify)
            return E_INVALIDARG;
        registrations[cookie] = { endpointId, std::make_shared<VolumeSubscription> (std::move (notify)) };
        return S_OK;
    });
}

template <typename Table>
void SimEndpoints::cancel (Table& table, uint64_t key)
{
    decltype (table.begin()->second.subscription) subscription;
    {
        const std::lock_guard<std::mutex> guard (lock);
        auto it = table.find (key);
        if (it == table.end())
            return;
        subscription = it->second.subscription;
        table.erase (it);
    }
    subscription->cancel(); // outside the lock: it waits for a call under way
}

void SimEndpoints::unregisterNotify (uint64_t cookie)
{
    cancel (registrations, cookie);
}

std::vector<std::pair<SimEndpoints::Card*, SimEndpoints::Endpoint*>> SimEndpoints::mixersLocked()
{
    std::vector<std::pair<Card*, Endpoint*>> result;
    if (! syncLocked())
        return result;
    for (auto& [name, card] : cards)
        if (card.present)
            for (auto& e : card.endpoints)
                result.emplace_back (&card, &e);
    return result;
}

uint32_t SimEndpoints::mixerGetNumDevs()
{
    const std::lock_guard<std::mutex> guard (lock);
    return (uint32_t) mixersLocked().size();
}

MMRESULT SimEndpoints::mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps)
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto mixers = mixersLocked();
    if (mixerId >= mixers.size())
        return MMSYSERR_BADDEVICEID;
    const auto& [card, e] = mixers[mixerId];
    caps = {};
    caps.manufacturerId = card->device != nullptr ? 0x75B : 1;
    caps.productId = (uint16_t) (e->flow == eRender ? 1 : 2);
    caps.driverVersion = SimDevice::driverVersionWord;
    caps.name = e->mixerName;
    caps.destinations = 1;
    return MMSYSERR_NOERROR;
}

MMRESULT SimEndpoints::mixerOpen (uint32_t mixerId, uint64_t handle, MixerPost post)
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto mixers = mixersLocked();
    if (mixerId >= mixers.size())
        return MMSYSERR_BADDEVICEID;
    if (openMixers.count (handle) != 0 || ! post)
        return MMSYSERR_INVALHANDLE;
    openMixers[handle] = { mixers[mixerId].second->id, std::make_shared<MixerSubscription> (std::move (post)) };
    return MMSYSERR_NOERROR;
}

void SimEndpoints::mixerClose (uint64_t handle)
{
    cancel (openMixers, handle);
}

//==============================================================================
juce::String SimEndpoints::changeAsOtherProgram (const juce::String& uniqueName, int playbackChannel,
                                                 std::optional<float> levelDb, std::optional<bool> mute)
{
    const std::lock_guard<std::mutex> guard (lock);
    if (! syncLocked())
        return "the lab is shutting down";
    auto it = cards.find (uniqueName);
    if (uniqueName.isEmpty() || it == cards.end() || ! it->second.present)
        return "no device named " + uniqueName;
    auto& card = it->second;
    if (stateOf (card) != DEVICE_STATE_ACTIVE)
        return "the endpoints of " + uniqueName + " are disabled";

    for (auto& e : card.endpoints)
    {
        if (e.flow != eRender || playbackChannel < (int) e.firstChannel
            || playbackChannel >= (int) (e.firstChannel + e.channelCount))
            continue;
        Found found { &card, &e, false };
        if (levelDb && FAILED (setLevelLocked (found, (uint32_t) playbackChannel - e.firstChannel, *levelDb, otherProgramContext)))
            return "the endpoint takes levels from " + juce::String (minLevelDb) + " to " + juce::String (maxLevelDb) + " dB";
        if (mute)
            setMuteLocked (found, *mute, otherProgramContext);
        return {};
    }
    return "no endpoint carries playback channel " + juce::String (playbackChannel) + " of " + uniqueName;
}

juce::String SimEndpoints::controlCommand (const juce::StringArray& args)
{
    auto isNumber = [] (const juce::String& t) { return t.isNotEmpty() && t.containsOnly ("0123456789.-") && t.getDoubleValue() == t.getDoubleValue(); };
    if (args.size() != 6 || args[2] != "channel" || ! args[3].containsOnly ("0123456789") || args[3].isEmpty()
        || (args[4] != "volume" && args[4] != "mute"))
        return "error usage: endpoint NAME channel C (volume DB | mute 0|1)";

    std::optional<float> level;
    std::optional<bool> mute;
    if (args[4] == "volume" && isNumber (args[5]))
        level = (float) args[5].getDoubleValue();
    else if (args[4] == "mute" && (args[5] == "0" || args[5] == "1"))
        mute = args[5] == "1";
    else
        return "error bad " + args[4] + " value " + args[5];

    const auto problem = changeAsOtherProgram (args[1], args[3].getIntValue(), level, mute);
    if (problem.isNotEmpty())
        return "error " + problem;
    return "ok " + juce::JSON::toString (describe (args[1]), true);
}

bool SimEndpoints::setEndpointsEnabled (const juce::String& uniqueName, bool enabled)
{
    const std::lock_guard<std::mutex> guard (lock);
    syncLocked();
    auto it = cards.find (uniqueName);
    if (uniqueName.isEmpty() || it == cards.end())
        return false;
    it->second.enabled = enabled;
    return true;
}

juce::var SimEndpoints::describe (const juce::String& uniqueName)
{
    const std::lock_guard<std::mutex> guard (lock);
    syncLocked();
    juce::Array<juce::var> list;
    auto it = cards.find (uniqueName);
    if (uniqueName.isEmpty() || it == cards.end())
        return list;
    for (auto& e : it->second.endpoints)
    {
        juce::Array<juce::var> levels;
        for (auto level : e.levels)
            levels.add ((double) level);
        auto* o = new juce::DynamicObject();
        o->setProperty ("id", e.id);
        o->setProperty ("name", e.name);
        o->setProperty ("flow", e.flow == eRender ? "render" : "capture");
        const auto state = stateOf (it->second);
        o->setProperty ("state", state == DEVICE_STATE_ACTIVE ? "active" : state == DEVICE_STATE_DISABLED ? "disabled" : "notpresent");
        o->setProperty ("firstChannel", (int) e.firstChannel);
        o->setProperty ("channels", (int) e.channelCount);
        o->setProperty ("volume", levels);
        o->setProperty ("mute", e.mute);
        o->setProperty ("mixer", e.mixerName);
        auto countFor = [&e] (const auto& table) {
            return (int) std::count_if (table.begin(), table.end(), [&e] (const auto& entry) { return entry.second.endpointId == e.id; });
        };
        o->setProperty ("clients", countFor (registrations));
        o->setProperty ("mixerHandles", countFor (openMixers));
        list.add (juce::var (o));
    }
    return list;
}

int SimEndpoints::registrationCount() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return (int) registrations.size();
}

int SimEndpoints::openMixerCount (const juce::String& mixerName) const
{
    const std::lock_guard<std::mutex> guard (lock);
    if (mixerName.isEmpty())
        return (int) openMixers.size();
    int n = 0;
    for (auto& [handle, m] : openMixers)
        for (auto& [name, card] : cards)
            for (auto& e : card.endpoints)
                if (e.id == m.endpointId && e.mixerName == mixerName)
                    ++n;
    return n;
}

std::vector<std::pair<juce::String, Guid>> SimEndpoints::changeLog() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return { changes.begin(), changes.end() };
}

//==============================================================================
void SimEndpoints::post (std::function<void()> job)
{
    jobs.push_back (std::move (job));
    jobsChanged.notify_all();
}

void SimEndpoints::flush()
{
    std::unique_lock<std::mutex> guard (lock);
    jobsChanged.wait (guard, [this] { return stopping || (jobs.empty() && ! deliveringJob); });
}

void SimEndpoints::runNotifications()
{
    std::unique_lock<std::mutex> guard (lock);
    for (;;)
    {
        jobsChanged.wait (guard, [this] { return stopping || ! jobs.empty(); });
        if (stopping)
            return;
        auto job = std::move (jobs.front());
        jobs.pop_front();
        deliveringJob = true;
        guard.unlock();
        job();
        guard.lock();
        deliveringJob = false;
        jobsChanged.notify_all();
    }
}

} // namespace arx::sim
