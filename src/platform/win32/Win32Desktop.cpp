#include "platform/Desktop.h"

#include "platform/win32/Win32Api.h"

#include <cwchar>

namespace arx::platform::desktop
{
namespace
{
constexpr const wchar_t* previousProcedure = L"arx previous window procedure";

LRESULT CALLBACK agreeingProcedure (HWND h, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto previous = reinterpret_cast<WNDPROC> (::GetPropW (h, previousProcedure));
    if (message == WM_QUERYENDSESSION)
        return TRUE;
    if (message == WM_NCDESTROY)
        ::RemovePropW (h, previousProcedure);
    return previous != nullptr ? ::CallWindowProcW (previous, h, message, wParam, lParam)
                               : ::DefWindowProcW (h, message, wParam, lParam);
}

// JUCE's peers have window classes named "JUCE_" and a number.
bool isJuceWindow (HWND h)
{
    wchar_t name[8] {};
    return ::GetClassNameW (h, name, 8) >= 5 && std::wcsncmp (name, L"JUCE_", 5) == 0;
}

// Each new window of the thread, before it gets its first message.
LRESULT CALLBACK windowCreated (int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
    {
        const auto h = reinterpret_cast<HWND> (wParam);
        if (isJuceWindow (h))
        {
            const auto previous = ::SetWindowLongPtrW (h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR> (&agreeingProcedure));
            ::SetPropW (h, previousProcedure, reinterpret_cast<HANDLE> (previous));
        }
    }
    return ::CallNextHookEx (nullptr, code, wParam, lParam);
}
} // namespace

bool isSystemTrayAvailable()
{
    return ::FindWindowW (L"Shell_TrayWnd", nullptr) != nullptr;
}

bool isWindowShown (juce::ComponentPeer& peer)
{
    const auto window = static_cast<HWND> (peer.getNativeHandle());
    return ::IsWindowVisible (window) != FALSE && ::IsIconic (window) == FALSE;
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

void agreeToTheEndOfTheSession()
{
    static const HHOOK hook = ::SetWindowsHookExW (WH_CBT, &windowCreated, nullptr, ::GetCurrentThreadId());
    if (hook == nullptr)
        juce::Logger::writeToLog ("Platform - the end of the session cannot be agreed to for every window");
}

} // namespace arx::platform::desktop
