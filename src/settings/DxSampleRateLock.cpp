#include "settings/DxSampleRateLock.h"

#include "console/hwthread.h"
#include "device/bhw.h"
#include "settings/SettingsGroup.h"

namespace arx
{

DxSampleRateLock::DxSampleRateLock (HwCtrlHost& host) : juce::ToggleButton ("Locked"), HwCtrl (host)
{
    acceptMessagesFromOtherThreads (*this);
    setSize (80, 22);
    onClick = [this] {
        locked = getToggleState();
        getThread().queueSet (*this);
    };
    getThread().queueGet (*this);
}

void DxSampleRateLock::get()
{
    auto& device = getThread().getDevice();
    const int code = device.readDriverInfo();
    if (code == bhw::resultOk)
        locked = device.driverRateLocked();
    onGetResult (code, this);
}

void DxSampleRateLock::set()
{
    onSetResult (getThread().getDevice().setRateLock (locked.load()));
}

void DxSampleRateLock::handleCommandMessage (int commandId)
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
