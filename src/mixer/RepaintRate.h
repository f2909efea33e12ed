#pragma once

namespace arx
{

// JUCE on X11 paints a window's pending repaints from a timer of the window's own that ticks at
// the display's refresh rate (100 Hz when the display reports none, as virtual displays do),
// whether anything waits to be painted or not: each tick wakes the message thread. The console
// shows nothing faster than its 100 ms meter poll besides the user's own drags, so it caps the
// rate its windows repaint at. Windows made after the call use it.
//
// Threads: message thread.
void limitRepaintRate (double maxHz);

// Frames per second of the console's windows.
constexpr double consoleRepaintHz = 30.0;

} // namespace arx
