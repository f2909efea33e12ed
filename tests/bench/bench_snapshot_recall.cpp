// Recalling a snapshot with its F-key in a real console window (strips, hardware thread) on a
// 13-input device of the in-process lab: the device commands a recall sends against the values
// in which the slot differs from the device, and the time from the key press until the last of
// them has reached the device. The first recall after the window opened has rows of its own.

#include "bench/bench_table.h"
#include "console/SnapshotBank.h"
#include "device/Device.h"
#include "gui/session_test_support.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace arx;
using namespace arx::test;

struct Figures
{
    double lastCommandMs = 0;
    int commands = 0, monitorCommands = 0, stripCommands = 0, differing = 0;

    void add (const Figures& f)
    {
        lastCommandMs += f.lastCommandMs;
        commands += f.commands;
        monitorCommands += f.monitorCommands;
        stripCommands += f.stripCommands;
        differing += f.differing;
    }
};

// The values a slot may differ in, in the order they are taken: the level, pan and mute of each
// input into each output pair.
constexpr int inputs = 13, pairs = 3, valuesPerKind = inputs * pairs;

struct RecallRig
{
    RecallRig() { pumpUntil ([this] { return w.deviceHoldsState(); }); }

    // Keeps the window's mix in `slot`, with its first `n` values changed.
    void store (int slot, int n)
    {
        const auto& now = w.state();
        ConsoleState mix (w.lab.device.get());
        mix.copyMixFrom (now);
        for (int k = 0; k < n; ++k)
        {
            const int kind = k / valuesPerKind, i = (k % valuesPerKind) / pairs, o = 2 * (k % pairs);
            if (kind == 0)
            {
                const auto dB = mix.monitorGain (i, o);
                const auto other = dB > -40.0f ? dB - 6.0f : -20.0f;
                mix.setMonitorGain (i, o, other);
                mix.setMonitorGain (i, o + 1, other);
            }
            else if (kind == 1)
                mix.setMonitorPan (i, o, mix.monitorPan (i, o) < 0.5f ? 1.0f : 0.0f);
            else
                mix.setMonitorMute (i, o, ! mix.monitorMute (i, o));
        }
        w.content().getSnapshots()->store (slot, mix);
    }

    // Presses the slot's F-key, as the window hands it to its command manager, and waits until
    // the device holds the mix and the hardware thread has served everything queued before.
    Figures recall (int slot)
    {
        Figures f;
        ConsoleState wanted (w.lab.device.get());
        w.content().getSnapshots()->fill (slot, wanted);
        f.differing = valuesDiffering (w.device().mixer(), wanted);
        // What the window still had queued (its first reads) is not the recall's.
        waitUntilServed (w);
        w.device().takeRequestLog();

        const auto start = juce::Time::getMillisecondCounterHiRes();
        w.press (juce::KeyPress (juce::KeyPress::F1Key + slot, juce::ModifierKeys::noModifiers, 0));
        pumpUntil ([this] { return w.deviceHoldsState(); });
        waitUntilServed (w);

        for (const auto& c : takeCommands (w.device()))
        {
            if (isCommand (c, 0, 1))
                continue; // the status and meter poll, which runs whatever the user does
            f.commands++;
            f.monitorCommands += c.category == Device::catMonitor;
            f.stripCommands += c.category == Device::catOutput || c.category == Device::catPlayback;
            f.lastCommandMs = std::max (f.lastCommandMs, c.atMs - start);
        }
        return f;
    }

    SessionWindow w;
};

void report (benchmark::State& state, const std::string& what, const Figures& total)
{
    const auto n = (double) state.iterations();
    state.counters["differing"] = total.differing / n;
    state.counters["commands"] = total.commands / n;
    state.counters["ratio"] = total.differing > 0 ? (double) total.commands / total.differing : 0.0;
    state.counters["last_command_ms"] = total.lastCommandMs / n;

    using arx::bench::format;
    auto& t = arx::bench::table();
    const auto prefix = "recall, " + what + ": ";
    t[prefix + "values differing"] = format ("%.0f", total.differing / n);
    t[prefix + "device commands"] = format ("%.1f", total.commands / n);
    // Every differing value is one of the monitor mix: the rest went to values the slot shares.
    t[prefix + "commands to monitor mix / output+playback"] =
        format ("%.1f", total.monitorCommands / n) + " / " + format ("%.1f", total.stripCommands / n);
    t[prefix + "commands per differing value (goal 1.0)"] =
        format ("%.2f", total.differing > 0 ? (double) total.commands / total.differing : 0.0);
    t[prefix + "ms from the key press to the last command"] = format ("%.1f", total.lastCommandMs / n);
}

std::string label (const char* when, int n)
{
    return std::string (when) + ", N=" + (n < 10 ? "  " : n < 100 ? " " : "") + std::to_string (n);
}

// Recalls in turn of a slot N values away and of the mix it came from, after one of each.
void BM_Recall (benchmark::State& state)
{
    const int n = (int) state.range (0);
    RecallRig rig;
    rig.store (0, 0);
    rig.store (1, n);
    rig.recall (1);
    rig.recall (0);
    Figures total;
    for (auto _ : state)
    {
        total.add (rig.recall (1));
        state.PauseTiming();
        rig.recall (0);
        state.ResumeTiming();
    }
    report (state, label ("later", n), total);
}
BENCHMARK (BM_Recall)->Arg (1)->Arg (10)->Arg (100)->Iterations (8)->Unit (benchmark::kMillisecond);

// The first recall in a window just opened.
void BM_FirstRecall (benchmark::State& state)
{
    const int n = (int) state.range (0);
    Figures total;
    for (auto _ : state)
    {
        RecallRig rig;
        rig.store (1, n);
        total.add (rig.recall (1));
    }
    report (state, label ("first", n), total);
}
BENCHMARK (BM_FirstRecall)->Arg (1)->Arg (10)->Arg (100)->Iterations (4)->Unit (benchmark::kMillisecond);

} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI gui;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    arx::bench::printTable ("Snapshot recall by F-key in a console window (13 inputs, 6 outputs)");
    return 0;
}
