// The hardware thread against a slow device: what a queue call costs the message thread, how a
// fast fader move is coalesced, and what reading the session image costs at window open.

#include "console/ConsoleState.h"
#include "console/BankedDeviceControl.h"
#include "console/HardwareThread.h"
#include "device/Device.h"
#include "platform/DeviceBusPlatform.h"
#include "sim/BusServer.h"
#include "unit/test_console_fixture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// A fader on output 0: sends the level of each dirty bank.
class Fader : public arx::BankedDeviceControl
{
public:
    explicit Fader (arx::HardwareThread& t) : BankedDeviceControl (t) {}

    void get() override {}
    void set() override
    {
        sendNextBank ([this] (int bank) {
            sends.fetch_add (1);
            return getThread().getDevice().setOutputGain (bank, getThread().getState().outputGain (bank));
        });
    }
    void refresh (arx::ConsoleState&, bool) override {}
    int bankOf (const arx::MixChange& c) const noexcept override { return c.kind == arx::MixChange::outputLevel ? c.a : -1; }
    void store (arx::ConsoleState& state) override { state.setOutputGain (0, shownDb.load()); }
    void reset() override {}

    std::atomic<float> shownDb { 0.0f };
    std::atomic<int> sends { 0 };
};

struct SlowRig
{
    SlowRig()
    {
        arx::sim::SimFaults slow;
        slow.latencyMs = 20;
        lab.sim->addFault (slow);
        thread.startThread();
    }

    ~SlowRig() { thread.stopThread (4000); }

    bool waitUntilSent (float dB)
    {
        arx::ConsoleState probe (nullptr);
        probe.setOutputGain (0, dB);
        const auto wanted = probe.image().outputGain[0];
        const auto deadline = Clock::now() + std::chrono::seconds (5);
        while (lab.sim->mixer().outputGain[0] != wanted)
        {
            if (Clock::now() > deadline)
                return false;
            juce::Thread::sleep (2);
        }
        return true;
    }

    arx::test::LabDevice lab;
    arx::ConsoleState state { lab.device.get() };
    arx::HardwareThread thread { *lab.device, state, nullptr };
    Fader fader { thread };
};

void BM_QueueCallAgainstSlowDevice (benchmark::State& state)
{
    SlowRig rig;
    std::vector<double> micros;
    float dB = -40.0f;

    for (auto _ : state)
    {
        dB = dB > 0.0f ? -40.0f : dB + 0.1f;
        const auto start = Clock::now();
        rig.fader.shownDb = dB;
        rig.fader.markBank (0);
        rig.thread.queueSet (rig.fader);
        micros.push_back (std::chrono::duration<double, std::micro> (Clock::now() - start).count());
    }

    std::sort (micros.begin(), micros.end());
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["median_us"] = micros[micros.size() / 2];
}
BENCHMARK (BM_QueueCallAgainstSlowDevice)->Iterations (20000);

void BM_FaderSweepAgainstSlowDevice (benchmark::State& state)
{
    SlowRig rig;
    int commands = 0;
    bool endedOnLast = true;

    for (auto _ : state)
    {
        rig.fader.sends = 0;
        float dB = 0.0f;
        const auto start = Clock::now();
        for (int step = 0; step < 100; ++step)
        {
            dB = -0.5f * (float) (step + 1);
            rig.fader.shownDb = dB;
            rig.fader.markBank (0);
            rig.thread.queueSet (rig.fader);
            std::this_thread::sleep_until (start + std::chrono::milliseconds (10 * (step + 1)));
        }
        endedOnLast = endedOnLast && rig.waitUntilSent (dB);
        commands = rig.fader.sends.load();
    }

    state.counters["commands"] = commands;
    state.counters["ended_on_last"] = endedOnLast ? 1 : 0;
}
BENCHMARK (BM_FaderSweepAgainstSlowDevice)->Iterations (2)->Unit (benchmark::kMillisecond);

// Over the real bus: a lab served on a socket directory, the console side on the bus platform.
void BM_SessionReadAgainstBareRoundTrips (benchmark::State& state)
{
    const auto dir = juce::File::createTempFile ("arx-bench-bus");
    arx::sim::DeviceLab lab;
    arx::sim::BusServer server (lab, dir);
    juce::String error;
    if (! server.start (error))
    {
        state.SkipWithError (error.toRawUTF8());
        return;
    }
    lab.plug();

    arx::platform::DeviceBusPlatform bus (dir);
    arx::Device::Ptr device;
    auto set = bus.getClassDevs (arx::platform::ARX_INTERFACE_CLASS);
    arx::platform::DeviceInterfaceData data;
    if (set != nullptr && set->enumDeviceInterface (0, data))
        device = new arx::Device (bus, *set, data);
    if (device == nullptr || ! device->open())
    {
        state.SkipWithError ("no device on the bus");
        return;
    }

    double readMs = 0, bareMs = 0;
    for (auto _ : state)
    {
        auto start = Clock::now();
        arx::ConsoleState consoleState (device.get());
        benchmark::DoNotOptimize (consoleState.readFromDevice());
        readMs += std::chrono::duration<double, std::milli> (Clock::now() - start).count();

        start = Clock::now();
        for (int i = 0; i < 53; ++i)
        {
            int source = 0, rate = 0;
            benchmark::DoNotOptimize (device->getClock (source, rate));
        }
        bareMs += std::chrono::duration<double, std::milli> (Clock::now() - start).count();
    }

    const auto n = (double) state.iterations();
    state.counters["read_ms"] = readMs / n;
    state.counters["bare53_ms"] = bareMs / n;
    state.counters["ratio"] = readMs / bareMs;
    device->close();
    device = nullptr;
    server.stop();
    dir.deleteRecursively();
}
BENCHMARK (BM_SessionReadAgainstBareRoundTrips)->Iterations (50)->Unit (benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
