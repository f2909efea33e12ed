// The input strips of a real console window (not on the desktop) against the device lab served
// on a socket directory: what the meters ask to repaint per poll of the lab's moving signal, and
// how long a level typed into a value box takes from Return to the device.
// Run by hand: build/bin/bench_mixer. The table at the end puts the figures side by side.

#include "console/DeviceControl.h"
#include "device/GainCode.h"
#include "mixer/ConsoleWindow.h"
#include "mixer/ConsoleContent.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/FaderTextBox.h"
#include "platform/DeviceBusPlatform.h"
#include "sim/BusServer.h"
#include "unit/test_console_fixture.h"

#include "bench/bench_table.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
using arx::bench::format;
using arx::bench::table;

double percentile (std::vector<double> values, double share)
{
    std::sort (values.begin(), values.end());
    return values[std::min (values.size() - 1, (size_t) (share * (double) values.size()))];
}

// An arx device on the lab's bus, opened through the console's bus platform with a hook that
// sees every request leave and every answer come back, and a console window for it.
struct BusWindow
{
    BusWindow() : server (lab, dir.getFile())
    {
        juce::String error;
        if (! server.start (error) || lab.plug() == nullptr)
            return;

        auto set = hooked.getClassDevs (arx::platform::ARX_INTERFACE_CLASS);
        arx::platform::DeviceInterfaceData data;
        if (set == nullptr || ! set->enumDeviceInterface (0, data))
            return;
        device = new arx::Device (hooked, *set, data);
        if (! device->open())
            return;
        window = std::make_unique<arx::ConsoleWindow> (device, nullptr, prefs.getFile(), false);
    }

    ~BusWindow()
    {
        hook.before = nullptr;
        hook.after = nullptr;
        window.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        device = nullptr;
        server.stop();
    }

    arx::InputStripBox& strips() { return *window->getContent().getInputStrips(); }

    juce::TemporaryFile dir, prefs;
    arx::sim::DeviceLab lab;
    arx::sim::BusServer server;
    arx::platform::DeviceBusPlatform bus { dir.getFile() };
    arx::test::RequestHook hook;
    arx::test::HookedPlatform hooked { bus, hook };
    arx::Device::Ptr device;
    std::unique_ptr<arx::ConsoleWindow> window;
};

void BM_MeterRepaintPerPoll (benchmark::State& state)
{
    BusWindow w;
    if (w.window == nullptr)
    {
        state.SkipWithError ("no console window on the lab's bus");
        return;
    }
    auto& box = w.strips();
    const double meterArea = box.getNumStrips() * (double) box.getStrip (0)->getMeter().getWidth()
                             * box.getStrip (0)->getMeter().getHeight();

    // Polls 100 ms apart, as the application timer makes them, each shown as the content does.
    double pixels = 0;
    int polls = 0, still = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        if (w.device->pollMeters() != 0)
            continue;
        const int repainted = box.refreshMeters();
        pixels += repainted;
        still += repainted == 0 ? 1 : 0;
        ++polls;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
        std::this_thread::sleep_until (start + std::chrono::milliseconds (100));
    }

    const double perPoll = pixels / std::max (1, polls);
    state.counters["pixels_per_poll"] = perPoll;
    state.counters["share_of_meters"] = perPoll / meterArea;
    table()["meters, 13 strips: pixels repainted per poll"] = format ("%.0f", perPoll);
    table()["meters, 13 strips: area of the meters (pixels)"] = format ("%.0f", meterArea);
    table()["meters, 13 strips: share of the meter area repainted per poll"] = format ("%.3f", perPoll / meterArea);
    table()["meters, 13 strips: polls that repainted nothing"] = format ("%.0f", still);
}
BENCHMARK (BM_MeterRepaintPerPoll)->Iterations (100)->Unit (benchmark::kMillisecond);

void BM_ReturnToDeviceCommand (benchmark::State& state)
{
    BusWindow w;
    if (w.window == nullptr)
    {
        state.SkipWithError ("no console window on the lab's bus");
        return;
    }
    auto& box = *w.strips().getStrip (2)->getFader().getTextBox();

    // The hardware thread reports when setMonitorGain(2, 0, ...) leaves and when it is answered.
    std::atomic<int64_t> sentAt { 0 }, answeredAt { 0 };
    const auto now = [] { return std::chrono::duration_cast<std::chrono::nanoseconds> (Clock::now().time_since_epoch()).count(); };
    const auto isGain = [] (uint32_t code, const uint32_t* in) {
        return code == arx::platform::IOCTL_ARX_GWC_TRANSACTION && in[arx::test::packetCategory] == 8
               && in[arx::test::packetCommand] == 0 && in[arx::test::packetParam0] == 2;
    };
    w.hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (isGain (code, in))
            sentAt = now();
    };
    w.hook.after = [&] (uint32_t code, const uint32_t* in, uint32_t*, uint32_t&) {
        if (isGain (code, in))
            answeredAt = now();
    };

    std::vector<double> toSent, toAnswer;
    int step = 0;
    for (auto _ : state)
    {
        box.showEditor();
        auto* editor = box.getCurrentTextEditor();
        editor->setText (arx::Fader::formatLevel (-0.1 * (1 + step++ % 500)));
        sentAt = 0;
        answeredAt = 0;

        const auto pressed = now();
        editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        while (answeredAt.load() == 0)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

        toSent.push_back ((double) (sentAt - pressed) / 1000.0);
        toAnswer.push_back ((double) (answeredAt - pressed) / 1000.0);
    }

    state.counters["to_sent_median_us"] = percentile (toSent, 0.5);
    state.counters["to_answer_median_us"] = percentile (toAnswer, 0.5);
    state.counters["to_answer_p99_us"] = percentile (toAnswer, 0.99);
    table()["Return to setMonitorGain sent: median (us)"] = format ("%.0f", percentile (toSent, 0.5));
    table()["Return to setMonitorGain sent: p99 (us)"] = format ("%.0f", percentile (toSent, 0.99));
    table()["Return to the lab's answer: median (us)"] = format ("%.0f", percentile (toAnswer, 0.5));
    table()["Return to the lab's answer: p99 (us)"] = format ("%.0f", percentile (toAnswer, 0.99));
}
BENCHMARK (BM_ReturnToDeviceCommand)->Iterations (2000)->Unit (benchmark::kMicrosecond);

} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI gui;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    arx::bench::printTable ("mixer figure");
    return 0;
}
