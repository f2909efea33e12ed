// Loading a session on a 13-input device of the lab: the time from the file being chosen until
// the device holds the session, and the device commands sent against the fewest that could do
// it (one per device value that differs from the session). The content is the session tests'
// one: a real hardware thread and one real control per mixer value.

#include "gui/session_test_support.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace
{

using Clock = std::chrono::steady_clock;
using namespace arx;
using namespace arx::test;

// Nothing polls in this content: every command since the log was taken is the load's.
int commandsSent (sim::SimDevice& device)
{
    return (int) takeCommands (device).size();
}

struct LoadRig
{
    LoadRig()
    {
        content.state().setMostRecentFolder (scratch.folder);
        pumpUntil ([this] { return synced(); });
    }

    juce::File save (const juce::String& name, const std::function<void (ConsoleState&)>& change)
    {
        ConsoleState mix (content.rig.lab.device.get());
        mix.readFromDevice();
        change (mix);
        const auto file = scratch.file (name + ".ARX session");
        SessionFile::save (mix, file);
        return file;
    }

    // Loads `file` through Ctrl+O and its dialog; the device's commands are counted from here.
    double load (const juce::File& file, int& commands, int& minimum)
    {
        ConsoleState wanted (content.rig.lab.device.get());
        SessionFile::load (wanted, file);
        minimum = valuesDiffering (content.device().mixer(), wanted);
        content.device().takeRequestLog();

        content.commands.getKeyMappings()->keyPressed (juce::KeyPress ('o', juce::ModifierKeys::commandModifier, 0), &content);
        const auto start = Clock::now();
        content.dialogs->answer (file);
        while (! synced())
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        const auto ms = std::chrono::duration<double, std::milli> (Clock::now() - start).count();
        commands = commandsSent (content.device());
        return ms;
    }

    bool synced() { return content.allSent() && valuesDiffering (content.device().mixer(), content.state()) == 0; }

    ScratchFolder scratch;
    SessionTestContent content;
};

void report (benchmark::State& state, double ms, int commands, int minimum)
{
    const auto n = (double) state.iterations();
    state.counters["load_ms"] = ms / n;
    state.counters["commands"] = commands / n;
    state.counters["minimum"] = minimum / n;
    state.counters["ratio"] = minimum > 0 ? (double) commands / minimum : 0.0;
}

// Two different mixes, loaded in turn: nearly every value differs.
void BM_LoadDifferentMix (benchmark::State& state)
{
    LoadRig rig;
    const juce::File files[] = { rig.save ("a", [] (ConsoleState& s) { makeMix (s, 1); }),
                                 rig.save ("b", [] (ConsoleState& s) { makeMix (s, 2); }) };
    int k = 0, commands = 0, minimum = 0;
    double ms = 0;
    for (auto _ : state)
    {
        int c = 0, m = 0;
        ms += rig.load (files[k++ % 2], c, m);
        commands += c;
        minimum += m;
    }
    report (state, ms, commands, minimum);
}
BENCHMARK (BM_LoadDifferentMix)->Iterations (20)->Unit (benchmark::kMillisecond);

// The mix on the device again with one fader moved since: one value differs.
void BM_LoadMixAfterOneChange (benchmark::State& state)
{
    LoadRig rig;
    const auto file = rig.save ("a", [] (ConsoleState& s) { makeMix (s, 1); });
    int commands = 0, minimum = 0, unused = 0;
    double ms = 0;
    rig.load (file, unused, unused);
    for (auto _ : state)
    {
        state.PauseTiming();
        rig.content.device().takeRequestLog();
        rig.content.rig.lab.device->setOutputGain (0, -20.0f);
        state.ResumeTiming();
        int c = 0, m = 0;
        ms += rig.load (file, c, m);
        commands += c;
        minimum += m;
    }
    report (state, ms, commands, minimum);
}
BENCHMARK (BM_LoadMixAfterOneChange)->Iterations (20)->Unit (benchmark::kMillisecond);

} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI gui;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
