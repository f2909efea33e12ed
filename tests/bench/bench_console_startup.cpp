// Start-up time, idle CPU cost, wake-ups and memory of the real console against the device lab,
// under X: full mixer windows (every strip, meters moving with the lab's signal, tab lights),
// and one window whose meters the lab holds at silence; one window at 100% and at 200% zoom.
// Goals: one window with moving meters under 0.3% of a core, four under 1%, a still one under
// 0.1%.
// Run by hand: build/bin/bench_console_startup (starts its own Xvfb when DISPLAY is unset; the
// 200% window needs the larger screen of `source scripts/xvfb-env`).
// The table at the end puts the figures side by side.

#include "e2e/harness/ConsoleRig.h"

#include "bench/bench_probe.h"
#include "bench/bench_under_x.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <thread>


namespace
{
using namespace arx::e2e;
using arx::bench::Clock;
using arx::bench::closeAll;
using arx::bench::cpuSeconds;
using arx::bench::format;
using arx::bench::tickSeconds;
using arx::bench::table;

// Voluntary context switches of the process's threads named `name`, or of all its threads
// when `name` is empty: each is one wake-up of a thread that had gone to sleep.
double switchesOf (pid_t pid, const juce::String& name = {})
{
    double sum = 0;
    const juce::File tasks ("/proc/" + juce::String (pid) + "/task");
    for (const auto& task : tasks.findChildFiles (juce::File::findDirectories, false))
        if (name.isEmpty() || task.getChildFile ("comm").loadFileAsString().trim() == name)
            for (const auto& line : juce::StringArray::fromLines (task.getChildFile ("status").loadFileAsString()))
                if (line.startsWith ("voluntary_ctxt_switches:"))
                    sum += line.fromFirstOccurrenceOf (":", false, false).trim().getDoubleValue();
    return sum;
}

// A line of /proc/PID/status in kB ("VmHWM", "VmRSS"), or -1.
double statusKb (pid_t pid, const juce::String& field)
{
    const juce::File status ("/proc/" + juce::String (pid) + "/status");
    for (const auto& line : juce::StringArray::fromLines (status.loadFileAsString()))
        if (line.startsWith (field + ":"))
            return line.fromFirstOccurrenceOf (":", false, false).trim().getDoubleValue();
    return -1.0;
}

// Whether the screen shows the whole mixer page of an "arx" window (13 inputs): the tab bar's
// base line right of the first tabs, and the output strip's value field at the far right of the
// page. A window paints its content in one go, so both mean every strip is there.
bool showsTabBar (XProbe& x, const WindowInfo& w)
{
    constexpr long tabLine = 0xB2B2B2;
    return x.pixel (w.x + 600, w.y + 29) == tabLine;
}

bool showsFullMixer (XProbe& x, const WindowInfo& w)
{
    constexpr long valueField = 0xD5CFBC;
    return showsTabBar (x, w) && x.pixel (w.x + 13 * 54 + 108 + 17, w.y + 30 + 137 + 319) == valueField;
}

double secondsSince (Clock::time_point start)
{
    return std::chrono::duration<double> (Clock::now() - start).count();
}

// Start to every one of state.range(0) windows showing its mixer (one device each). The windows
// cascade down and to the right, each over the one before: the front one shows its whole mixer,
// the others the tab bar that stays in sight.
void BM_StartupToFullWindows (benchmark::State& state)
{
    const int windows = (int) state.range (0);
    double toLog = 0, toWindow = 0, toMixer = 0, peakKb = 0;
    int runs = 0;
    for (auto _ : state)
    {
        ConsoleRig rig ("bench.startup" + std::to_string (windows));
        rig.keepNoScreenshot();
        std::string error;
        std::vector<std::string> names;
        if (rig.startLab (error))
            for (int i = 0; i < windows; ++i)
                names.push_back (rig.plug());
        if (names.empty() || names.back().empty())
        {
            state.SkipWithError ("the device lab did not start");
            return;
        }
        const auto start = Clock::now();
        const int c = rig.startConsole (error);
        double logged = -1, shown = -1, full = -1;
        auto everyWindow = [&] (auto&& test) {
            for (auto& n : names)
            {
                const auto found = rig.windowsOf (n);
                if (found.empty() || ! test (found.front()))
                    return false;
            }
            return true;
        };
        const bool up = c >= 0 && ConsoleRig::waitUntil (
                                      [&] {
                                          if (logged < 0 && rig.consoleLog (c).find ("Creating window for") != std::string::npos)
                                              logged = secondsSince (start);
                                          if (shown < 0 && everyWindow ([] (const WindowInfo&) { return true; }))
                                              shown = secondsSince (start);
                                          if (shown >= 0 && everyWindow ([&] (const WindowInfo& w) { return showsTabBar (rig.x(), w); }))
                                              for (auto& n : names)
                                                  for (const auto& w : rig.windowsOf (n))
                                                      if (full < 0 && showsFullMixer (rig.x(), w))
                                                          full = secondsSince (start);
                                          return full >= 0;
                                      },
                                      30000, 5);
        if (! up)
        {
            state.SkipWithError ("not every full mixer window appeared");
            return;
        }
        state.SetIterationTime (full);
        toWindow += shown;
        toMixer += full;
        toLog += logged >= 0 ? logged : shown;
        peakKb = std::max (peakKb, statusKb (rig.console (c).pid(), "VmHWM"));
        ++runs;
        closeAll (rig, names, c);
    }
    state.counters["full_mixer_ms"] = 1000.0 * toMixer / runs;
    const auto prefix = "start-up, " + std::to_string (windows) + " window(s): ";
    table()[prefix + "start to \"Creating window for\" (ms)"] = format ("%.0f", 1000.0 * toLog / runs);
    table()[prefix + "start to every window mapped (ms)"] = format ("%.0f", 1000.0 * toWindow / runs);
    table()[prefix + "start to every full mixer window shown (ms)"] = format ("%.0f", 1000.0 * toMixer / runs);
    table()[prefix + "console peak memory (MiB, VmHWM)"] = format ("%.1f", peakKb / 1024.0);
}

// CPU seconds per minute of one idle console with state.range(0) windows (one device each);
// state.range(1) = 1 holds every device's meter signal at silence, so nothing on the screen moves.
void BM_IdleCpuPerMinute (benchmark::State& state)
{
    const int windows = (int) state.range (0);
    const bool silent = state.range (1) != 0;
    for (auto _ : state)
    {
        ConsoleRig rig ("bench.idle" + std::to_string (windows));
        rig.keepNoScreenshot();
        std::string error;
        if (! rig.startLab (error))
        {
            state.SkipWithError ("the device lab did not start");
            return;
        }
        std::vector<std::string> names;
        for (int i = 0; i < windows; ++i)
            names.push_back (rig.plug());
        for (auto& n : names)
            if (silent && ! rig.fault (n, { "--silent-meters", "on" }))
            {
                state.SkipWithError ("the lab took no silent-meters fault");
                return;
            }
        const int c = rig.startConsole (error);
        bool up = c >= 0;
        for (auto& n : names)
        {
            WindowInfo w;
            up = up && rig.waitForWindow (n, w, 20000);
        }
        if (! up)
        {
            state.SkipWithError ("not every console window appeared");
            return;
        }
        // Let the start-up work settle before measuring the idle cost.
        std::this_thread::sleep_for (std::chrono::seconds (2));
        const auto pid = rig.console (c).pid();
        auto polls = [&] {
            int sum = 0;
            for (auto& n : names)
                sum += rig.dump (n).gwc ("0/1");
            return sum;
        };
        const int polls0 = polls();
        const double cpu0 = cpuSeconds (pid), ticks0 = tickSeconds (pid), timer0 = switchesOf (pid, "JUCE Timer"),
                     wakes0 = switchesOf (pid);
        const auto start = Clock::now();
        std::this_thread::sleep_for (std::chrono::seconds (15));
        const double cpu1 = cpuSeconds (pid), ticks1 = tickSeconds (pid), timer1 = switchesOf (pid, "JUCE Timer"),
                     wakes1 = switchesOf (pid);
        const double wall = secondsSince (start);
        const double perMinute = (cpu1 - cpu0) * 60.0 / wall;
        const double pollRate = (polls() - polls0) / wall / windows;
        state.SetIterationTime (wall);
        state.counters["cpu_s_per_min"] = perMinute;
        state.counters["cpu_percent"] = 100.0 * (cpu1 - cpu0) / wall;
        // What top shows: the kernel charges whole ticks, which a process that wakes often
        // collects more of than it runs.
        state.counters["tick_percent"] = 100.0 * (ticks1 - ticks0) / wall;
        const auto prefix = "idle, " + std::to_string (windows) + " window(s)" + (silent ? ", meters still" : ", meters moving") + ": ";
        table()[prefix + "console CPU (s per minute)"] = format ("%.2f", perMinute);
        table()[prefix + "console CPU (% of a core, run time)"] = format ("%.2f", 100.0 * (cpu1 - cpu0) / wall);
        table()[prefix + "console CPU (% of a core, clock ticks)"] = format ("%.2f", 100.0 * (ticks1 - ticks0) / wall);
        table()[prefix + "meter polls per second per window"] = format ("%.1f", pollRate);
        table()[prefix + "wake-ups per second, whole process"] = format ("%.0f", (wakes1 - wakes0) / wall);
        table()[prefix + "wake-ups per second, JUCE's timer thread"] = format ("%.0f", (timer1 - timer0) / wall);
        table()[prefix + "console peak memory (MiB, VmHWM)"] = format ("%.1f", statusKb (pid, "VmHWM") / 1024.0);
        table()[prefix + "console resident memory (MiB, VmRSS)"] = format ("%.1f", statusKb (pid, "VmRSS") / 1024.0);
        closeAll (rig, names, c);
    }
}

// A colour within a few steps of another on every channel: the 2x artwork's gradients land a
// pixel's colour a little off the 1x one.
bool near (long colour, long wanted)
{
    for (int shift : { 0, 8, 16 })
        if (std::abs (((colour >> shift) & 0xFF) - ((wanted >> shift) & 0xFF)) > 12)
            return false;
    return colour >= 0;
}

// The front window's whole mixer at a zoom: the same two places as showsFullMixer, scaled.
bool showsFullMixerAt (XProbe& x, const WindowInfo& w, int percent)
{
    const auto at = [percent] (int length) { return length * percent / 100; };
    return near (x.pixel (w.x + at (600), w.y + at (29) + (percent > 100 ? 1 : 0)), 0xB2B2B2)
           && near (x.pixel (w.x + at (13 * 54 + 108 + 17), w.y + at (30 + 137 + 319)), 0xD5CFBC);
}

// One window at state.range(0) percent, the zoom stored in its preferences as a user leaves
// it: start to the whole mixer on the screen and peak memory; at 200% also the idle cost with
// the meters moving.
void BM_ZoomedWindow (benchmark::State& state)
{
    const int percent = (int) state.range (0);
    for (auto _ : state)
    {
        ConsoleRig rig ("bench.zoom" + std::to_string (percent));
        rig.keepNoScreenshot();
        std::string error;
        const auto name = rig.startLab (error) ? rig.plug() : std::string();
        const auto folder = juce::File (rig.homeDir()).getChildFile (".config/Vantrel ARX Console");
        if (name.empty() || ! folder.createDirectory()
            || ! folder.getChildFile (name + ".properties")
                     .replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n  <VALUE name=\"zoom\" val=\""
                                       + juce::String (percent) + "\"/>\n</PROPERTIES>\n"))
        {
            state.SkipWithError ("the device lab did not start");
            return;
        }
        const auto start = Clock::now();
        const int c = rig.startConsole (error);
        double full = -1;
        WindowInfo window;
        const bool up = c >= 0 && ConsoleRig::waitUntil (
                                      [&] {
                                          const auto found = rig.windowsOf (name);
                                          if (! found.empty())
                                              window = found.front();
                                          if (! found.empty() && showsFullMixerAt (rig.x(), found.front(), percent))
                                              full = secondsSince (start);
                                          return full >= 0;
                                      },
                                      30000, 5);
        if (! up)
        {
            // A screen smaller than the zoomed window gets the largest zoom that fits instead.
            if (window.width != 923 * percent / 100)
                std::fprintf (stderr, "the window opened %d pixels wide: the screen is too small for %d%% "
                                      "(source scripts/xvfb-env first, which gives 1920 x 1200)\n",
                              window.width, percent);
            state.SkipWithError ("the zoomed mixer window did not appear");
            return;
        }
        const auto pid = rig.console (c).pid();
        state.SetIterationTime (full);
        const auto prefix = "zoom " + std::to_string (percent) + "%, 1 window: ";
        table()[prefix + "window size (pixels)"] = std::to_string (window.width) + " x " + std::to_string (window.height);
        table()[prefix + "start to the full mixer window shown (ms)"] = format ("%.0f", 1000.0 * full);
        if (percent >= 200)
        {
            std::this_thread::sleep_for (std::chrono::seconds (2));
            const double cpu0 = cpuSeconds (pid);
            const auto idleStart = Clock::now();
            std::this_thread::sleep_for (std::chrono::seconds (15));
            const double wall = secondsSince (idleStart);
            table()[prefix + "idle, meters moving: console CPU (% of a core, run time)"] =
                format ("%.2f", 100.0 * (cpuSeconds (pid) - cpu0) / wall);
        }
        table()[prefix + "console peak memory (MiB, VmHWM)"] = format ("%.1f", statusKb (pid, "VmHWM") / 1024.0);
        closeAll (rig, { name }, c);
    }
}

BENCHMARK (BM_StartupToFullWindows)->Arg (1)->Arg (4)->Iterations (5)->UseManualTime()->Unit (benchmark::kMillisecond);
BENCHMARK (BM_IdleCpuPerMinute)
    ->Args ({ 1, 0 })
    ->Args ({ 4, 0 })
    ->Args ({ 1, 1 })
    ->Iterations (1)
    ->UseManualTime()
    ->Unit (benchmark::kSecond);
BENCHMARK (BM_ZoomedWindow)->Arg (100)->Arg (200)->Iterations (1)->UseManualTime()->Unit (benchmark::kMillisecond);
} // namespace

int main (int argc, char** argv)
{
    return arx::bench::runUnderXServer (argc, argv, "bench_console_startup", "console figure");
}
