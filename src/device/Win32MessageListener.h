#pragma once

#include <cstdint>

namespace arx
{

// Receives every message of the notification window, on the notification thread.
class Win32MessageListener
{
public:
    virtual ~Win32MessageListener() = default;
    virtual void handleWin32Message (uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

} // namespace arx
