#include "device/DeviceList.h"

namespace arx
{

using namespace arx::platform;

DeviceList::DeviceList (Platform& p, Win32NotificationWindow& window, uint32_t filter)
    : platform (p), notificationWindow (window), vendorFilter (filter)
{
    addDevices();
}

DeviceList::~DeviceList()
{
    // The notifier first: it may be inside addDevices on the notification thread.
    notifier.reset();

    const juce::ScopedLock sl (lock);
    devices.clear();
}

bool DeviceList::isListed (const juce::String& path) const
{
    for (auto* d : devices)
        if (d->devicePath().equalsIgnoreCase (path))
            return true;
    return false;
}

bhw::Ptr DeviceList::addDevices (const juce::String& path)
{
    const juce::ScopedLock sl (lock);

    auto set = platform.getClassDevs (ARX_INTERFACE_CLASS);
    if (set == nullptr)
        return {};

    bhw::Ptr added;
    DeviceInterfaceData data;
    for (int index = 0; set->enumDeviceInterface (index, data); ++index)
    {
        if (path.isNotEmpty() && ! data.devicePath.equalsIgnoreCase (path))
            continue;

        // A second arrival for a listed device would give the application a second window.
        if (isListed (data.devicePath))
            continue;

        bhw::Ptr device (new bhw (platform, *set, data, &notificationWindow));
        if (vendorFilter != 0 && device->info().vendorId() != vendorFilter)
            continue;

        devices.insert (0, device);
        added = device;
    }

    return added;
}

bhw::Ptr DeviceList::removeDevice (const juce::String& path)
{
    const juce::ScopedLock sl (lock);

    for (int i = 0; i < devices.size(); ++i)
    {
        if (devices.getUnchecked (i)->devicePath().equalsIgnoreCase (path))
        {
            bhw::Ptr removed (devices.getUnchecked (i));
            devices.remove (i);
            return removed;
        }
    }
    return {};
}

bhw::Ptr DeviceList::device (int index) const
{
    const juce::ScopedLock sl (lock);
    return devices[index];
}

int DeviceList::deviceCount() const
{
    const juce::ScopedLock sl (lock);
    return devices.size();
}

bool DeviceList::contains (const bhw* device) const
{
    const juce::ScopedLock sl (lock);
    return device != nullptr && devices.contains (device);
}

void DeviceList::setListener (juce::MessageListener* listener)
{
    if (notifier == nullptr)
        notifier = std::make_unique<CDevChangeNotify> (ARX_INTERFACE_CLASS, *this, notificationWindow);
    notifier->setListener (listener);
}

} // namespace arx
