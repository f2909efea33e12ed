#pragma once

// Turns device-change broadcasts of the driver's interface class into DeviceChangeMessages for
// the application: arrival adds the device to the list, the first of query-remove,
// remove-pending and remove-complete takes it out.

#include "device/NotificationListener.h"
#include "device/Device.h"
#include "platform/Platform.h"

#include <juce_events/juce_events.h>

namespace arx
{

class DeviceList;
class NotificationWindow;

class DeviceChangeNotifier : public NotificationListener
{
public:
    // Registers with the window and for the interface class's broadcasts. When the
    // registration fails, arrivals and removals are simply never reported.
    DeviceChangeNotifier (const platform::Guid& interfaceClass, DeviceList& list,
                      NotificationWindow& window);
    ~DeviceChangeNotifier() override;

    // Message thread. The listener receives the posted messages; null stops them.
    void setListener (juce::MessageListener* listener);

    bool isRegistered() const noexcept { return registered; }

    // Notification thread.
    void handleNotification (uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    void post (uint32_t id, Device::Ptr device);

    DeviceList& deviceList;
    NotificationWindow& notificationWindow;
    platform::MessageWindow* registeredWindow = nullptr;
    bool registered = false;
    juce::MessageListener* target = nullptr;
    juce::CriticalSection targetLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceChangeNotifier)
};

} // namespace arx
