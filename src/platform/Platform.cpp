#include "platform/Platform.h"

#ifdef _WIN32
 #include "platform/win32/Win32Platform.h"
#else
 #include "platform/DeviceBusPlatform.h"
#endif

namespace arx::platform
{

Platform& Platform::getDefault()
{
   #ifdef _WIN32
    static win32::Win32Platform platform;
   #else
    static DeviceBusPlatform platform;
   #endif
    return platform;
}

} // namespace arx::platform
