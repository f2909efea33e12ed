#pragma once

#include <cstdint>

namespace arx
{

// Receives every message of the notification window, on the notification thread.
class NotificationListener
{
public:
    virtual ~NotificationListener() = default;
    virtual void handleNotification (uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

} // namespace arx
