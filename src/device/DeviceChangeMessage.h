#pragma once

#include "device/Device.h"

#include <juce_events/juce_events.h>

namespace arx
{

// Posted to the application's listener when a device arrives or goes; handled on the message
// thread. The device is only compared with the devices the application knows.
struct DeviceChangeMessage : public juce::Message
{
    static constexpr uint32_t deviceArrived = 0x6AD00000;
    static constexpr uint32_t deviceRemoved = 0x6AD00001;

    DeviceChangeMessage (uint32_t messageId, Device::Ptr changedDevice)
        : id (messageId), device (std::move (changedDevice))
    {
    }

    const uint32_t id;
    const Device::Ptr device;
};

} // namespace arx
