// Kept apart: this file sees the X11 headers, whose macros clash with ordinary code.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "platform/Desktop.h"

namespace arx::platform::desktop
{

// A tray is a window that owns the screen's _NET_SYSTEM_TRAY_Sn selection.
bool isSystemTrayAvailable()
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        return false;

    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return false;

    auto* x11 = juce::X11Symbols::getInstance();
    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    auto* screen = x11->xDefaultScreenOfDisplay (display);
    const auto selectionName = "_NET_SYSTEM_TRAY_S" + juce::String (x11->xScreenNumberOfScreen (screen));
    const auto selection = x11->xInternAtom (display, selectionName.toRawUTF8(), True);
    return selection != None && x11->xGetSelectionOwner (display, selection) != None;
}

// JUCE ignores UnmapNotify, so ask the server whether the window is still viewable.
bool isWindowShown (juce::ComponentPeer& peer)
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return true;

    XWindowAttributes attributes {};
    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    if (juce::X11Symbols::getInstance()->xGetWindowAttributes (
            display, (::Window) peer.getNativeHandle(), &attributes) == 0)
        return true;
    return attributes.map_state == IsViewable;
}

void agreeToTheEndOfTheSession() {}

} // namespace arx::platform::desktop
