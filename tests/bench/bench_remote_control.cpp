// Remote control over OSC of the real console against the device lab, under X.
// 1. One level message to the command that reaches the device: p50 and p99 (goal: p99 under
//    2 ms). The lab is asked over its control socket, one dump after the other, until the
//    device holds the level; the figure is taken when the dump that shows it comes back, so it
//    errs long by up to one dump's round trip (also in the table).
// 2. 10,000 levels to one fader within one second: whether the device ends on the last one, how
//    many device commands carried them, how many the kernel dropped before the console read them,
//    and how long a level typed in the window takes to reach the device, alone and mid-flood.
// Run by hand: build/bin/bench_remote_control (starts its own Xvfb when DISPLAY is unset).

#include "device/GainCode.h"
#include "e2e/harness/ConsoleRig.h"

#include "bench/bench_probe.h"
#include "bench/bench_under_x.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>


namespace
{
using namespace arx::e2e;
using arx::bench::Clock;
using arx::bench::format;
using arx::bench::msSince;
using arx::bench::LabProbe;
using arx::bench::percentile;
using arx::bench::table;

constexpr int outX = 13 * 54 + 108, columnY = 30 + 137;

int freeUdpPort()
{
    juce::DatagramSocket probe;
    return probe.bindToPort (0, "127.0.0.1") ? probe.getBoundPort() : -1;
}

// One OSC message with one float argument.
juce::MemoryBlock levelPacket (const std::string& address, float level)
{
    juce::MemoryBlock block;
    const auto pad = [&block] (const std::string& text)
    {
        block.append (text.c_str(), text.size());
        const char zeros[4]{};
        block.append (zeros, 4 - text.size() % 4);
    };
    pad (address);
    pad (",f");
    uint32_t bits = 0;
    std::memcpy (&bits, &level, 4);
    const uint8_t bigEndian[4]{uint8_t (bits >> 24), uint8_t (bits >> 16), uint8_t (bits >> 8),
                               uint8_t (bits)};
    block.append (bigEndian, 4);
    return block;
}

// Datagrams the kernel dropped on the console's OSC socket (the last column of /proc/net/udp).
long long udpDrops (int port)
{
    std::ifstream in ("/proc/net/udp");
    std::string row;
    char wanted[8];
    std::snprintf (wanted, sizeof (wanted), ":%04X", port);
    while (std::getline (in, row))
    {
        std::istringstream fields (row);
        std::string slot, local, last, field;
        fields >> slot >> local;
        if (local.size() < 5 || local.substr (local.size() - 5) != wanted)
            continue;
        while (fields >> field)
            last = field;
        return std::stoll (last);
    }
    return -1;
}

// A console with one device window and its OSC endpoint listening.
struct RemoteScene
{
    explicit RemoteScene (const std::string& rigName) : rig (rigName) { rig.keepNoScreenshot(); }

    bool start()
    {
        port = freeUdpPort();
        return port > 0 && arx::bench::startRemoteConsole (rig, {"--osc", std::to_string (port)},
                                                           "remote control: Listening", name,
                                                           console, window);
    }

    void send (const juce::MemoryBlock& packet)
    {
        socket.write ("127.0.0.1", port, packet.getData(), (int)packet.getSize());
    }

    bool deviceHas (const char* table, int index, long long value, int timeoutMs = 10000)
    {
        return ConsoleRig::waitUntil ([&] { return probe().cell (table, index) == value; },
                                      timeoutMs, 1);
    }

    // Clicks the output fader's value field and types `text` without confirming it.
    bool typeOutputLevel (const std::string& text)
    {
        const auto x = std::to_string (window.x + outX + 29),
                   y = std::to_string (window.y + columnY + 325);
        // --sync waits for the pointer to move: it starts from elsewhere.
        const auto aside = std::to_string (window.x + outX + 5);
        for (const auto& args :
             {std::vector<std::string>{"mousemove", "--sync", aside, y},
              std::vector<std::string>{"mousemove", "--sync", x, y, "click", "1"},
              std::vector<std::string>{"type", "--delay", "30", "--", text}})
            if (const auto r = rig.xdotool (args); r.exitCode != 0)
            {
                std::fprintf (stderr, "xdotool %s: exit %d: %s\n", args[0].c_str(), r.exitCode,
                              r.err.c_str());
                return false;
            }
        return true;
    }

    // Presses Return in the typed field and waits for the device to hold `level` on output 1.
    // Milliseconds to that from before xdotool starts (its start-up included) and from when it
    // has sent the key and ended; -1 when the level never came.
    std::pair<double, double> confirmAndTime (float level)
    {
        const auto starting = Clock::now();
        if (rig.xdotool ({"key", "Return"}).exitCode != 0)
            return {-1, -1};
        const auto sent = Clock::now();
        if (!deviceHas ("outputGain", 0, arx::gainToCode (level)))
            return {-1, -1};
        return {msSince (starting), msSince (sent)};
    }

    LabProbe probe() const { return LabProbe (rig.deviceDir(), name); }

    void stop() { arx::bench::closeAll (rig, { name }, console); }

    ConsoleRig rig;
    juce::DatagramSocket socket;
    int port = -1, console = -1;
    std::string name;
    WindowInfo window;
};

// Level to the device's command, state.range(0) times, alternating two levels so that each one
// is a change.
void BM_OscLevelToDevice (benchmark::State& state)
{
    const int samples = (int)state.range (0);
    for (auto _ : state)
    {
        RemoteScene scene ("bench.osc.latency");
        if (!scene.start())
        {
            state.SkipWithError ("the console with its OSC endpoint did not come up");
            return;
        }
        const auto probe = scene.probe();
        std::vector<double> latency, roundTrip;
        int lost = 0;
        for (int i = 0; i < samples; ++i)
        {
            const float level = i % 2 == 0 ? -10.0f : -20.0f;
            const auto code = (long long)arx::gainToCode (level);
            const auto packet = levelPacket ("/arx/1/playback/1/level", level);
            const auto sent = Clock::now();
            scene.send (packet);
            if (probe.waitUntilHolds ("playbackGain", 0, code, sent, roundTrip))
                latency.push_back (msSince (sent));
            else
                ++lost;
            // Let the console's repaint of this change pass before the next one.
            std::this_thread::sleep_for (std::chrono::milliseconds (20));
        }
        arx::bench::reportLatency (state, "OSC level -> device command (" + std::to_string (samples) + " messages): ",
                                   "2", latency, roundTrip, lost);
        scene.stop();
    }
}

// 10,000 levels to playback 1 within one second; a level typed into output 1 before it and
// during it.
void BM_OscFlood (benchmark::State& state)
{
    constexpr int messages = 10000;
    constexpr float lastLevel = -7.7f;
    for (auto _ : state)
    {
        RemoteScene scene ("bench.osc.flood");
        if (!scene.start())
        {
            state.SkipWithError ("the console with its OSC endpoint did not come up");
            return;
        }
        const auto probe = scene.probe();

        // The typed level alone, for comparison.
        const auto typedAlone =
            scene.typeOutputLevel ("-25") ? scene.confirmAndTime (-25.0f) : std::pair{-1.0, -1.0};

        const auto before = probe.dump();
        const auto setsBefore = LabProbe::numberAfter (before, "6/0");
        const auto dropsBefore = udpDrops (scene.port);
        if (!scene.typeOutputLevel ("-20"))
        {
            state.SkipWithError ("xdotool could not type into the window");
            return;
        }

        std::vector<juce::MemoryBlock> packets;
        for (int i = 0; i < messages; ++i)
            packets.push_back (
                levelPacket ("/arx/1/playback/1/level",
                             i == messages - 1 ? lastLevel : -60.0f + 0.1f * (float)(i % 500)));
        std::atomic<bool> floodDone{false};
        Clock::time_point lastSent;
        const auto start = Clock::now();
        std::thread flood (
            [&]
            {
                juce::DatagramSocket socket;
                for (int i = 0; i < messages; ++i)
                {
                    std::this_thread::sleep_until (start + std::chrono::microseconds (100 * i));
                    socket.write ("127.0.0.1", scene.port, packets[(size_t)i].getData(),
                                  (int)packets[(size_t)i].getSize());
                }
                lastSent = Clock::now();
                floodDone = true;
            });
        std::this_thread::sleep_until (start + std::chrono::milliseconds (400));
        const auto typedInFlood = scene.confirmAndTime (-20.0f);
        const bool typedWhileFlooding = !floodDone;
        flood.join();
        const double sendSeconds = std::chrono::duration<double> (lastSent - start).count();

        const auto lastCode = (long long)arx::gainToCode (lastLevel);
        const bool endsOnLast = scene.deviceHas ("playbackGain", 0, lastCode, 15000);
        const double toLast =
            endsOnLast ? std::chrono::duration<double, std::milli> (Clock::now() - lastSent).count()
                       : -1;
        // The console has finished with the flood once its command count stands still.
        long long setsAfter = -1;
        ConsoleRig::waitUntil (
            [&]
            {
                const auto now = LabProbe::numberAfter (probe.dump(), "6/0");
                const bool still = now == setsAfter;
                setsAfter = now;
                return still;
            },
            15000, 500);
        const auto dropsAfter = udpDrops (scene.port);
        // A new device gangs playback 1 and 2: each level moves both.
        const bool partnerFollows = probe.cell ("playbackGain", 1) == lastCode;

        state.SetIterationTime (sendSeconds);
        const std::string prefix = "OSC flood, 10000 levels to one fader: ";
        table()[prefix + "time to send them all (s)"] = format ("%.3f", sendSeconds);
        table()[prefix + "device ends on the last level"] = endsOnLast ? "yes" : "no";
        table()[prefix + "last send to the device holding the last level (ms, upper bound)"] =
            format ("%.1f", toLast);
        table()[prefix + "device level commands sent for them"] =
            std::to_string (setsAfter - setsBefore);
        table()[prefix + "datagrams the kernel dropped before the console read them"] =
            dropsBefore >= 0 && dropsAfter >= 0 ? std::to_string (dropsAfter - dropsBefore)
                                                : "unknown";
        table()[prefix + "playback 2 (ganged) ends on it too"] = partnerFollows ? "yes" : "no";
        table()[prefix + "device level commands per message"] =
            format ("%.2f", double (setsAfter - setsBefore) / messages);
        const auto typed = [] (std::pair<double, double> t)
        { return format ("%.1f", t.first) + " / " + format ("%.1f", t.second); };
        table()[prefix + "typed level, Return to device, no flood (ms, from xdotool start / end)"] =
            typed (typedAlone);
        table()[prefix +
                "typed level, Return to device, mid-flood (ms, from xdotool start / end)"] =
            typed (typedInFlood) + (typedWhileFlooding ? "" : " (flood over before it arrived)");
        scene.stop();
    }
}

BENCHMARK (BM_OscLevelToDevice)
    ->Arg (500)
    ->Iterations (1)
    ->UseManualTime()
    ->Unit (benchmark::kMillisecond);
BENCHMARK (BM_OscFlood)->Iterations (1)->UseManualTime()->Unit (benchmark::kSecond);
} // namespace

int main (int argc, char** argv)
{
    return arx::bench::runUnderXServer (argc, argv, "bench_remote_control", "remote control figure");
}
