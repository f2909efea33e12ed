#pragma once

// The end of the user's session on this system: the session manager sends SIGTERM. The
// handler only writes one byte into a pipe; the message thread reads it and does the work.

#include <juce_events/juce_events.h>

#include <csignal>
#include <functional>

namespace arx
{

class EndSessionSignal
{
public:
    // Message thread. `onEndSession` runs on the message thread after each SIGTERM.
    explicit EndSessionSignal (std::function<void()> onEndSession);
    // Message thread. Puts the previous SIGTERM disposition back.
    ~EndSessionSignal();

    bool isInstalled() const noexcept { return installed; }

private:
    static void handleSignal (int);
    void drain (int fd);

    std::function<void()> callback;
    int readFd = -1;
    bool installed = false;
    struct ::sigaction previous {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EndSessionSignal)
};

} // namespace arx
