// The web remote of the real console against the device lab, under X, with WebSocket clients of
// the server's own library that open as a browser's page does (the page's origin, its protocol).
// 1. A page's level change to the command that reaches the device: p50 and p99 (goal: p99 under
//    5 ms). Measured as the OSC bench does: the lab is asked over its control socket, one dump
//    after the other, so the figure errs long by up to one dump's round trip (also in the table).
// 2. 20 pages open on one device, without and then with meters: the console's CPU share, the
//    meter messages each page gets, and the round trip of a request through the message thread
//    (a device list asked by one more page), which waits behind whatever the thread has queued.
// Run by hand: build/bin/bench_web_remote (starts its own Xvfb when DISPLAY is unset).

#include "device/GainCode.h"
#include "e2e/harness/ConsoleRig.h"

#include "bench/bench_probe.h"
#include "bench/bench_under_x.h"

#include <benchmark/benchmark.h>
#include <libwebsockets.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using namespace arx::e2e;
using arx::bench::Clock;
using arx::bench::format;
using arx::bench::msSince;
using arx::bench::LabProbe;
using arx::bench::percentile;
using arx::bench::table;

// `count` pages on one client context and a thread of its own. Each keeps how many messages of
// each type ("mix", "meters", "devices", ...) it received.
class Pages
{
public:
    Pages (int port, int count) : counts ((size_t) count), outbox ((size_t) count), sockets ((size_t) count), partial ((size_t) count)
    {
        static const lws_protocols protocols[] = { { "arx-remote", call, 0, 65536, 0, nullptr, 0 },
                                                   { nullptr, nullptr, 0, 0, 0, nullptr, 0 } };
        lws_set_log_level (LLL_ERR, nullptr);
        lws_context_creation_info info {};
        info.port = CONTEXT_PORT_NO_LISTEN;
        info.protocols = protocols;
        info.user = this;
        context = lws_create_context (&info);
        const auto host = "127.0.0.1:" + std::to_string (port);
        for (int i = 0; context != nullptr && i < count; ++i)
        {
            lws_client_connect_info c {};
            c.context = context;
            c.address = "127.0.0.1";
            c.port = port;
            c.path = "/";
            c.host = host.c_str();
            c.origin = host.c_str(); // sent as http://HOST, the page's own origin
            c.protocol = "arx-remote";
            c.userdata = reinterpret_cast<void*> ((intptr_t) i);
            lws_client_connect_via_info (&c);
        }
        if (context != nullptr)
            thread = std::thread ([this] {
                while (! done)
                    lws_service (context, 0);
            });
    }

    ~Pages()
    {
        done = true;
        if (context != nullptr)
        {
            lws_cancel_service (context);
            thread.join();
            lws_context_destroy (context);
        }
    }

    bool waitOpen (int timeoutMs)
    {
        return ConsoleRig::waitUntil ([&] { return opened == (int) sockets.size(); }, timeoutMs, 5);
    }

    void send (int page, std::string text)
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            outbox[(size_t) page].push_back (std::move (text));
        }
        lws_cancel_service (context);
    }

    void sendAll (const std::string& text)
    {
        for (int i = 0; i < (int) sockets.size(); ++i)
            send (i, text);
    }

    int received (int page, const juce::String& type)
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return counts[(size_t) page][type];
    }

    // When the last message of any page went to the socket.
    Clock::time_point lastWrite()
    {
        const std::lock_guard<std::mutex> lock (mutex);
        return written;
    }

    bool waitFor (int page, const juce::String& type, int atLeast, int timeoutMs)
    {
        std::unique_lock<std::mutex> lock (mutex);
        return arrived.wait_for (lock, std::chrono::milliseconds (timeoutMs),
                                 [&] { return counts[(size_t) page][type] >= atLeast; });
    }

private:
    static int call (lws* wsi, lws_callback_reasons reason, void*, void* in, size_t len)
    {
        auto* context = lws_get_context (wsi);
        auto* self = context != nullptr ? static_cast<Pages*> (lws_context_user (context)) : nullptr;
        if (self == nullptr)
            return 0;
        const auto page = (size_t) (intptr_t) lws_wsi_user (wsi);
        switch (reason)
        {
            case LWS_CALLBACK_CLIENT_ESTABLISHED:
                self->sockets[page] = wsi;
                ++self->opened;
                return 0;
            case LWS_CALLBACK_CLIENT_RECEIVE: self->receive (page, wsi, in, len); return 0;
            case LWS_CALLBACK_CLIENT_WRITEABLE: return self->write (page, wsi);
            case LWS_CALLBACK_EVENT_WAIT_CANCELLED:
                for (auto* s : self->sockets)
                    if (s != nullptr)
                        lws_callback_on_writable (s);
                return 0;
            case LWS_CALLBACK_CLIENT_CONNECTION_ERROR:
                std::fprintf (stderr, "page %d: %s\n", (int) page, in != nullptr ? (const char*) in : "connection error");
                return 0;
            default: return 0;
        }
    }

    void receive (size_t page, lws* wsi, void* in, size_t len)
    {
        auto& text = partial[page];
        text.append (static_cast<const char*> (in), len);
        if (! lws_is_final_fragment (wsi) || lws_remaining_packet_payload (wsi) != 0)
            return;
        const auto type = juce::JSON::parse (juce::String::fromUTF8 (text.data(), (int) text.size()))["t"].toString();
        text.clear();
        {
            const std::lock_guard<std::mutex> lock (mutex);
            ++counts[page][type];
        }
        arrived.notify_all();
    }

    int write (size_t page, lws* wsi)
    {
        std::string text;
        {
            const std::lock_guard<std::mutex> lock (mutex);
            if (outbox[page].empty())
                return 0;
            text = std::move (outbox[page].front());
            outbox[page].pop_front();
        }
        std::vector<unsigned char> out (LWS_PRE + text.size());
        std::memcpy (out.data() + LWS_PRE, text.data(), text.size());
        if (lws_write (wsi, out.data() + LWS_PRE, text.size(), LWS_WRITE_TEXT) < (int) text.size())
            return -1;
        {
            const std::lock_guard<std::mutex> lock (mutex);
            written = Clock::now();
        }
        lws_callback_on_writable (wsi);
        return 0;
    }

    std::mutex mutex; // guards counts, outbox and written
    std::condition_variable arrived;
    std::vector<std::map<juce::String, int>> counts;
    std::vector<std::deque<std::string>> outbox;
    Clock::time_point written;
    // The client thread only.
    std::vector<lws*> sockets;
    std::vector<std::string> partial; // each page's message so far
    std::atomic<int> opened { 0 };
    std::atomic<bool> done { false };
    lws_context* context = nullptr;
    std::thread thread;
};

int freeTcpPort()
{
    juce::StreamingSocket probe;
    return probe.createListener (0, "127.0.0.1") ? probe.getBoundPort() : -1;
}

// A console with one device window and its web remote listening.
struct WebScene
{
    explicit WebScene (const std::string& rigName) : rig (rigName) { rig.keepNoScreenshot(); }

    bool start()
    {
        port = freeTcpPort();
        WindowInfo window;
        return port > 0
               && arx::bench::startRemoteConsole (rig, { "--web", std::to_string (port) }, "Web remote - listening", name,
                                                  console, window);
    }

    // Opens the device on every page and waits for each one's mix.
    bool open (Pages& pages, int count)
    {
        if (! pages.waitOpen (10000))
            return false;
        pages.sendAll ("{\"t\":\"open\",\"dev\":\"" + name + "\"}");
        for (int i = 0; i < count; ++i)
            if (! pages.waitFor (i, "mix", 1, 10000))
                return false;
        return true;
    }

    void stop() { arx::bench::closeAll (rig, { name }, console); }

    ConsoleRig rig;
    int port = -1, console = -1;
    std::string name;
};

// A page's level for playback 1 to the device's command, state.range(0) times, alternating two
// levels so that each one is a change.
void BM_WebLevelToDevice (benchmark::State& state)
{
    const int samples = (int) state.range (0);
    for (auto _ : state)
    {
        WebScene scene ("bench.web.latency");
        if (! scene.start())
        {
            state.SkipWithError ("the console with its web remote did not come up");
            return;
        }
        Pages page (scene.port, 1);
        if (! scene.open (page, 1))
        {
            state.SkipWithError ("the page did not get the device's mix");
            return;
        }
        const LabProbe probe (scene.rig.deviceDir(), scene.name);
        std::vector<double> latency, roundTrip;
        int lost = 0;
        const auto commandsBefore = LabProbe::numberAfter (probe.dump(), "6/0");
        for (int i = 0; i < samples; ++i)
        {
            const float level = i % 2 == 0 ? -10.0f : -20.0f;
            const auto code = (long long) arx::gainToCode (level);
            const auto sent = Clock::now();
            page.send (0, "{\"t\":\"set\",\"dev\":\"" + scene.name + "\",\"k\":\"pl\",\"a\":0,\"v\":" + std::to_string ((int) level) + "}");
            const bool arrived = probe.waitUntilHolds ("playbackGain", 0, code, sent, roundTrip);
            // From the frame's write to the socket: the client's own hop to its thread is no part
            // of the console's time.
            arrived ? latency.push_back (msSince (page.lastWrite())) : (void) ++lost;
            // Let the console's repaint of this change pass before the next one (and stay under
            // the server's rate cap).
            std::this_thread::sleep_for (std::chrono::milliseconds (20));
        }
        const auto commands = LabProbe::numberAfter (probe.dump(), "6/0") - commandsBefore;
        const std::string prefix = "web page level -> device command (" + std::to_string (samples) + " messages): ";
        arx::bench::reportLatency (state, prefix, "5", latency, roundTrip, lost);
        table()[prefix + "device level commands per change"] = format ("%.1f", double (commands) / samples);
        scene.stop();
    }
}

// The console's CPU share over `seconds` and then the round trips of 200 device list requests
// from `prober`'s page, one every 20 ms, each from its write to the socket. The seconds measured.
double measure (WebScene& scene, Pages& prober, Pages* pages, const std::string& prefix, int seconds)
{
    const auto pid = scene.rig.console (scene.console).pid();
    const int meters0 = pages != nullptr ? pages->received (0, "meters") : 0;
    const double cpu0 = arx::bench::cpuSeconds (pid);
    const auto start = Clock::now();
    std::this_thread::sleep_for (std::chrono::seconds (seconds));
    const double wall = msSince (start) / 1000.0;
    table()[prefix + "console CPU (% of a core)"] = format ("%.2f", 100.0 * (arx::bench::cpuSeconds (pid) - cpu0) / wall);
    if (pages != nullptr)
        table()[prefix + "meter messages per second, one page"] = format ("%.1f", (pages->received (0, "meters") - meters0) / wall);

    std::vector<double> roundTrip;
    for (int i = 0; i < 200; ++i)
    {
        const int before = prober.received (0, "devices");
        prober.send (0, "{\"t\":\"list\"}");
        if (prober.waitFor (0, "devices", before + 1, 5000))
            roundTrip.push_back (msSince (prober.lastWrite()));
        std::this_thread::sleep_for (std::chrono::milliseconds (20));
    }
    table()[prefix + "request through the message thread, p50 (ms)"] = format ("%.2f", percentile (roundTrip, 0.5));
    table()[prefix + "request through the message thread, p99 (ms)"] = format ("%.2f", percentile (roundTrip, 0.99));
    return wall;
}

// state.range(0) pages on the device: first with the meters off, then every page asking for them.
void BM_WebPagesWithMeters (benchmark::State& state)
{
    const int count = (int) state.range (0);
    for (auto _ : state)
    {
        WebScene scene ("bench.web.pages");
        if (! scene.start())
        {
            state.SkipWithError ("the console with its web remote did not come up");
            return;
        }
        Pages prober (scene.port, 1);
        if (! prober.waitOpen (10000))
        {
            state.SkipWithError ("the probing page did not open");
            return;
        }
        double seconds = measure (scene, prober, nullptr, "web remote, no page but the prober: ", 10);

        Pages pages (scene.port, count);
        if (! scene.open (pages, count))
        {
            state.SkipWithError ("not every page got the device's mix");
            return;
        }
        const auto prefix = "web remote, " + std::to_string (count) + " pages open";
        seconds += measure (scene, prober, &pages, prefix + ", meters off: ", 10);
        pages.sendAll ("{\"t\":\"meters\",\"on\":true}");
        if (! pages.waitFor (count - 1, "meters", 1, 5000))
        {
            state.SkipWithError ("the pages got no meters");
            return;
        }
        seconds += measure (scene, prober, &pages, prefix + " with meters: ", 15);
        state.SetIterationTime (seconds);
        scene.stop();
    }
}

BENCHMARK (BM_WebLevelToDevice)->Arg (500)->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);
BENCHMARK (BM_WebPagesWithMeters)->Arg (20)->Iterations (1)->UseManualTime()->Unit (benchmark::kSecond);
} // namespace

int main (int argc, char** argv)
{
    return arx::bench::runUnderXServer (argc, argv, "bench_web_remote", "web remote figure");
}
