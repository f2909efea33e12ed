// Kept apart: this file sees the X11 headers, whose macros clash with ordinary code.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "mixer/ConsoleWindow.h"

namespace arx
{

bool ConsoleWindow::isShownOnScreen() const
{
    if (! isVisible())
        return false;

    auto* peer = getPeer();
    if (peer == nullptr)
        return true; // not on the desktop (tests): its visible flag is all there is
    if (peer->isMinimised())
        return false;

    // JUCE ignores UnmapNotify, so ask the server whether the window is still viewable.
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return true;

    XWindowAttributes attributes {};
    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    if (juce::X11Symbols::getInstance()->xGetWindowAttributes (
            display, (::Window) peer->getNativeHandle(), &attributes) == 0)
        return true;
    return attributes.map_state == IsViewable;
}

} // namespace arx
