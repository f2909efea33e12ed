#pragma once

#include "remote/PairingGate.h"
#include "remote/WebListener.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>

struct lws;
struct lws_context;

namespace arx
{

// The web remote's HTTP and WebSocket server: serves its built-in files from memory (no path
// reaches the disk), hands out pairing sessions, and carries text messages between pages and
// the console. It knows nothing of windows or devices.
//
// A page on this computer needs no code; from another computer (only when others are allowed)
// the WebSocket opens only with a session from /pair and an Origin that is the page's own.
// Messages are capped in size and rate per connection; an offender is disconnected. Every kind
// of refusal is logged once per address, never with the code.
//
// Only a path that reached the library exactly as it names a built-in file is served: the
// listener keeps each request line as sent, and one request is answered per connection, so
// that no later request on it goes unseen.
//
// Threads: the server runs the library on a thread of its own, which calls Events; the listener
// has another, which hands connections over through a queue. send() and close() may be called
// from any thread: they queue and wake the server thread.
class WebServer : private juce::Thread
{
public:
    struct File
    {
        const char* data;
        int size;
        const char* mime;
    };

    struct Options
    {
        int port = 8400;
        bool allowOthers = false;
        std::map<juce::String, File> files; // by path, "/index.html"
    };

    // Server thread.
    class Events
    {
    public:
        virtual ~Events() = default;
        virtual void opened (int connection) = 0;
        virtual void received (int connection, std::string text) = 0;
        virtual void closed (int connection) = 0;
    };

    static constexpr size_t maxMessageBytes = 4096;
    static constexpr int messagesPerSecond = 100;
    static constexpr int messageBurst = 200;
    static constexpr size_t maxQueuedMessages = 512;

    WebServer (Options options, Events& events);
    ~WebServer() override;

    // Listens and starts the thread; false with the reason when the port cannot be had.
    bool start (juce::String& error);
    void stop();

    const juce::String& pairingCode() const noexcept { return gate.code(); }
    int port() const noexcept { return options.port; }
    bool allowsOthers() const noexcept { return options.allowOthers; }

    void send (int connection, std::string text);
    void close (int connection);

    // The library's per-connection space (WebServer.cpp).
    struct Connection;

private:
    friend struct WebServerCallback;

    void run() override;
    int onEvent (lws* wsi, int reason, void* user, void* in, size_t len);
    void arrived (int socket, std::string bytes);
    void adoptArrivals();
    // Whether the request's path reached the library as sent; true once per connection.
    bool cameAsSent (lws* wsi, const juce::String& path);
    int serveHttp (lws* wsi, Connection& c, const char* uri);
    int answerPairing (lws* wsi, Connection& c, const juce::String& address);
    bool acceptsSocket (lws* wsi, const juce::String& address);
    int receive (lws* wsi, Connection& c, const void* in, size_t len);
    int writeQueued (lws* wsi, Connection& c);
    void wakeWriters();
    void refuse (const juce::String& what, const juce::String& address);

    Options options;
    Events& events;
    PairingGate gate;
    lws_context* context = nullptr;
    WebListener listener;

    juce::CriticalSection outLock; // guards outbox, closing and arrivals
    std::map<int, std::deque<std::string>> outbox;
    std::set<int> closing;
    std::vector<std::pair<int, std::string>> arrivals;

    juce::CriticalSection refusalLock; // both threads refuse
    std::set<juce::String> refusalsLogged;

    // Server thread only.
    std::map<int, lws*> sockets;
    std::map<int, std::string> sentPaths; // by socket, until its request is answered
    int nextId = 1;

    JUCE_DECLARE_NON_COPYABLE (WebServer)
};

} // namespace arx
