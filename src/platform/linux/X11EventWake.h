#pragma once

// Any Xlib call that waits for a reply reads whatever the server sent before the reply into
// Xlib's own queue, where JUCE's message loop does not see it: JUCE drains that queue only when
// the connection turns readable again. In a window that is otherwise quiet a key or a click
// could wait there for seconds, until the next event of any kind. Code of ours that talks to
// JUCE's display outside JUCE's event handling calls this afterwards: anything left in the
// queue gets a harmless event of ours behind it, whose arrival wakes JUCE's loop.
//
// Threads: message thread only. Linux only.

namespace arx::platform::desktop
{

// `display` is JUCE's X display, `window` one of the program's own windows there.
void wakeForQueuedEvents (void* display, unsigned long window);

} // namespace arx::platform::desktop
