#include "platform/Platform.h"

#include "platform/DeviceBusPlatform.h"

namespace arx::platform
{

Platform& Platform::getDefault()
{
    static DeviceBusPlatform platform;
    return platform;
}

} // namespace arx::platform
