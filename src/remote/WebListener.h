#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <string>
#include <vector>

namespace arx
{

// The web remote's listening socket. It accepts each connection and reads it until the request
// line is complete, then hands the socket and the bytes read to the web server. The server's
// library decodes and folds the path before anyone sees it; the line as sent shows whether it
// did. A peer that sends no complete line in time, or an overlong one, is dropped here and takes
// nothing from the library.
//
// Threads: a thread of its own, which calls `arrived`; start() and stop() from the owner's.
class WebListener : private juce::Thread
{
public:
    static constexpr size_t maxLineBytes = 2048; // what the library takes back at once
    static constexpr juce::uint32 lineTimeoutMs = 10000;
    static constexpr size_t maxWaiting = 32;

    // The socket (now the callee's) and the bytes read from it, the request line and maybe more.
    using Arrived = std::function<void (int socket, std::string bytes)>;
    // A kind of refusal and the peer's address.
    using Refused = std::function<void (const juce::String& what, const juce::String& address)>;

    WebListener (Arrived arrived, Refused refused);
    ~WebListener() override;

    // Listens on `port`, on the loopback only unless `others`; false with the reason otherwise.
    bool start (int port, bool others, juce::String& error);
    void stop();

    // The path of a request line as sent ("/a%2fb" of "GET /a%2fb?x=1 HTTP/1.1"); empty when
    // the line has no target.
    static std::string pathOf (const std::string& bytes);

private:
    struct Waiting
    {
        int socket;
        std::string bytes;
        juce::uint32 since;
        juce::String address;
    };

    void run() override;
    void acceptAll();
    // False when the connection is done with here (handed over or dropped).
    bool readFrom (Waiting& w);
    void drop (Waiting& w, const char* why);

    Arrived arrived;
    Refused refused;
    int listener = -1;
    std::vector<Waiting> waiting; // the listener's thread only

    JUCE_DECLARE_NON_COPYABLE (WebListener)
};

} // namespace arx
