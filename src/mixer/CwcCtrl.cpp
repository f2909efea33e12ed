#include "mixer/CwcCtrl.h"

#include "device/bhw.h"

namespace arx
{

CwcCtrl::CwcCtrl (HwCtrlHost& host, bhw& dev, juce::Component& contentComponent)
    : HwCtrl (host), device (dev), content (contentComponent)
{
}

CwcCtrl::CwcCtrl (hwthread& owningThread, bhw& dev, juce::Component& contentComponent)
    : HwCtrl (owningThread), device (dev), content (contentComponent)
{
}

void CwcCtrl::get()
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

void CwcCtrl::set()
{
    onSetResult (device.sendActivate());
}

} // namespace arx
