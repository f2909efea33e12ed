// Loading a session into a real console window (strips, settings page, hardware thread) on a
// 13-input device of the in-process lab: the time from the file being chosen until the device
// holds the session and until the last command of the load has reached it, and the device
// commands sent against the fewest that could do it (one per value of the window's controls
// that differs between the device and the session).

#include "bench/bench_table.h"
#include "gui/session_test_support.h"
#include "guitar/GuitarInputMode.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace arx;
using namespace arx::test;

struct Figures
{
    double syncedMs = 0, lastCommandMs = 0;
    int commands = 0, driverRequests = 0, minimum = 0;

    void add (const Figures& f)
    {
        syncedMs += f.syncedMs;
        lastCommandMs += f.lastCommandMs;
        commands += f.commands;
        driverRequests += f.driverRequests;
        minimum += f.minimum;
    }
};

struct LoadRig
{
    LoadRig() { pumpUntil ([this] { return w.deviceHoldsState(); }); }

    juce::File save (const juce::String& name, int seed)
    {
        ConsoleState mix (w.lab.device.get());
        mix.readFromDevice();
        makeMix (mix, seed);
        const auto file = w.scratch.file (name + ".ARX session");
        SessionFile::save (mix, file);
        return file;
    }

    // Loads `file` through Ctrl+O and its dialog; the device's requests are counted from the
    // moment the file is chosen.
    Figures load (const juce::File& file)
    {
        Figures f;
        ConsoleState wanted (w.lab.device.get());
        SessionFile::load (wanted, file);
        f.minimum = valuesDiffering (w.device().mixer(), wanted);
        w.device().takeRequestLog();

        w.press (juce::KeyPress ('o', juce::ModifierKeys::commandModifier, 0));
        const auto start = juce::Time::getMillisecondCounterHiRes();
        w.dialogs->answer (file);
        while (! w.deviceHoldsState())
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        f.syncedMs = juce::Time::getMillisecondCounterHiRes() - start;

        // The guitar's mode follows its state after a pause of its own: the load's last command.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (GuitarInputMode::controlDelayMs
                                                                   * (GuitarInputMode::controlDelaySteps + 2));
        for (const auto& r : w.device().takeRequestLog())
        {
            f.lastCommandMs = std::max (f.lastCommandMs, r.atMs - start);
            (r.code == platform::IOCTL_ARX_GWC_TRANSACTION ? f.commands : f.driverRequests)++;
        }
        return f;
    }

    SessionWindow w;
};

void report (benchmark::State& state, const char* what, const Figures& total)
{
    const auto n = (double) state.iterations();
    state.counters["synced_ms"] = total.syncedMs / n;
    state.counters["last_command_ms"] = total.lastCommandMs / n;
    state.counters["commands"] = total.commands / n;
    state.counters["driver_requests"] = total.driverRequests / n;
    state.counters["minimum"] = total.minimum / n;

    using arx::bench::format;
    auto& t = arx::bench::table();
    const std::string prefix = std::string ("session load, ") + what + ": ";
    t[prefix + "ms until the device holds the mix"] = format ("%.1f", total.syncedMs / n);
    t[prefix + "ms until the last command"] = format ("%.1f", total.lastCommandMs / n);
    t[prefix + "device commands (+ driver requests)"] =
        format ("%.0f", total.commands / n) + " (+" + format ("%.0f", total.driverRequests / n) + ")";
    t[prefix + "fewest commands that could do it"] = format ("%.0f", total.minimum / n);
}

// Two different mixes, loaded in turn: nearly every value differs.
void BM_LoadDifferentMix (benchmark::State& state)
{
    LoadRig rig;
    const juce::File files[] = { rig.save ("a", 1), rig.save ("b", 2) };
    int k = 0;
    Figures total;
    for (auto _ : state)
        total.add (rig.load (files[k++ % 2]));
    report (state, "another mix", total);
}
BENCHMARK (BM_LoadDifferentMix)->Iterations (8)->Unit (benchmark::kMillisecond);

// The mix loaded again after the user moved one monitor level: one value differs.
void BM_LoadMixAfterOneChange (benchmark::State& state)
{
    LoadRig rig;
    const auto file = rig.save ("a", 1);
    rig.load (file);
    Figures total;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto& fader = rig.w.strip (0).getFader();
        fader.setValue (fader.getValue() > -50.0 ? fader.getValue() - 5.0 : fader.getValue() + 5.0,
                        juce::sendNotificationSync);
        pumpUntil ([&] { return rig.w.deviceHoldsState(); });
        state.ResumeTiming();
        total.add (rig.load (file));
    }
    report (state, "one value moved", total);
}
BENCHMARK (BM_LoadMixAfterOneChange)->Iterations (8)->Unit (benchmark::kMillisecond);

} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI gui;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    arx::bench::printTable ("Session load into a console window (13 inputs, 6 outputs)");
    return 0;
}
