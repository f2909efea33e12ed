#pragma once

// The seam's audio endpoint objects over the Core Audio interfaces (MMDevice API, device
// topology, kernel streaming, endpoint volume). Each object owns one COM interface pointer and
// a hold on the multithreaded apartment, so it stays usable, and the system's libraries stay
// loaded, after the object it came from is gone; destroying it is Release. HRESULTs pass
// through unchanged: a device that goes in the middle of a call fails the call
// (AUDCLNT_E_DEVICE_INVALIDATED, E_NOTFOUND, ...) and every reference is still released.

#include "platform/win32/Win32ComApartment.h"

namespace arx::platform::win32
{

// CoCreateInstance(CLSID_MMDeviceEnumerator, CLSCTX_INPROC_SERVER, IID_IMMDeviceEnumerator),
// made in the apartment: S_OK with the enumerator, or the failure with none.
HRESULT createDeviceEnumerator (std::unique_ptr<MMDeviceEnumerator>& enumerator);

// The text of a string that COM handed out (GetId, GetDeviceIdConnectedTo), freed with
// CoTaskMemFree.
juce::String takeComText (LPWSTR text);

} // namespace arx::platform::win32
