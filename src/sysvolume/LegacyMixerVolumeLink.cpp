#include "sysvolume/LegacyMixerVolumeLink.h"

#include "device/NotificationWindow.h"
#include "device/Device.h"

namespace arx
{

using namespace arx::platform;

LegacyMixerVolumeLink::LegacyMixerVolumeLink (Device& d, Platform& platform, NotificationWindow* notificationWindow)
    : SystemVolumeLink (d)
{
    if (notificationWindow == nullptr)
        return;
    auto* handle = notificationWindow->windowHandle();
    if (handle == nullptr)
        return;

    const auto count = platform.mixerGetNumDevs();
    for (uint32_t id = 0; id < count; ++id)
    {
        MixerCaps caps;
        if (platform.mixerGetDevCaps (id, caps) != MMSYSERR_NOERROR || ! isPlaybackMixer (caps.name, device.uniqueName()))
            continue;
        std::unique_ptr<MixerHandle> mixer;
        if (platform.mixerOpen (id, *handle, mixer) == MMSYSERR_NOERROR && mixer != nullptr)
            mixers.push_back (std::move (mixer));
    }

    window = notificationWindow;
    window->addListener (this);
}

LegacyMixerVolumeLink::~LegacyMixerVolumeLink()
{
    // Waits for a message being handled: the window's lock is held while it is handed out.
    if (window != nullptr)
        window->removeListener (this);
    mixers.clear();
}

bool LegacyMixerVolumeLink::isPlaybackMixer (const juce::String& mixerName, const juce::String& uniqueName)
{
    return mixerName.startsWith (uniqueName) && (mixerName.contains ("out") || mixerName.contains ("playback"));
}

void LegacyMixerVolumeLink::handleNotification (uint32_t message, uintptr_t, intptr_t)
{
    if (message == MM_MIXM_CONTROL_CHANGE)
        sendChangeMessage();
}

} // namespace arx
