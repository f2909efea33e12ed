#pragma once

// The devices the driver exposes. Index 0 is the device added last. The list holds one
// reference on each device.
//
// Threads: the message thread reads the list by index; the notification thread adds and removes
// devices on arrival and removal. The list's lock guards both.

#include "device/Device.h"
#include "device/DeviceChangeNotifier.h"
#include "device/NotificationWindow.h"

namespace arx
{

class DeviceList
{
public:
    static constexpr uint32_t supportedVendor = 1883;

    // Enumerates every present device of the vendor (0: of any vendor).
    DeviceList (platform::Platform& platform, NotificationWindow& window, uint32_t vendorFilter);
    ~DeviceList();

    // Enumerates again; with a path, only the interface with that path (any case). A device
    // already in the list is not added twice. Returns the device added last, or null.
    Device::Ptr addDevices (const juce::String& path = {});

    // Takes the device with this path (any case) out of the list; null when it is not listed.
    Device::Ptr removeDevice (const juce::String& path);

    Device::Ptr device (int index) const;
    int deviceCount() const;
    // Whether this very device object is in the list (a removed one is not, nor its successor
    // if the device comes back).
    bool contains (const Device* device) const;

    // Message thread. Starts change notification on first use.
    void setListener (juce::MessageListener* listener);

private:
    bool isListed (const juce::String& path) const;

    platform::Platform& platform;
    NotificationWindow& notificationWindow;
    const uint32_t vendorFilter;
    juce::ReferenceCountedArray<Device> devices;
    std::unique_ptr<DeviceChangeNotifier> notifier;
    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceList)
};

} // namespace arx
