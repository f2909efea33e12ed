#pragma once

// The end of the user's session on Linux: the session manager sends SIGTERM. Windows tells every
// top-level window instead (WM_QUERYENDSESSION, then WM_ENDSESSION); this relay gives the device
// bus's message windows the same two messages, so the console handles the end of the session in
// one place on both systems.
//
// Threads: the signal handler only writes a byte into a pipe. Any subscriber's thread that finds
// pollFd() readable calls drain(), which tells every subscriber, under the relay's lock (so a
// subscriber is never told after it has unsubscribed).

namespace arx::platform
{

class SessionEndSignal
{
public:
    class Subscriber
    {
    public:
        virtual ~Subscriber() = default;
        virtual void sessionEnds() = 0;
    };

    // The first subscriber installs the SIGTERM handler; after the last the previous
    // disposition is back. False when the handler could not be installed.
    static bool subscribe (Subscriber* subscriber);
    static void unsubscribe (Subscriber* subscriber);

    // The pipe to wait on (readable after a SIGTERM); -1 when there is none.
    static int pollFd() noexcept;

    // Empties the pipe; when a signal had come, every subscriber hears of it.
    static void drain();
};

} // namespace arx::platform
