#include "device/DeviceList.h"

namespace arx
{

using namespace arx::platform;

DeviceList::DeviceList (Platform& p, NotificationWindow& window, uint32_t filter)
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

Device::Ptr DeviceList::addDevices (const juce::String& path)
{
    const juce::ScopedLock sl (lock);

    auto set = platform.getClassDevs (ARX_INTERFACE_CLASS);
    if (set == nullptr)
        return {};

    Device::Ptr added;
    DeviceInterfaceData data;
    for (int index = 0; set->enumDeviceInterface (index, data); ++index)
    {
        if (path.isNotEmpty() && ! data.devicePath.equalsIgnoreCase (path))
            continue;

        // A second arrival for a listed device would give the application a second window.
        if (isListed (data.devicePath))
            continue;

        Device::Ptr device (new Device (platform, *set, data, &notificationWindow));
        if (vendorFilter != 0 && device->info().vendorId() != vendorFilter)
            continue;

        devices.insert (0, device);
        added = device;
    }

    return added;
}

Device::Ptr DeviceList::removeDevice (const juce::String& path)
{
    const juce::ScopedLock sl (lock);

    for (int i = 0; i < devices.size(); ++i)
    {
        if (devices.getUnchecked (i)->devicePath().equalsIgnoreCase (path))
        {
            Device::Ptr removed (devices.getUnchecked (i));
            devices.remove (i);
            return removed;
        }
    }
    return {};
}

Device::Ptr DeviceList::device (int index) const
{
    const juce::ScopedLock sl (lock);
    return devices[index];
}

int DeviceList::deviceCount() const
{
    const juce::ScopedLock sl (lock);
    return devices.size();
}

bool DeviceList::contains (const Device* device) const
{
    const juce::ScopedLock sl (lock);
    return device != nullptr && devices.contains (device);
}

void DeviceList::setListener (juce::MessageListener* listener)
{
    if (notifier == nullptr)
        notifier = std::make_unique<DeviceChangeNotifier> (ARX_INTERFACE_CLASS, *this, notificationWindow);
    notifier->setListener (listener);
}

} // namespace arx
