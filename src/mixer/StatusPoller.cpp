#include "mixer/StatusPoller.h"

#include "device/Device.h"

namespace arx
{

StatusPoller::StatusPoller (DeviceControlHost& host, Device& dev, juce::Component& contentComponent)
    : DeviceControl (host), device (dev), content (contentComponent)
{
}

StatusPoller::StatusPoller (HardwareThread& owningThread, Device& dev, juce::Component& contentComponent)
    : DeviceControl (owningThread), device (dev), content (contentComponent)
{
}

void StatusPoller::get()
{
    // A failed poll is dropped: the next timer tick polls again.
    if (device.pollMeters() != 0)
    {
        dataValid = false;
        return;
    }

    if (device.readDriverInfo() != 0)
    {
        juce::Logger::outputDebugString ("failed to get driver info");
        dataValid = false;
        return;
    }

    dataValid = true;
    content.postCommandMessage (0);
}

void StatusPoller::set()
{
    onSetResult (device.sendActivate());
}

} // namespace arx
