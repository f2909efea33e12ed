#pragma once

// The legacy multimedia mixer API (winmm) behind the Platform calls of the same names.
//
// Threads: any; a mixer's messages are posted to the window it was opened with and arrive on
// that window's thread.

#include "platform/win32/Win32Api.h"

namespace arx::platform::win32
{

// mixerGetNumDevs
uint32_t getMixerCount();
// mixerGetDevCapsW, the name in the seam's text; at most MAXPNAMELEN - 1 characters.
MMRESULT getMixerCaps (uint32_t mixerId, MixerCaps& caps);
// mixerOpen(MIXER_OBJECTF_MIXER | CALLBACK_WINDOW) to the notification window's HWND; a
// window of another backend has none (MMSYSERR_INVALHANDLE). The handle's destruction is
// mixerClose.
MMRESULT openMixer (uint32_t mixerId, MessageWindow& window, std::unique_ptr<MixerHandle>& handle);

} // namespace arx::platform::win32
