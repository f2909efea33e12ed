// Kept apart: this file sees the X11 headers, whose macros clash with ordinary code.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "platform/linux/X11EventWake.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx::platform::desktop
{

void wakeForQueuedEvents (void* d, unsigned long window)
{
    auto* display = static_cast<::Display*> (d);
    auto* x11 = juce::X11Symbols::getInstance();
    const juce::XWindowSystemUtilities::ScopedXLock xLock;
    if (display == nullptr || x11->xEventsQueued (display, QueuedAlready) == 0)
        return;

    static const Atom wake = x11->xInternAtom (display, "_ARX_WAKE", False);
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = (::Window) window;
    event.xclient.message_type = wake;
    event.xclient.format = 32;
    x11->xSendEvent (display, (::Window) window, False, NoEventMask, &event);
    x11->xFlush (display);
}

} // namespace arx::platform::desktop
