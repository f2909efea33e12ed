#pragma once

// The main of a benchmark that starts consoles: an X server for them, the benchmarks, the table.

#include "bench/bench_table.h"
#include "e2e/harness/ConsoleRig.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace arx::bench
{

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
