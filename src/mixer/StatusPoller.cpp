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

    if (driverInfoDue() && device.readDriverInfo() != 0)
    {
        juce::Logger::outputDebugString ("failed to get driver info");
        dataValid = false;
        return;
    }

    const bool wasValid = dataValid.exchange (true);
    if (takeNews() || ! wasValid)
        content.postCommandMessage (0);
}

bool StatusPoller::driverInfoDue() noexcept
{
    if (! driverInfoEveryPoll && ++pollsSinceDriverInfo < unchangedReportMs / intervalMs)
        return false;
    pollsSinceDriverInfo = 0;
    return true;
}

bool StatusPoller::takeNews()
{
    Values now {};
    for (int word = 0; word < Device::meterReplyWords; ++word)
        now[(size_t) word] = device.meterReplyWord (word);
    for (int word = 0; word < Device::driverInfoWords; ++word)
        now[(size_t) (Device::meterReplyWords + word)] = device.driverInfo (word);

    const auto nowMs = juce::Time::getMillisecondCounter();
    if (now == reported && nowMs - reportedAtMs < (juce::uint32) unchangedReportMs)
        return false;

    reported = now;
    reportedAtMs = nowMs;
    return true;
}

void StatusPoller::set()
{
    onSetResult (device.sendActivate());
}

} // namespace arx
