#pragma once

#include "device/Device.h"

#include <juce_events/juce_events.h>

namespace arx
{

class DeviceControl;

// Makes a playback control read the device again whenever the system volume of its device
// changes, which other programs do behind the console's back. Holds the device itself: the
// hardware thread that also reaches it is gone before the strips when a window closes.
//
// Threads: message thread.
class VolumeFollower : private juce::ChangeListener
{
public:
    // `control` must be bound to its hardware thread already.
    explicit VolumeFollower (DeviceControl& control);
    ~VolumeFollower() override;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;

    DeviceControl& control;
    Device::Ptr device;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VolumeFollower)
};

} // namespace arx
