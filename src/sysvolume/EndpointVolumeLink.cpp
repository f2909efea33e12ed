#include "sysvolume/EndpointVolumeLink.h"

#include "device/GainCode.h"
#include "device/Device.h"
#include "platform/Platform.h"
#include "sysvolume/EndpointChangeCallback.h"

#include <cmath>

namespace arx
{

using namespace arx::platform;

namespace
{
// More playback channels than any description can mean; a larger count is not trusted.
constexpr int maxMappedChannels = 256;

void report (const juce::String& line) { juce::Logger::writeToLog (line); }
} // namespace

EndpointVolumeLink::EndpointVolumeLink (Device& d, Platform& platform) : SystemVolumeLink (d)
{
    channelMap.resize ((size_t) juce::jlimit (0, maxMappedChannels, device.info().playbackCount (48000)));

    if (FAILED (platform.createDeviceEnumerator (enumerator)) || enumerator == nullptr)
    {
        enumerator.reset();
        report ("System volume - no endpoint enumerator for " + device.uniqueName() + ", playback goes by device command");
        return;
    }

    const juce::ScopedLock sl (lock);
    scan();
}

EndpointVolumeLink::~EndpointVolumeLink()
{
    const juce::ScopedLock sl (lock);
    dropAllEndpoints();
    enumerator.reset();
}

int EndpointVolumeLink::endpointCount() const
{
    const juce::ScopedLock sl (lock);
    return (int) endpoints.size();
}

//==============================================================================
int EndpointVolumeLink::setPlaybackGain (int channel, float dB)
{
    return setGain (channel, dB, gainToCode (dB));
}

int EndpointVolumeLink::setPlaybackGainCode (int channel, uint32_t gainCode)
{
    return setGain (channel, codeToGain (gainCode), gainCode);
}

int EndpointVolumeLink::setGain (int channel, float dB, uint32_t gainCode)
{
    const juce::ScopedLock sl (lock);
    const auto* to = route (channel);
    if (to == nullptr)
        return SystemVolumeLink::setPlaybackGainCode (channel, gainCode);

    // The endpoint refuses levels outside its range; the nearest one it takes is what the
    // user would get from its own slider.
    const auto level = std::isnan (dB) ? to->minDb : juce::jlimit (to->minDb, to->maxDb, dB);
    return finish (to->volume->setChannelVolumeLevel (to->channel, level, &ownEventContext), "level", channel);
}

int EndpointVolumeLink::setPlaybackMute (int channel, bool on)
{
    const juce::ScopedLock sl (lock);
    const auto* to = route (channel);
    if (to == nullptr)
        return SystemVolumeLink::setPlaybackMute (channel, on);

    // The mute is the whole endpoint's, and it carries no context: the console hears its own.
    return finish (to->volume->setMute (on, nullptr), "mute", channel);
}

const EndpointVolumeLink::Route* EndpointVolumeLink::route (int channel)
{
    if (enumerator == nullptr)
        return nullptr;
    if (endpoints.empty())
        scan();
    if (channel < 0 || channel >= (int) channelMap.size() || channelMap[(size_t) channel].volume == nullptr)
        return nullptr;
    return &channelMap[(size_t) channel];
}

int EndpointVolumeLink::finish (HRESULT hr, const char* what, int channel)
{
    if (SUCCEEDED (hr))
        return Device::resultOk;

    // The endpoints may have gone with their device: look again on the next change.
    report ("System volume - endpoint " + juce::String (what) + " of channel " + juce::String (channel) + " failed for "
            + device.uniqueName() + " - " + juce::String::toHexString ((int) hr));
    dropAllEndpoints();
    return Device::resultTimeout;
}

//==============================================================================
void EndpointVolumeLink::scan()
{
    dropAllEndpoints();

    std::unique_ptr<MMDeviceCollection> collection;
    uint32_t count = 0;
    if (FAILED (enumerator->enumAudioEndpoints (eRender, DEVICE_STATE_ACTIVE, collection)) || collection == nullptr
        || FAILED (collection->getCount (count)))
        return;

    for (uint32_t i = 0; i < count; ++i)
    {
        std::unique_ptr<MMDevice> endpoint;
        if (SUCCEEDED (collection->item (i, endpoint)) && endpoint != nullptr)
            addEndpoint (std::move (endpoint));
    }
}

bool EndpointVolumeLink::readDriverProperty (MMDeviceEnumerator& enumerator, MMDevice& endpoint, ArxEndpointProperty& property)
{
    std::unique_ptr<DeviceTopology> topology;
    std::unique_ptr<Connector> connector;
    juce::String driverId;
    std::unique_ptr<MMDevice> driver;
    std::unique_ptr<KsControl> control;
    if (FAILED (endpoint.activateDeviceTopology (topology)) || FAILED (topology->getConnector (0, connector))
        || FAILED (connector->getDeviceIdConnectedTo (driverId)) || FAILED (enumerator.getDevice (driverId, driver))
        || FAILED (driver->activateKsControl (control)))
        return false;

    const KsProperty request { KSPROPSETID_ArxDevice, KSPROPERTY_ARX_ENDPOINT, KSPROPERTY_TYPE_GET };
    uint32_t returned = 0;
    return SUCCEEDED (control->ksProperty (request, &property, sizeof (property), returned)) && returned >= sizeof (property);
}

bool EndpointVolumeLink::addEndpoint (std::unique_ptr<MMDevice> endpoint)
{
    ArxEndpointProperty property {};
    if (! readDriverProperty (*enumerator, *endpoint, property))
        return false;
    if (((uint64_t (property.guidHigh) << 32) | property.guidLow) != device.info().guid())
        return false; // another device's endpoint

    Entry entry;
    uint32_t volumeChannels = 0;
    float minDb = 0, maxDb = 0, incrementDb = 0;
    if (FAILED (endpoint->activateEndpointVolume (entry.volume)) || FAILED (entry.volume->getChannelCount (volumeChannels))
        || FAILED (entry.volume->getVolumeRange (minDb, maxDb, incrementDb)) || ! (minDb <= maxDb))
        return false;

    entry.notification = new EndpointChangeCallback (*this, ownEventContext);
    if (FAILED (entry.volume->registerControlChangeNotify (entry.notification)))
    {
        entry.notification->release();
        return false;
    }

    entry.endpoint = std::move (endpoint);

    // Only channels the endpoint's volume has: a level for any other would be refused for good.
    const auto carried = std::min (property.channelCount, volumeChannels);
    for (uint32_t i = 0; i < carried; ++i)
    {
        const auto channel = uint64_t (property.firstChannel) + i;
        if (channel >= channelMap.size())
            break;
        channelMap[(size_t) channel] = { entry.volume.get(), i, minDb, maxDb };
    }
    endpoints.push_back (std::move (entry));
    return true;
}

void EndpointVolumeLink::dropAllEndpoints()
{
    for (auto& entry : endpoints)
    {
        entry.volume->unregisterControlChangeNotify (entry.notification);
        entry.notification->detach();
        entry.notification->release();
    }
    endpoints.clear();
    std::fill (channelMap.begin(), channelMap.end(), Route {});
}

} // namespace arx
