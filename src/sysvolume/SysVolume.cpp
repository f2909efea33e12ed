#include "sysvolume/SysVolume.h"

#include "device/bhw.h"
#include "sysvolume/SysVolumeMixerAPI.h"
#include "sysvolume/SysVolumeVista.h"

namespace arx
{

SysVolume::SysVolume (bhw& d) : device (d) {}

SysVolume::~SysVolume() = default;

int SysVolume::setPlaybackGain (int channel, float dB)
{
    return device.sendPlaybackGain (channel, dB);
}

int SysVolume::setPlaybackGainCode (int channel, uint32_t gainCode)
{
    return device.sendPlaybackGainCode (channel, gainCode);
}

int SysVolume::setPlaybackMute (int channel, bool on)
{
    return device.sendPlaybackMute (channel, on);
}

std::unique_ptr<SysVolume> SysVolume::create (bhw& device, platform::Platform& platform, Win32NotificationWindow* window)
{
    if (platform.isVistaOrLater())
        return std::make_unique<SysVolumeVista> (device, platform);
    return std::make_unique<SysVolumeMixerAPI> (device, platform, window);
}

} // namespace arx
