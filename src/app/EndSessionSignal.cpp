#include "app/EndSessionSignal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace arx
{

namespace
{
// The handler's only way out; -1 while no handler is installed.
std::atomic<int> signalWriteFd { -1 };
} // namespace

void EndSessionSignal::handleSignal (int)
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

EndSessionSignal::EndSessionSignal (std::function<void()> onEndSession) : callback (std::move (onEndSession))
{
    int fds[2];
    if (::pipe2 (fds, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        juce::Logger::writeToLog ("Console - no pipe for the end-of-session signal");
        return;
    }

    readFd = fds[0];
    signalWriteFd = fds[1];

    juce::LinuxEventLoop::registerFdCallback (readFd, [this] (int fd) { drain (fd); });

    struct sigaction action {};
    action.sa_handler = &EndSessionSignal::handleSignal;
    sigemptyset (&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed = ::sigaction (SIGTERM, &action, &previous) == 0;
    if (! installed)
        juce::Logger::writeToLog ("Console - SIGTERM handler not installed");
}

EndSessionSignal::~EndSessionSignal()
{
    if (installed)
        ::sigaction (SIGTERM, &previous, nullptr);

    if (readFd >= 0)
    {
        juce::LinuxEventLoop::unregisterFdCallback (readFd);
        const int writeFd = signalWriteFd.exchange (-1);
        ::close (writeFd);
        ::close (readFd);
    }
}

void EndSessionSignal::drain (int fd)
{
    char buffer[64];
    bool signalled = false;
    while (::read (fd, buffer, sizeof (buffer)) > 0)
        signalled = true;

    if (signalled && callback)
        callback();
}

} // namespace arx
