#include "settings/SampleRateLock.h"

#include "console/HardwareThread.h"
#include "device/Device.h"
#include "settings/SettingsGroup.h"

namespace arx
{

SampleRateLock::SampleRateLock (DeviceControlHost& host) : juce::ToggleButton ("Locked"), DeviceControl (host)
{
    acceptMessagesFromOtherThreads (*this);
    setSize (80, 22);
    onClick = [this] { commitEdit ([this] { locked = getToggleState(); }); };
    getThread().queueGet (*this);
}

void SampleRateLock::get()
{
    auto& device = getThread().getDevice();
    const auto editsBefore = editCount();
    const int code = device.readDriverInfo();
    if (code == Device::resultOk)
        takeRead (editsBefore, [&] { locked = device.driverRateLocked(); });
    onGetResult (code, this);
}

void SampleRateLock::set()
{
    onSetResult (getThread().getDevice().setRateLock (locked.load()));
}

void SampleRateLock::handleCommandMessage (int commandId)
{
    // The button's own click arrives as a command message too.
    if (commandId != 0)
    {
        juce::ToggleButton::handleCommandMessage (commandId);
        return;
    }
    setToggleState (locked.load(), juce::dontSendNotification);
}

} // namespace arx
