#include "platform/linux/SessionEndSignal.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace arx::platform
{
namespace
{
// The handler's only way out; -1 while no handler is installed.
std::atomic<int> signalWriteFd { -1 };

void handleSignal (int)
{
    const int savedErrno = errno;
    const int fd = signalWriteFd.load();
    if (fd >= 0)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write (fd, &byte, 1);
    }
    errno = savedErrno;
}

struct Relay
{
    std::mutex lock;
    std::vector<SessionEndSignal::Subscriber*> subscribers;
    int fds[2] = { -1, -1 }; // made once, kept for the process's life
    std::atomic<int> readFd { -1 };
    struct ::sigaction previous {};
    bool installed = false;
};

Relay& relay()
{
    static Relay r;
    return r;
}

bool install (Relay& r)
{
    if (r.fds[0] < 0 && ::pipe2 (r.fds, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        r.fds[0] = r.fds[1] = -1;
        return false;
    }
    r.readFd = r.fds[0];
    signalWriteFd = r.fds[1];

    struct sigaction action {};
    action.sa_handler = &handleSignal;
    sigemptyset (&action.sa_mask);
    action.sa_flags = SA_RESTART;
    r.installed = ::sigaction (SIGTERM, &action, &r.previous) == 0;
    return r.installed;
}
} // namespace

bool SessionEndSignal::subscribe (Subscriber* subscriber)
{
    auto& r = relay();
    const std::lock_guard<std::mutex> guard (r.lock);
    if (r.subscribers.empty() && ! install (r))
    {
        juce::Logger::writeToLog ("Platform - SIGTERM handler not installed");
        return false;
    }
    r.subscribers.push_back (subscriber);
    return true;
}

void SessionEndSignal::unsubscribe (Subscriber* subscriber)
{
    auto& r = relay();
    const std::lock_guard<std::mutex> guard (r.lock);
    const auto found = std::find (r.subscribers.begin(), r.subscribers.end(), subscriber);
    if (found == r.subscribers.end())
        return;
    r.subscribers.erase (found);
    if (r.subscribers.empty() && r.installed)
    {
        ::sigaction (SIGTERM, &r.previous, nullptr);
        r.installed = false;
        signalWriteFd = -1;
    }
}

int SessionEndSignal::pollFd() noexcept
{
    return relay().readFd.load();
}

void SessionEndSignal::drain()
{
    auto& r = relay();
    const std::lock_guard<std::mutex> guard (r.lock);
    if (r.fds[0] < 0)
        return;

    char buffer[64];
    bool signalled = false;
    while (::read (r.fds[0], buffer, sizeof (buffer)) > 0)
        signalled = true;

    if (signalled)
        for (auto* s : r.subscribers)
            s->sessionEnds();
}

} // namespace arx::platform
