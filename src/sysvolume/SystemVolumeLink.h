#pragma once

// The system volume link of one device: every playback gain and mute that the console sets
// goes through it, and it announces volume changes made outside the console as change
// messages. The base sends the device commands; the variants for the OS generation decide
// between the device and the system's volume controls.
//
// Threads: setPlaybackGain/setPlaybackMute run on the hardware thread (any thread may call;
// the device mutex, and the endpoint variant's own lock, serialise them). Change messages are
// sent from the system's threads and reach the listeners on the message thread; listeners are
// added and removed on the message thread.

#include <juce_events/juce_events.h>

#include <cstdint>
#include <memory>

namespace arx
{

class Device;
class NotificationWindow;

namespace platform
{
class Platform;
}

class SystemVolumeLink : public juce::ChangeBroadcaster
{
public:
    explicit SystemVolumeLink (Device& device);
    ~SystemVolumeLink() override;

    // The playback gain and mute commands of the device; their result code. A gain given as a
    // code goes to the device as that code.
    virtual int setPlaybackGain (int channel, float dB);
    virtual int setPlaybackGainCode (int channel, uint32_t gainCode);
    virtual int setPlaybackMute (int channel, bool on);

    // The link for the OS generation the platform reports: the endpoint variant from Vista on,
    // else the legacy mixer variant, which hears changes through `window` (none: it hears none).
    static std::unique_ptr<SystemVolumeLink> create (Device& device, platform::Platform& platform,
                                              NotificationWindow* window);

protected:
    Device& device;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SystemVolumeLink)
};

} // namespace arx
