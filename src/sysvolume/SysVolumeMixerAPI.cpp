#include "sysvolume/SysVolumeMixerAPI.h"

#include "device/Win32NotificationWindow.h"
#include "device/bhw.h"

namespace arx
{

using namespace arx::platform;

SysVolumeMixerAPI::SysVolumeMixerAPI (bhw& d, Platform& platform, Win32NotificationWindow* notificationWindow)
    : SysVolume (d)
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

SysVolumeMixerAPI::~SysVolumeMixerAPI()
{
    // Waits for a message being handled: the window's lock is held while it is handed out.
    if (window != nullptr)
        window->removeListener (this);
    mixers.clear();
}

bool SysVolumeMixerAPI::isPlaybackMixer (const juce::String& mixerName, const juce::String& uniqueName)
{
    return mixerName.startsWith (uniqueName) && (mixerName.contains ("out") || mixerName.contains ("playback"));
}

void SysVolumeMixerAPI::handleWin32Message (uint32_t message, uintptr_t, intptr_t)
{
    if (message == MM_MIXM_CONTROL_CHANGE)
        sendChangeMessage();
}

} // namespace arx
