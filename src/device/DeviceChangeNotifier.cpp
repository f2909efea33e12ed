#include "device/DeviceChangeNotifier.h"

#include "device/DeviceChangeMessage.h"
#include "device/DeviceList.h"
#include "device/NotificationWindow.h"

namespace arx
{

using namespace arx::platform;

DeviceChangeNotifier::DeviceChangeNotifier (const Guid& interfaceClass, DeviceList& list,
                                    NotificationWindow& window)
    : deviceList (list), notificationWindow (window)
{
    notificationWindow.addListener (this);

    registeredWindow = notificationWindow.windowHandle();
    registered = registeredWindow != nullptr && registeredWindow->registerDeviceNotification (interfaceClass);
}

DeviceChangeNotifier::~DeviceChangeNotifier()
{
    if (registered)
        registeredWindow->unregisterDeviceNotification();
    notificationWindow.removeListener (this);
}

void DeviceChangeNotifier::setListener (juce::MessageListener* listener)
{
    const juce::ScopedLock sl (targetLock);
    target = listener;
}

void DeviceChangeNotifier::handleNotification (uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    {
        const juce::ScopedLock sl (targetLock);
        if (target == nullptr)
            return;
    }

    if (message != WM_DEVICECHANGE || lParam == 0)
        return;

    const auto* broadcast = reinterpret_cast<const DevBroadcastDeviceInterface*> (lParam);
    if (broadcast->deviceType != DBT_DEVTYP_DEVICEINTERFACE)
        return;

    switch (wParam)
    {
        case DBT_DEVICEARRIVAL:
            if (auto device = deviceList.addDevices (broadcast->name))
                post (DeviceChangeMessage::deviceArrived, device);
            break;

        case DBT_DEVICEQUERYREMOVE:
        case DBT_DEVICEREMOVEPENDING:
        case DBT_DEVICEREMOVECOMPLETE:
            if (auto device = deviceList.removeDevice (broadcast->name))
                post (DeviceChangeMessage::deviceRemoved, device);
            break;

        default:
            break;
    }
}

void DeviceChangeNotifier::post (uint32_t id, Device::Ptr device)
{
    const juce::ScopedLock sl (targetLock);
    if (target != nullptr)
        target->postMessage (new DeviceChangeMessage (id, std::move (device)));
}

} // namespace arx
