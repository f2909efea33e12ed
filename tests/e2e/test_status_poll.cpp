// The status poll reaches the device about ten times a second while the window is visible
// and not at all while it is hidden.

#include "e2e/ConsoleE2eTest.h"

#include <chrono>
#include <thread>

namespace arx::e2e
{
namespace
{
// Meter polls per second at the device over `ms` milliseconds.
double meterPollRate (ConsoleRig& rig, const std::string& name, int ms)
{
    const auto start = std::chrono::steady_clock::now();
    const int before = rig.dump (name).gwc ("0/1");
    std::this_thread::sleep_for (std::chrono::milliseconds (ms));
    const int after = rig.dump (name).gwc ("0/1");
    const auto seconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
    return (after - before) / seconds;
}

TEST_F (ConsoleE2eTest, StatusPollRunsWhileVisibleAndStopsWhileHidden)
{
    const auto name = plugged();
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);

    const auto visibleRate = meterPollRate (*rig, name, 2000);
    EXPECT_GE (visibleRate, 5.0);
    EXPECT_LE (visibleRate, 20.0);

    ASSERT_EQ (rig->xdotool ({ "windowunmap", "--sync", std::to_string (window.id) }).exitCode, 0);
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->windowsOf (name).empty(); }, 5000));
    // A poll already queued may still reach the device; after that, silence.
    std::this_thread::sleep_for (std::chrono::milliseconds (400));
    EXPECT_EQ (meterPollRate (*rig, name, 1500), 0.0) << "a hidden window is still polled";

    ASSERT_EQ (rig->xdotool ({ "windowmap", "--sync", std::to_string (window.id) }).exitCode, 0);
    ASSERT_TRUE (rig->waitForWindow (name, window));
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return meterPollRate (*rig, name, 500) > 0.0; }, 5000))
        << "polling did not resume once the window was shown again";
    EXPECT_TRUE (rig->console (c).isRunning());
}

} // namespace
} // namespace arx::e2e
