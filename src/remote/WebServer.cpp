#include "remote/WebServer.h"
#include "remote/LibWebsockets.h"
#include "remote/RemotePeer.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <unistd.h>
#include <vector>

namespace arx
{

// The library's per-connection space: plain bytes it zeroes. `rx` is made when a WebSocket opens
// and goes when it closes.
struct WebServer::Connection
{
    int id;
    std::string* rx;
    double tokens;
    juce::uint32 lastRefillMs;
    const File* file;    // an HTTP answer waiting for its body
    unsigned status;
    char reply[96];      // a /pair answer
    int replyLength;
};

namespace
{
// Open from the first start of a server on; nothing below runs before one has started.
const LibWebsockets& library()
{
    return LibWebsockets::get();
}
} // namespace

struct WebServerCallback
{
    static int call (lws* wsi, lws_callback_reasons reason, void* user, void* in, size_t len)
    {
        auto* context = library().getContext (wsi);
        auto* server = context != nullptr ? static_cast<WebServer*> (library().contextUser (context)) : nullptr;
        if (server == nullptr)
            return library().callbackHttpDummy (wsi, reason, user, in, len);
        return server->onEvent (wsi, (int) reason, user, in, len);
    }
};

namespace
{
const lws_protocols protocols[] = {
    { "arx-remote", WebServerCallback::call, sizeof (WebServer::Connection), WebServer::maxMessageBytes, 0,
      nullptr, 0 },
    { nullptr, nullptr, 0, 0, 0, nullptr, 0 }
};

constexpr const char* securityPolicy = "default-src 'self'; connect-src 'self'; frame-ancestors 'none'";

juce::String peerOf (lws* wsi)
{
    char address[128] = {};
    library().getPeerSimple (wsi, address, sizeof (address));
    return address;
}

juce::String header (lws* wsi, lws_token_indexes token)
{
    const int length = library().hdrTotalLength (wsi, token);
    if (length <= 0 || length > 1024)
        return {};
    std::vector<char> text ((size_t) length + 1);
    if (library().hdrCopy (wsi, text.data(), length + 1, token) < 0)
        return {};
    return juce::String::fromUTF8 (text.data());
}

// One request per connection: the next one on it would reach the library unseen by the
// listener. The library sends what it still holds before it closes.
// The value of "name=value" in the query; the library hands back the whole pair in its buffer
// and the value as the pointer it returns.
juce::String urlArgument (lws* wsi, const char* name)
{
    char pair[96] = {};
    const char* value = library().getUrlargByName (wsi, name, pair, sizeof (pair));
    return value != nullptr ? juce::String::fromUTF8 (value) : juce::String();
}

// The library writes a leftover notice on each adopted socket as an error; the rest go on.
void writeLibraryLog (int, const char* line)
{
    if (std::strstr (line, "calling service") == nullptr)
        std::fputs (line, stderr);
}

int completeTransaction (lws*)
{
    return -1;
}
} // namespace

//==============================================================================
WebServer::WebServer (Options o, Events& e)
    : juce::Thread ("web remote"), options (std::move (o)), events (e),
      listener ([this] (int socket, std::string bytes) { arrived (socket, std::move (bytes)); },
                [this] (const juce::String& what, const juce::String& address) { refuse (what, address); })
{
}

WebServer::~WebServer()
{
    stop();
}

bool WebServer::start (juce::String& error)
{
    if (LibWebsockets::open (error) == nullptr)
        return false;
    library().setLogLevel (LLL_ERR, writeLibraryLog);

    if (options.allowOthers && gate.code().isEmpty())
    {
        error = "no pairing code (the system's random source failed)";
        return false;
    }

    lws_context_creation_info info;
    std::memset (&info, 0, sizeof (info));
    info.port = CONTEXT_PORT_NO_LISTEN_SERVER; // the listener accepts
    info.protocols = protocols;
    info.user = this;
    info.options = LWS_SERVER_OPTION_DISABLE_IPV6 | LWS_SERVER_OPTION_VALIDATE_UTF8;
    info.timeout_secs = 10; // a connection that stalls half-way goes
    info.ka_time = 30;      // a WebSocket whose other end vanished goes
    info.ka_probes = 3;
    info.ka_interval = 5;

    context = library().createContext (&info);
    if (context == nullptr)
    {
        error = "cannot start the web server";
        return false;
    }
    if (! listener.start (options.port, options.allowOthers, error))
    {
        library().contextDestroy (context);
        context = nullptr;
        return false;
    }
    startThread();
    return true;
}

void WebServer::stop()
{
    if (context == nullptr)
        return;
    listener.stop();
    signalThreadShouldExit();
    library().cancelService (context);
    stopThread (5000);
    library().contextDestroy (context);
    context = nullptr;
    for (auto& [socket, bytes] : arrivals)
        ::close (socket);
    arrivals.clear();
}

void WebServer::arrived (int socket, std::string bytes)
{
    {
        const juce::ScopedLock sl (outLock);
        arrivals.emplace_back (socket, std::move (bytes));
    }
    library().cancelService (context);
}

void WebServer::adoptArrivals()
{
    std::vector<std::pair<int, std::string>> taken;
    {
        const juce::ScopedLock sl (outLock);
        taken.swap (arrivals);
    }
    for (auto& [socket, bytes] : taken)
    {
        sentPaths[socket] = WebListener::pathOf (bytes);
        // On failure the library has closed the socket.
        if (library().adoptSocketReadbuf (context, socket, bytes.data(), bytes.size()) == nullptr)
            sentPaths.erase (socket);
    }
}

bool WebServer::cameAsSent (lws* wsi, const juce::String& path)
{
    const auto it = sentPaths.find (library().getSocketFd (wsi));
    if (it == sentPaths.end())
        return false;
    const bool same = path.toStdString() == it->second;
    sentPaths.erase (it);
    return same;
}

void WebServer::run()
{
    while (! threadShouldExit())
        if (library().service (context, 0) < 0)
            break;
}

void WebServer::send (int connection, std::string text)
{
    {
        const juce::ScopedLock sl (outLock);
        auto& queue = outbox[connection];
        if (queue.size() >= maxQueuedMessages)
            closing.insert (connection); // a page that reads nothing is not kept
        else
            queue.push_back (std::move (text));
    }
    if (context != nullptr)
        library().cancelService (context);
}

void WebServer::close (int connection)
{
    {
        const juce::ScopedLock sl (outLock);
        closing.insert (connection);
    }
    if (context != nullptr)
        library().cancelService (context);
}

void WebServer::refuse (const juce::String& what, const juce::String& address)
{
    const juce::ScopedLock sl (refusalLock);
    // Bounded: past this many kinds and addresses nothing more is written or kept.
    if (refusalsLogged.size() < 1000 && refusalsLogged.insert (what + " " + address).second)
        juce::Logger::writeToLog ("Web remote - refused " + what + " from " + address);
}

void WebServer::wakeWriters()
{
    std::vector<int> waiting;
    {
        const juce::ScopedLock sl (outLock);
        for (auto& [id, queue] : outbox)
            if (! queue.empty())
                waiting.push_back (id);
        for (auto id : closing)
            waiting.push_back (id);
    }
    for (auto id : waiting)
        if (auto it = sockets.find (id); it != sockets.end())
            library().callbackOnWritable (it->second);
}

//==============================================================================
int WebServer::onEvent (lws* wsi, int reasonNumber, void* user, void* in, size_t len)
{
    auto* c = static_cast<Connection*> (user);
    switch ((lws_callback_reasons) reasonNumber)
    {
        case LWS_CALLBACK_EVENT_WAIT_CANCELLED:
            adoptArrivals();
            wakeWriters();
            return 0;

        case LWS_CALLBACK_HTTP:
            return c != nullptr ? serveHttp (wsi, *c, static_cast<const char*> (in)) : -1;

        case LWS_CALLBACK_HTTP_WRITEABLE:
        {
            if (c == nullptr)
                return -1;
            const char* data = c->file != nullptr ? c->file->data : c->reply;
            const int size = c->file != nullptr ? c->file->size : c->replyLength;
            std::vector<unsigned char> out (LWS_PRE + (size_t) size);
            std::memcpy (out.data() + LWS_PRE, data, (size_t) size);
            c->file = nullptr;
            if (library().write (wsi, out.data() + LWS_PRE, (size_t) size, LWS_WRITE_HTTP_FINAL) != size)
                return -1;
            return completeTransaction (wsi);
        }

        case LWS_CALLBACK_FILTER_PROTOCOL_CONNECTION:
            return acceptsSocket (wsi, peerOf (wsi)) ? 0 : 1;

        case LWS_CALLBACK_ESTABLISHED:
        {
            if (c == nullptr)
                return -1;
            c->id = nextId++;
            c->rx = new (std::nothrow) std::string();
            if (c->rx == nullptr)
                return -1;
            c->tokens = messageBurst;
            c->lastRefillMs = juce::Time::getMillisecondCounter();
            sockets[c->id] = wsi;
            events.opened (c->id);
            return 0;
        }

        case LWS_CALLBACK_RECEIVE:
            return c != nullptr && c->rx != nullptr ? receive (wsi, *c, in, len) : -1;

        case LWS_CALLBACK_SERVER_WRITEABLE:
            return c != nullptr ? writeQueued (wsi, *c) : -1;

        case LWS_CALLBACK_CLOSED:
            if (c != nullptr && c->rx != nullptr)
            {
                delete c->rx;
                c->rx = nullptr;
                sockets.erase (c->id);
                {
                    const juce::ScopedLock sl (outLock);
                    outbox.erase (c->id);
                    closing.erase (c->id);
                }
                events.closed (c->id);
            }
            return 0;

        default:
            return library().callbackHttpDummy (wsi, (lws_callback_reasons) reasonNumber, user, in, len);
    }
}

int WebServer::serveHttp (lws* wsi, Connection& c, const char* uri)
{
    const auto address = peerOf (wsi);
    const juce::String path = uri != nullptr ? juce::String::fromUTF8 (uri) : juce::String();

    if (! options.allowOthers && ! RemotePeer::isLoopback (address))
    {
        refuse ("a request (others are not allowed)", address);
        library().returnHttpStatus (wsi, HTTP_STATUS_FORBIDDEN, nullptr);
        return completeTransaction (wsi);
    }
    // Only the built-in files, by their exact names as sent: nothing here names a file on the
    // disk, and no encoded or folded path stands for a built-in one.
    const bool asSent = cameAsSent (wsi, path);
    if (asSent && path == "/pair")
        return answerPairing (wsi, c, address);
    const auto it = options.files.find (path == "/" ? juce::String ("/index.html") : path);
    if (! asSent || it == options.files.end())
    {
        refuse ("an unknown path", address);
        library().returnHttpStatus (wsi, HTTP_STATUS_NOT_FOUND, nullptr);
        return completeTransaction (wsi);
    }

    unsigned char buffer[LWS_PRE + 1024];
    unsigned char *start = buffer + LWS_PRE, *p = start, *end = buffer + sizeof (buffer) - 1;
    if (library().addHttpCommonHeaders (wsi, HTTP_STATUS_OK, it->second.mime, (lws_filepos_t) it->second.size, &p, end)
        || library().addHttpHeaderByName (wsi, (const unsigned char*) "content-security-policy:",
                                        (const unsigned char*) securityPolicy, (int) std::strlen (securityPolicy), &p, end)
        || library().addHttpHeaderByName (wsi, (const unsigned char*) "cache-control:", (const unsigned char*) "no-store", 8,
                                        &p, end)
        || library().finalizeWriteHttpHeader (wsi, start, &p, end))
        return -1;
    c.file = &it->second;
    library().callbackOnWritable (wsi);
    return 0;
}

int WebServer::answerPairing (lws* wsi, Connection& c, const juce::String& address)
{
    const auto typed = urlArgument (wsi, "code=");

    juce::String token;
    unsigned status = HTTP_STATUS_OK;
    if (RemotePeer::isLoopback (address))
    {
        token = gate.session();
        if (token.isEmpty())
            status = HTTP_STATUS_SERVICE_UNAVAILABLE;
    }
    else if (typed.isEmpty())
    {
        // The page's first question: no code typed yet, so no miss either.
        status = HTTP_STATUS_UNAUTHORIZED;
    }
    else
    {
        switch (gate.pair (address, typed, juce::Time::getMillisecondCounter(), token))
        {
            case PairingGate::Answer::paired: break;
            case PairingGate::Answer::wrongCode:
                refuse ("a wrong pairing code", address);
                status = HTTP_STATUS_FORBIDDEN;
                break;
            case PairingGate::Answer::slowDown:
                refuse ("pairing while locked out", address);
                status = 429;
                break;
        }
    }

    const auto body = status == HTTP_STATUS_OK ? "{\"session\":\"" + token + "\"}" : juce::String ("{\"error\":\"refused\"}");
    c.replyLength = (int) juce::jmin ((size_t) body.getNumBytesAsUTF8(), sizeof (c.reply));
    std::memcpy (c.reply, body.toRawUTF8(), (size_t) c.replyLength);
    c.file = nullptr;

    unsigned char buffer[LWS_PRE + 512];
    unsigned char *start = buffer + LWS_PRE, *p = start, *end = buffer + sizeof (buffer) - 1;
    if (library().addHttpCommonHeaders (wsi, status, "application/json", (lws_filepos_t) c.replyLength, &p, end)
        || library().addHttpHeaderByName (wsi, (const unsigned char*) "cache-control:", (const unsigned char*) "no-store", 8,
                                        &p, end)
        || library().finalizeWriteHttpHeader (wsi, start, &p, end))
        return -1;
    library().callbackOnWritable (wsi);
    return 0;
}

bool WebServer::acceptsSocket (lws* wsi, const juce::String& address)
{
    if (! options.allowOthers && ! RemotePeer::isLoopback (address))
        return refuse ("a WebSocket (others are not allowed)", address), false;
    if (! cameAsSent (wsi, header (wsi, WSI_TOKEN_GET_URI)))
        return refuse ("a WebSocket at an encoded path", address), false;

    // A page of another site in the same browser must not reach the console.
    const auto origin = header (wsi, WSI_TOKEN_ORIGIN);
    const auto host = header (wsi, WSI_TOKEN_HOST);
    if (host.isEmpty() || origin != "http://" + host)
        return refuse ("a WebSocket from another origin", address), false;

    if (RemotePeer::isLoopback (address))
        return true;

    if (! gate.isSession (urlArgument (wsi, "session=")))
        return refuse ("a WebSocket without pairing", address), false;
    return true;
}

int WebServer::receive (lws* wsi, Connection& c, const void* in, size_t len)
{
    if (library().frameIsBinary (wsi))
    {
        refuse ("a binary frame", peerOf (wsi));
        library().closeReason (wsi, LWS_CLOSE_STATUS_UNACCEPTABLE_OPCODE, nullptr, 0);
        return -1;
    }
    if (c.rx->size() + len > maxMessageBytes || library().remainingPacketPayload (wsi) > maxMessageBytes)
    {
        refuse ("an oversized message", peerOf (wsi));
        library().closeReason (wsi, LWS_CLOSE_STATUS_MESSAGE_TOO_LARGE, nullptr, 0);
        return -1;
    }
    c.rx->append (static_cast<const char*> (in), len);
    if (! library().isFinalFragment (wsi) || library().remainingPacketPayload (wsi) != 0)
        return 0;

    const auto now = juce::Time::getMillisecondCounter();
    c.tokens = juce::jmin ((double) messageBurst, c.tokens + (now - c.lastRefillMs) * messagesPerSecond / 1000.0);
    c.lastRefillMs = now;
    if (c.tokens < 1.0)
    {
        refuse ("a flood of messages", peerOf (wsi));
        library().closeReason (wsi, LWS_CLOSE_STATUS_POLICY_VIOLATION, nullptr, 0);
        return -1;
    }
    c.tokens -= 1.0;

    std::string text;
    text.swap (*c.rx);
    events.received (c.id, std::move (text));
    return 0;
}

int WebServer::writeQueued (lws* wsi, Connection& c)
{
    std::string text;
    bool more = false;
    {
        const juce::ScopedLock sl (outLock);
        if (closing.count (c.id) > 0)
        {
            library().closeReason (wsi, LWS_CLOSE_STATUS_POLICY_VIOLATION, nullptr, 0);
            return -1;
        }
        auto it = outbox.find (c.id);
        if (it == outbox.end() || it->second.empty())
            return 0;
        text = std::move (it->second.front());
        it->second.pop_front();
        more = ! it->second.empty();
    }

    std::vector<unsigned char> out (LWS_PRE + text.size());
    std::memcpy (out.data() + LWS_PRE, text.data(), text.size());
    if (library().write (wsi, out.data() + LWS_PRE, text.size(), LWS_WRITE_TEXT) < (int) text.size())
        return -1;
    if (more)
        library().callbackOnWritable (wsi);
    return 0;
}

} // namespace arx
