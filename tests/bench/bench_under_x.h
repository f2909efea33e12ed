#pragma once

// The main of a benchmark that starts consoles: an X server for them, the benchmarks, the table.

#include "bench/bench_probe.h"
#include "bench/bench_table.h"
#include "e2e/harness/ConsoleRig.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace arx::bench
{

// Closes every window of the console the way a user does and lets the program end.
inline void closeAll (e2e::ConsoleRig& rig, const std::vector<std::string>& names, int console)
{
    for (auto& n : names)
        for (auto& w : rig.windowsOf (n))
            rig.x().requestClose (w.id);
    if (! rig.console (console).waitForExit (15000))
        rig.console (console).stop (2000);
}

// Starts the lab, plugs a device and starts a console with `args` (a remote switched on); true
// once the device's window shows and the console's log has `readyLine`.
inline bool startRemoteConsole (e2e::ConsoleRig& rig, const std::vector<std::string>& args, const std::string& readyLine,
                                std::string& name, int& console, e2e::WindowInfo& window)
{
    std::string error;
    if (! rig.startLab (error))
        return false;
    name = rig.plug();
    if (name.empty())
        return false;
    console = rig.startConsole (error, args);
    return console >= 0 && rig.waitForWindow (name, window, 20000)
           && e2e::ConsoleRig::waitUntil (
               [&] { return rig.consoleLog (console).find (readyLine) != std::string::npos; }, 10000);
}

// The figures of a remote's changes on their way to the device's command, in ms.
inline void reportLatency (benchmark::State& state, const std::string& prefix, const std::string& goal,
                           const std::vector<double>& latency, const std::vector<double>& looks, int lost)
{
    state.SetIterationTime (percentile (latency, 0.5) / 1000.0);
    state.counters["p50_ms"] = percentile (latency, 0.5);
    state.counters["p99_ms"] = percentile (latency, 0.99);
    table()[prefix + "p50 (ms)"] = format ("%.2f", percentile (latency, 0.5));
    table()[prefix + "p99 (ms, goal < " + goal + ")"] = format ("%.2f", percentile (latency, 0.99));
    table()[prefix + "max (ms)"] = format ("%.2f", percentile (latency, 1.0));
    table()[prefix + "never arrived"] = std::to_string (lost);
    table()[prefix + "lab dump round trip p50 (ms, the resolution)"] = format ("%.2f", percentile (looks, 0.5));
    table()[prefix + "lab dump round trip p99 (ms)"] = format ("%.2f", percentile (looks, 0.99));
}

inline int runUnderXServer (int argc, char** argv, const char* program, const char* tableTitle)
{
    e2e::XServer server;
    std::string error;
    if (! server.ensure ("/tmp", error))
    {
        std::fprintf (stderr, "%s: %s\n", program, error.c_str());
        return 1;
    }
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.stop();

    printTable (tableTitle);
    return 0;
}

} // namespace arx::bench
