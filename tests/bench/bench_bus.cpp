// Transactions per second through the device bus (DeviceBusPlatform to a running arx-devsim)
// against a bare Unix-socket round trip of the same frame sizes, served by an echo thread.

#include "platform/DeviceBusPlatform.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstring>
#include <thread>

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
    std::thread echo ([fd = fds[1]] {
        uint8_t in[requestFrame], out[replyFrame] = {};
        for (;;)
        {
            size_t got = 0;
            while (got < requestFrame)
            {
                const auto n = ::recv (fd, in + got, requestFrame - got, 0);
                if (n <= 0)
                    return;
                got += (size_t) n;
            }
            ::send (fd, out, replyFrame, MSG_NOSIGNAL);
        }
    });
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
    echo.join();
    ::close (fds[0]);
    ::close (fds[1]);
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
    std::thread echo ([fd = fds[1]] {
        uint8_t in[requestFrame], out[replyFrame] = {};
        for (;;)
        {
            if (::recv (fd, in, requestFrame, MSG_WAITALL) != (ssize_t) requestFrame)
                return;
            ::send (fd, out, replyFrame, MSG_NOSIGNAL);
        }
    });
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
    echo.join();
    ::close (fds[0]);
    ::close (fds[1]);
}
} // namespace

BENCHMARK (BM_BusTransaction)->UseRealTime();
BENCHMARK (BM_BareSocketRoundTrip)->UseRealTime();
BENCHMARK (BM_BusToBareRatio)->UseRealTime()->Iterations (3);

int main (int argc, char** argv)
{
    std::signal (SIGPIPE, SIG_IGN);
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (bareRate > 0)
        std::printf ("bus %.0f tps, bare socket %.0f tps, ratio %.2f\n", busRate, bareRate, busRate / bareRate);
    benchmark::Shutdown();
    return 0;
}
