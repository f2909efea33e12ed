#include "platform/Desktop.h"

#include "platform/win32/Win32Api.h"

namespace arx::platform::desktop
{

bool isSystemTrayAvailable()
{
    return ::FindWindowW (L"Shell_TrayWnd", nullptr) != nullptr;
}

bool isWindowShown (juce::ComponentPeer& peer)
{
    return ::IsWindowVisible (static_cast<HWND> (peer.getNativeHandle())) != FALSE;
}

// Windows asks for paints itself (WM_PAINT): no timer runs for them.
bool idleFrameTimer (juce::ComponentPeer&)
{
    return false;
}

bool paintPendingNow (juce::ComponentPeer& peer)
{
    peer.performAnyPendingRepaintsNow();
    return true;
}

} // namespace arx::platform::desktop
