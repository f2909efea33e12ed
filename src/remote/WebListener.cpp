#include "remote/WebListener.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace arx
{

namespace
{
juce::String addressOf (const sockaddr_in& peer)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop (AF_INET, &peer.sin_addr, text, sizeof (text));
    return text;
}
} // namespace

WebListener::WebListener (Arrived a, Refused r) : juce::Thread ("web remote listener"), arrived (std::move (a)), refused (std::move (r)) {}

WebListener::~WebListener()
{
    stop();
}

std::string WebListener::pathOf (const std::string& bytes)
{
    const auto start = bytes.find (' ');
    if (start == std::string::npos)
        return {};
    const auto end = bytes.find_first_of (" ?\r\n", start + 1);
    return end == std::string::npos ? std::string() : bytes.substr (start + 1, end - start - 1);
}

bool WebListener::start (int port, bool others, juce::String& error)
{
    listener = ::socket (AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons ((uint16_t) port);
    address.sin_addr.s_addr = htonl (others ? INADDR_ANY : INADDR_LOOPBACK);
    if (listener < 0 || ::setsockopt (listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof (on)) != 0
        || ::bind (listener, reinterpret_cast<sockaddr*> (&address), sizeof (address)) != 0 || ::listen (listener, 64) != 0)
    {
        error = "cannot listen on port " + juce::String (port);
        stop();
        return false;
    }
    startThread();
    return true;
}

void WebListener::stop()
{
    // A listening socket shut down wakes the thread's poll, which otherwise sleeps while nobody
    // is half-way through a request line.
    signalThreadShouldExit();
    if (listener >= 0)
        ::shutdown (listener, SHUT_RDWR);
    stopThread (5000);
    for (auto& w : waiting)
        ::close (w.socket);
    waiting.clear();
    if (listener >= 0)
        ::close (listener);
    listener = -1;
}

void WebListener::run()
{
    while (! threadShouldExit())
    {
        std::vector<pollfd> fds { { listener, POLLIN, 0 } };
        for (const auto& w : waiting)
            fds.push_back ({ w.socket, POLLIN, 0 });
        // While a peer is on its request line, woken this often to see whom to drop.
        if (::poll (fds.data(), fds.size(), waiting.empty() ? -1 : 200) < 0 && errno != EINTR)
            break;

        const auto now = juce::Time::getMillisecondCounter();
        std::vector<Waiting> still;
        for (size_t i = 0; i < waiting.size(); ++i)
        {
            auto& w = waiting[i];
            if ((fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) != 0 ? readFrom (w) : true)
            {
                if (now - w.since < lineTimeoutMs)
                    still.push_back (std::move (w));
                else
                    drop (w, "an unfinished request");
            }
        }
        waiting.swap (still);
        if ((fds[0].revents & POLLIN) != 0)
            acceptAll();
    }
}

void WebListener::acceptAll()
{
    for (;;)
    {
        sockaddr_in peer {};
        socklen_t size = sizeof (peer);
        const int socket = ::accept4 (listener, reinterpret_cast<sockaddr*> (&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0)
            return;
        if (waiting.size() >= maxWaiting)
        {
            // The oldest has had the longest to finish its line.
            drop (waiting.front(), "an unfinished request");
            waiting.erase (waiting.begin());
        }
        waiting.push_back ({ socket, {}, juce::Time::getMillisecondCounter(), addressOf (peer) });
    }
}

bool WebListener::readFrom (Waiting& w)
{
    char buffer[maxLineBytes];
    const auto got = ::recv (w.socket, buffer, maxLineBytes - w.bytes.size(), 0);
    if (got <= 0)
    {
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        ::close (w.socket); // gone before it asked anything
        return false;
    }
    w.bytes.append (buffer, (size_t) got);
    if (w.bytes.find ('\n') != std::string::npos)
    {
        arrived (w.socket, std::move (w.bytes));
        return false;
    }
    if (w.bytes.size() >= maxLineBytes)
    {
        drop (w, "an overlong request line");
        return false;
    }
    return true;
}

void WebListener::drop (Waiting& w, const char* why)
{
    refused (why, w.address);
    ::close (w.socket);
}

} // namespace arx
