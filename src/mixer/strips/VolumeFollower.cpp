#include "mixer/strips/VolumeFollower.h"

#include "console/DeviceControl.h"
#include "console/HardwareThread.h"

namespace arx
{

VolumeFollower::VolumeFollower (DeviceControl& c) : control (c), device (&c.getThread().getDevice())
{
    device->addVolumeListener (this);
}

VolumeFollower::~VolumeFollower()
{
    device->removeVolumeListener (this);
}

void VolumeFollower::changeListenerCallback (juce::ChangeBroadcaster*)
{
    control.getThread().queueGet (control);
}

} // namespace arx
