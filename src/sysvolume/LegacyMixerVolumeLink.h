#pragma once

// The system volume link before Vista: gain and mute go to the device as commands, and a
// control change on any legacy mixer that it opened (those named after the device, for its
// outputs) is announced as a change message.
//
// Threads: construction and destruction on the thread that makes or drops the device;
// handleNotification on the notification thread; the rest as SystemVolumeLink.

#include "device/NotificationListener.h"
#include "platform/LegacyMixers.h"
#include "sysvolume/SystemVolumeLink.h"

#include <vector>

namespace arx
{

class LegacyMixerVolumeLink : public NotificationListener, public SystemVolumeLink
{
public:
    LegacyMixerVolumeLink (Device& device, platform::Platform& platform, NotificationWindow* window);
    ~LegacyMixerVolumeLink() override;

    // Notification thread: MM_MIXM_CONTROL_CHANGE from whichever mixer sends a change message.
    void handleNotification (uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    int openMixerCount() const noexcept { return (int) mixers.size(); }

    // A mixer serves the device's playback when its name begins with the device's unique name
    // and holds "out" or "playback" (both case-sensitive, as the driver names them).
    static bool isPlaybackMixer (const juce::String& mixerName, const juce::String& uniqueName);

private:
    NotificationWindow* window = nullptr; // set while registered
    std::vector<std::unique_ptr<platform::MixerHandle>> mixers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LegacyMixerVolumeLink)
};

} // namespace arx
