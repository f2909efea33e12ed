#pragma once

// The Windows SDK for the Win32 backend, and what its files share: handles that close themselves,
// and the GUID of a seam Guid. The seam's headers come first: after windows.h the Windows names
// they define are macros.

#include "platform/Platform.h"

#ifndef NOMINMAX
 #define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
 #define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <dbt.h>
#include <setupapi.h>

#include <memory>
#include <type_traits>

namespace arx::platform::win32
{

struct HandleCloser
{
    void operator() (HANDLE h) const noexcept { ::CloseHandle (h); }
};
struct KeyCloser
{
    void operator() (HKEY key) const noexcept { ::RegCloseKey (key); }
};
struct InfoSetCloser
{
    void operator() (HDEVINFO set) const noexcept { ::SetupDiDestroyDeviceInfoList (set); }
};
struct NotificationCloser
{
    void operator() (HDEVNOTIFY n) const noexcept { ::UnregisterDeviceNotification (n); }
};

using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;
using UniqueInfoSet = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, InfoSetCloser>;
using UniqueNotification = std::unique_ptr<std::remove_pointer_t<HDEVNOTIFY>, NotificationCloser>;

// Calls that fail with INVALID_HANDLE_VALUE rather than null.
inline HANDLE validOrNull (HANDLE h) noexcept { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

inline GUID toGuid (const Guid& g) noexcept
{
    GUID result {};
    result.Data1 = g.data1;
    result.Data2 = g.data2;
    result.Data3 = g.data3;
    for (int i = 0; i < 8; ++i)
        result.Data4[i] = g.data4[i];
    return result;
}

} // namespace arx::platform::win32
