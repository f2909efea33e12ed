#pragma once

// The legacy multimedia mixer API of the platform seam (mixerGetNumDevs, mixerGetDevCapsA,
// mixerOpen with CALLBACK_WINDOW, mixerClose). The Platform calls are in Platform.h.

#include "platform/Win32Defs.h"

namespace arx::platform
{

using MMRESULT = uint32_t;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;

// Posted to the callback window of an open mixer: wParam = the mixer handle, lParam = the line
// or control id.
constexpr uint32_t MM_MIXM_LINE_CHANGE = 0x3D0;
constexpr uint32_t MM_MIXM_CONTROL_CHANGE = 0x3D1;

constexpr int MAXPNAMELEN = 32;

// MIXERCAPSA
struct MixerCaps
{
    uint16_t manufacturerId = 0;
    uint16_t productId = 0;
    uint32_t driverVersion = 0;
    juce::String name; // szPname: at most MAXPNAMELEN - 1 characters
    uint32_t support = 0;
    uint32_t destinations = 0;
};

// An open mixer (HMIXER from mixerOpen). While it is open, every line or control change posts
// MM_MIXM_LINE_CHANGE or MM_MIXM_CONTROL_CHANGE to the window it was opened with, which must
// outlive it. Destroying it is mixerClose: nothing is posted after that.
class MixerHandle
{
public:
    virtual ~MixerHandle() = default;

    // The HMIXER value, as posted in wParam.
    virtual uintptr_t value() const noexcept = 0;
};

} // namespace arx::platform
