#pragma once

// The Windows names this program is written against. On Windows they come from the SDK; here
// the platform seam supplies the same values so that the device and application code read as
// they would there.

#include <cstdint>
#include <memory>

#include <juce_core/juce_core.h>

// windows.h turns these names into macros: the Win32 backend includes it after this header.
#ifdef _WINDOWS_
 #error "include platform/win32/Win32Api.h, not windows.h, where the seam is used"
#endif

namespace arx::platform
{

// Window messages
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_DEVICECHANGE = 0x0219;

// Device-change broadcasts (wParam of WM_DEVICECHANGE)
constexpr uint32_t DBT_DEVICEARRIVAL = 0x8000;
constexpr uint32_t DBT_DEVICEQUERYREMOVE = 0x8001;
constexpr uint32_t DBT_DEVICEQUERYREMOVEFAILED = 0x8002;
constexpr uint32_t DBT_DEVICEREMOVEPENDING = 0x8003;
constexpr uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr uint32_t DBT_DEVTYP_DEVICEINTERFACE = 5;

// The driver's I/O control codes
constexpr uint32_t IOCTL_ARX_DRIVER_VERSION = 0x1D2000;
constexpr uint32_t IOCTL_ARX_GWC_TRANSACTION = 0x1D2004;
constexpr uint32_t IOCTL_ARX_DRIVER_REQUEST = 0x1D2008;

// NT status values the driver reports in word 0 of a reply
constexpr uint32_t STATUS_SUCCESS = 0;
constexpr uint32_t STATUS_TIMEOUT = 0x00000102;
constexpr uint32_t STATUS_RETRY_LATER = 0xC0120090;

struct Guid
{
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];

    bool operator== (const Guid& other) const noexcept
    {
        return std::memcmp (this, &other, sizeof (Guid)) == 0;
    }
};

// The driver's device interface class {8E0985CA-509A-4718-A8A5-EF0CFC99EE87}
constexpr Guid ARX_INTERFACE_CLASS = { 0x8E0985CA, 0x509A, 0x4718,
                                       { 0xA8, 0xA5, 0xEF, 0x0C, 0xFC, 0x99, 0xEE, 0x87 } };

// DEV_BROADCAST_DEVICEINTERFACE_A: what lParam of a WM_DEVICECHANGE points at.
struct DevBroadcastDeviceInterface
{
    uint32_t size = 32;
    uint32_t deviceType = DBT_DEVTYP_DEVICEINTERFACE;
    uint32_t reserved = 0;
    Guid classGuid = ARX_INTERFACE_CLASS;
    juce::String name; // the device interface path
};

// One message taken from a message-only window's queue (MSG). When the message carries a
// broadcast, lParam points at `broadcast`, which lives as long as the message.
struct Win32Message
{
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::shared_ptr<DevBroadcastDeviceInterface> broadcast;
};

} // namespace arx::platform
