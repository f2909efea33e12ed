// Transactions per second through the device bus (DeviceBusPlatform to a running arx-devsim)
// against a bare Unix-socket round trip of the same frame sizes, served by an echo process.

#include "platform/DeviceBusPlatform.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstring>
#include <thread>

#include <sched.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
using namespace arx::platform;

// getFlags: 28 bytes out, 32 back.
const uint32_t getFlags[7] = { 0, 6, 0, 0, 3, 4, 0 };
constexpr size_t requestFrame = 12 + 28, replyFrame = 8 + 32;

double busRate = 0, bareRate = 0;

struct Daemon
{
    juce::File dir;
    pid_t pid = -1;

    Daemon()
    {
        char pattern[] = "/tmp/arx-bench-XXXXXX";
        dir = juce::File (::mkdtemp (pattern));
        std::string exe = std::string (ARX_BIN_DIR) + "/arx-devsim", serve = "serve", dirFlag = "--dir",
                    path = dir.getFullPathName().toStdString(), plug = "--plug", profile = "arx";
        char* argv[] = { exe.data(), serve.data(), dirFlag.data(), path.data(), plug.data(), profile.data(), nullptr };
        posix_spawn (&pid, argv[0], nullptr, nullptr, argv, environ);
        for (int i = 0; i < 1000 && ! dir.getChildFile ("ARX-1/device").exists(); ++i)
            juce::Thread::sleep (5);
    }

    ~Daemon()
    {
        if (pid > 0)
        {
            ::kill (pid, SIGTERM);
            ::waitpid (pid, nullptr, 0);
        }
        dir.deleteRecursively();
    }
};

// Serves the bare round trips from a process of its own, as arx-devsim serves the bus: both
// rates then pay the same hand-offs between processes (and, on an idle machine, the same
// wake-ups of a sleeping core), and the ratio shows what the bus itself adds.
pid_t startEcho (int clientFd, int serverFd)
{
    const pid_t pid = ::fork();
    if (pid != 0)
    {
        ::close (serverFd);
        return pid;
    }
    ::close (clientFd);
    uint8_t in[requestFrame], out[replyFrame] = {};
    for (;;)
    {
        size_t got = 0;
        while (got < requestFrame)
        {
            const auto n = ::recv (serverFd, in + got, requestFrame - got, 0);
            if (n <= 0)
                ::_exit (0);
            got += (size_t) n;
        }
        ::send (serverFd, out, replyFrame, MSG_NOSIGNAL);
    }
}

void BM_BusTransaction (benchmark::State& state)
{
    Daemon daemon;
    DeviceBusPlatform bus (daemon.dir);
    auto handle = bus.createFile (daemon.dir.getChildFile ("ARX-1").getFullPathName());
    if (handle == nullptr)
    {
        state.SkipWithError ("arx-devsim is not running");
        return;
    }
    uint32_t reply[8];
    for (auto _ : state)
    {
        uint32_t returned = 0;
        const bool ok = handle->deviceIoControl (IOCTL_ARX_GWC_TRANSACTION, getFlags, sizeof (getFlags), reply, sizeof (reply), returned);
        benchmark::DoNotOptimize (ok);
    }
    state.counters["tps"] = benchmark::Counter ((double) state.iterations(), benchmark::Counter::kIsRate);
}

void BM_BareSocketRoundTrip (benchmark::State& state)
{
    int fds[2];
    if (::socketpair (AF_UNIX, SOCK_STREAM, 0, fds) != 0)
    {
        state.SkipWithError ("socketpair failed");
        return;
    }
    const pid_t echo = startEcho (fds[0], fds[1]);
    uint8_t request[requestFrame] = {}, reply[replyFrame];
    for (auto _ : state)
    {
        ::send (fds[0], request, requestFrame, MSG_NOSIGNAL);
        size_t got = 0;
        while (got < replyFrame)
        {
            const auto n = ::recv (fds[0], reply + got, replyFrame - got, 0);
            if (n <= 0)
                break;
            got += (size_t) n;
        }
    }
    state.counters["tps"] = benchmark::Counter ((double) state.iterations(), benchmark::Counter::kIsRate);
    ::shutdown (fds[0], SHUT_RDWR);
    ::waitpid (echo, nullptr, 0);
    ::close (fds[0]);
}

// Times both in one run and reports the bus's share of the bare round-trip rate.
void BM_BusToBareRatio (benchmark::State& state)
{
    Daemon daemon;
    DeviceBusPlatform bus (daemon.dir);
    auto handle = bus.createFile (daemon.dir.getChildFile ("ARX-1").getFullPathName());
    int fds[2];
    if (handle == nullptr || ::socketpair (AF_UNIX, SOCK_STREAM, 0, fds) != 0)
    {
        state.SkipWithError ("no bus or socketpair");
        return;
    }
    const pid_t echo = startEcho (fds[0], fds[1]);
    constexpr int rounds = 2000;
    double busSeconds = 0, bareSeconds = 0;
    for (auto _ : state)
    {
        auto t0 = juce::Time::getMillisecondCounterHiRes();
        uint32_t reply[8];
        for (int i = 0; i < rounds; ++i)
        {
            uint32_t returned = 0;
            handle->deviceIoControl (IOCTL_ARX_GWC_TRANSACTION, getFlags, sizeof (getFlags), reply, sizeof (reply), returned);
        }
        auto t1 = juce::Time::getMillisecondCounterHiRes();
        uint8_t request[requestFrame] = {}, bare[replyFrame];
        for (int i = 0; i < rounds; ++i)
        {
            ::send (fds[0], request, requestFrame, MSG_NOSIGNAL);
            ::recv (fds[0], bare, replyFrame, MSG_WAITALL);
        }
        auto t2 = juce::Time::getMillisecondCounterHiRes();
        busSeconds += (t1 - t0) / 1000.0;
        bareSeconds += (t2 - t1) / 1000.0;
    }
    const double n = (double) state.iterations() * rounds;
    busRate = n / std::max (busSeconds, 1e-9);
    bareRate = n / std::max (bareSeconds, 1e-9);
    state.counters["bus_tps"] = busRate;
    state.counters["bare_tps"] = bareRate;
    state.counters["bus_over_bare"] = busRate / std::max (bareRate, 1e-9);
    ::shutdown (fds[0], SHUT_RDWR);
    ::waitpid (echo, nullptr, 0);
    ::close (fds[0]);
}
} // namespace

BENCHMARK (BM_BusTransaction)->UseRealTime();
BENCHMARK (BM_BareSocketRoundTrip)->UseRealTime();
BENCHMARK (BM_BusToBareRatio)->UseRealTime()->Iterations (3);

int main (int argc, char** argv)
{
    std::signal (SIGPIPE, SIG_IGN);
    // Where the scheduler puts the two ends decides the rate more than any code: a hand-off to
    // a sleeping core waits for it to wake (tens of microseconds on a virtual machine), one on
    // the same core does not, and the placement changes from run to run. One core for the
    // benchmark and every process it starts (arx-devsim and the echo inherit it) measures both
    // rates the same way.
    cpu_set_t one;
    CPU_ZERO (&one);
    CPU_SET (0, &one);
    if (::sched_setaffinity (0, sizeof (one), &one) != 0)
        std::fprintf (stderr, "bench_bus: could not keep to one core; rates depend on placement\n");
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (bareRate > 0)
        std::printf ("bus %.0f tps, bare socket %.0f tps, ratio %.2f\n", busRate, bareRate, busRate / bareRate);
    benchmark::Shutdown();
    return 0;
}
