#pragma once

// The system volume link before Vista: gain and mute go to the device as commands, and a
// control change on any legacy mixer that it opened (those named after the device, for its
// outputs) is announced as a change message.
//
// Threads: construction and destruction on the thread that makes or drops the device;
// handleWin32Message on the notification thread; the rest as SysVolume.

#include "device/Win32MessageListener.h"
#include "platform/LegacyMixers.h"
#include "sysvolume/SysVolume.h"

#include <vector>

namespace arx
{

class SysVolumeMixerAPI : public Win32MessageListener, public SysVolume
{
public:
    SysVolumeMixerAPI (bhw& device, platform::Platform& platform, Win32NotificationWindow* window);
    ~SysVolumeMixerAPI() override;

    // Notification thread: MM_MIXM_CONTROL_CHANGE from whichever mixer sends a change message.
    void handleWin32Message (uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    int openMixerCount() const noexcept { return (int) mixers.size(); }

    // A mixer serves the device's playback when its name begins with the device's unique name
    // and holds "out" or "playback" (both case-sensitive, as the driver names them).
    static bool isPlaybackMixer (const juce::String& mixerName, const juce::String& uniqueName);

private:
    Win32NotificationWindow* window = nullptr; // set while registered
    std::vector<std::unique_ptr<platform::MixerHandle>> mixers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SysVolumeMixerAPI)
};

} // namespace arx
