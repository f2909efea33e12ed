// The status poll reaches the device while the window is visible and not at all while it is
// hidden.

#include "e2e/ConsoleE2eTest.h"

#include <chrono>
#include <thread>

namespace arx::e2e
{
namespace
{
// Meter polls that reach the device over `ms` milliseconds.
int meterPollsDuring (ConsoleRig& rig, const std::string& name, int ms)
{
    const int before = rig.dump (name).gwc ("0/1");
    std::this_thread::sleep_for (std::chrono::milliseconds (ms));
    return rig.dump (name).gwc ("0/1") - before;
}

// Waits (bounded) until `more` further meter polls have reached the device.
bool pollsArrive (ConsoleRig& rig, const std::string& name, int more)
{
    const int start = rig.dump (name).gwc ("0/1");
    return ConsoleRig::waitUntil ([&] { return rig.dump (name).gwc ("0/1") >= start + more; }, 10000, 100);
}

TEST_F (ConsoleE2eTest, StatusPollRunsWhileVisibleAndStopsWhileHidden)
{
    const auto name = plugged();
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);

    // How often belongs to the start-up benchmark; here: polls keep coming while visible.
    EXPECT_TRUE (pollsArrive (*rig, name, 5));

    ASSERT_EQ (rig->xdotool ({ "windowunmap", "--sync", std::to_string (window.id) }).exitCode, 0);
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->windowsOf (name).empty(); }, 5000));
    // A poll already queued may still reach the device; after that, silence.
    std::this_thread::sleep_for (std::chrono::milliseconds (400));
    EXPECT_EQ (meterPollsDuring (*rig, name, 1500), 0) << "a hidden window is still polled";

    ASSERT_EQ (rig->xdotool ({ "windowmap", "--sync", std::to_string (window.id) }).exitCode, 0);
    ASSERT_TRUE (rig->waitForWindow (name, window));
    EXPECT_TRUE (pollsArrive (*rig, name, 3)) << "polling did not resume once the window was shown again";
    EXPECT_TRUE (rig->console (c).isRunning());
}

} // namespace
} // namespace arx::e2e
