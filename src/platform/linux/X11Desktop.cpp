// Kept apart: this file sees the X11 headers, whose macros clash with ordinary code.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "platform/Desktop.h"
#include "platform/linux/X11EventWake.h"

namespace arx::platform::desktop
{

// The icon waits for its tray: a status notifier watcher on the session bus or an XEmbed tray
// (the owner of _NET_SYSTEM_TRAY_Sn) may come after the program, or come back after a restart.
bool isSystemTrayAvailable()
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    return windowSystem != nullptr && windowSystem->getDisplay() != nullptr
           && juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

// JUCE ignores UnmapNotify, so ask the server whether the window is still viewable. One question
// answers both: a minimised (iconic) window is unmapped.
bool isWindowShown (juce::ComponentPeer& peer)
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return true;

    const auto window = (::Window) peer.getNativeHandle();
    XWindowAttributes attributes {};
    bool known = false;
    {
        const juce::XWindowSystemUtilities::ScopedXLock xLock;
        known = juce::X11Symbols::getInstance()->xGetWindowAttributes (display, window, &attributes) != 0;
    }
    wakeForQueuedEvents (display, window);
    return ! known || attributes.map_state == IsViewable;
}

// JUCE's X11 peer sets its frame timer from its display's refresh rate whenever it takes in
// a ConfigureNotify. So the peer is handed one such event, synchronously, while every display
// reports the idle rate.
bool idleFrameTimer (juce::ComponentPeer& peer)
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return false;

    static bool idling = false; // the event calls back into the window's moved()
    if (idling)
        return true;
    const juce::ScopedValueSetter<bool> guard (idling, true);

    auto& displays = const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays());
    std::vector<std::optional<double>> rates;
    for (auto& d : displays.displays)
    {
        rates.push_back (d.verticalFrequencyHz);
        d.verticalFrequencyHz = 1.0;
    }

    XEvent event {};
    event.xconfigure.type = ConfigureNotify;
    event.xconfigure.display = display;
    event.xconfigure.event = event.xconfigure.window = (::Window) peer.getNativeHandle();
    // Every peer on X11 is JUCE's LinuxComponentPeer, whose first base is ComponentPeer.
    windowSystem->handleWindowMessage (reinterpret_cast<juce::LinuxComponentPeer*> (&peer), event);

    for (size_t i = 0; i < rates.size() && i < (size_t) displays.displays.size(); ++i)
        displays.displays.getReference ((int) i).verticalFrequencyHz = rates[i];
    wakeForQueuedEvents (display, event.xconfigure.window);
    return true;
}

bool paintPendingNow (juce::ComponentPeer& peer)
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    if (windowSystem == nullptr)
        return true;

    const auto window = (::Window) peer.getNativeHandle();
    windowSystem->processPendingPaintsForWindow (window);
    const bool lastFrameInFlight = windowSystem->getNumPaintsPendingForWindow (window) > 0;
    if (! lastFrameInFlight)
        peer.performAnyPendingRepaintsNow();
    if (auto* display = windowSystem->getDisplay())
        wakeForQueuedEvents (display, window);
    return ! lastFrameInFlight;
}

void agreeToTheEndOfTheSession() {}

} // namespace arx::platform::desktop
