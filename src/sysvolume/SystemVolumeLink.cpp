#include "sysvolume/SystemVolumeLink.h"

#include "device/Device.h"
#include "sysvolume/LegacyMixerVolumeLink.h"
#include "sysvolume/EndpointVolumeLink.h"

namespace arx
{

SystemVolumeLink::SystemVolumeLink (Device& d) : device (d) {}

SystemVolumeLink::~SystemVolumeLink() = default;

int SystemVolumeLink::setPlaybackGain (int channel, float dB)
{
    return device.sendPlaybackGain (channel, dB);
}

int SystemVolumeLink::setPlaybackGainCode (int channel, uint32_t gainCode)
{
    return device.sendPlaybackGainCode (channel, gainCode);
}

int SystemVolumeLink::setPlaybackMute (int channel, bool on)
{
    return device.sendPlaybackMute (channel, on);
}

std::unique_ptr<SystemVolumeLink> SystemVolumeLink::create (Device& device, platform::Platform& platform, NotificationWindow* window)
{
    if (platform.isVistaOrLater())
        return std::make_unique<EndpointVolumeLink> (device, platform);
    return std::make_unique<LegacyMixerVolumeLink> (device, platform, window);
}

} // namespace arx
