#include "mixer/strips/VolumeFollower.h"

#include "console/HwCtrl.h"
#include "console/hwthread.h"

namespace arx
{

VolumeFollower::VolumeFollower (HwCtrl& c) : control (c), device (&c.getThread().getDevice())
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
