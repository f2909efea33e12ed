#pragma once

// The desktop shell that the console's windows and tray icon live in. Both answers need the
// window system, so these belong to the UI library.

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx::platform::desktop
{

// Whether the shell can take a tray icon: the taskbar's notification area (Shell_TrayWnd) exists;
// on Linux, whether there is a display (the icon shows once a tray or a status notifier watcher takes it).
bool isSystemTrayAvailable();

// Whether the peer's window is on the screen: visible and not minimised (IsWindowVisible and not
// IsIconic). The window system may hide a window without the component hearing of it.
bool isWindowShown (juce::ComponentPeer& peer);

// Slows the peer's frame timer, which on X11 wakes the program at the display's refresh rate
// to paint whatever waits, even when nothing does, to once a second: then it only catches
// what the window system itself asked to repaint (a region uncovered), and the caller paints
// its own repaints with paintPendingNow. False where the window system paints on its own
// request (Windows): no timer to slow. A move or resize of the window sets the timer back to
// the display's rate; calling this again slows it again.
bool idleFrameTimer (juce::ComponentPeer& peer);

// Paints the peer's pending repaints now, as its frame timer would. False while the window
// system still copies the last frame: nothing painted, try again shortly.
bool paintPendingNow (juce::ComponentPeer& peer);

// Windows asks every top-level window whether the session may end (WM_QUERYENDSESSION), and
// JUCE's windows say no until the program has quit. From now on every JUCE window the calling
// thread makes says yes and leaves the program alone: its end comes with WM_ENDSESSION to the
// notification window. Nothing to do elsewhere (SIGTERM is not a question). Message thread;
// later calls change nothing.
void agreeToTheEndOfTheSession();

} // namespace arx::platform::desktop
