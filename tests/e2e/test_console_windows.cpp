// Which devices get a window, what the window looks like and where it goes.

#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{
// Cascade step of the main monitor's work area; without a window manager that is the screen.
struct Cascade
{
    int w, h;
    int x (int index) const { return (w / 10) * (index + 1) % w; }
    int y (int index) const { return (h / 10) * (index + 1) % h; }
};

TEST_F (ConsoleE2eTest, OneWindowPerDeviceTitledSizedAndCascaded)
{
    const auto name = plugged();
    const auto inputs = (int) rig->dump (name).json["mixer"]["inputs"];
    ASSERT_EQ (inputs, 13);
    const int c = launch();

    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    EXPECT_EQ (window.width, contentWidth (inputs));
    EXPECT_EQ (window.width, 923);
    EXPECT_EQ (window.height, contentHeight);
    const Cascade cascade { rig->x().screenWidth(), rig->x().screenHeight() };
    window = rig->settledAt (window, cascade.x (0), cascade.y (0));
    EXPECT_EQ (window.x, cascade.x (0));
    EXPECT_EQ (window.y, cascade.y (0));
    EXPECT_NE (rig->consoleLog (c).find ("Creating window for " + name), std::string::npos);
    // The window is brought to the front, becomes the active one and says so to the device.
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("3/5") > 0; }, 5000, 200));
    rig->screenshot();
}

TEST_F (ConsoleE2eTest, DeviceOfAnotherVendorGetsNoWindow)
{
    const auto foreign = plugged ("other-vendor", "Foreign-1");
    const auto ours = plugged ("arx", "Ours-1");
    const int c = launch();

    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (ours, window)) << rig->consoleLog (c);
    // Give a wrongly opened window the same time to show as the right one needed.
    EXPECT_FALSE (ConsoleRig::waitUntil ([&] { return ! rig->windowsOf (foreign, false).empty(); }, 1500));
    EXPECT_EQ (rig->dump (foreign).gwc ("0/1"), 0) << "the foreign device was polled";
    EXPECT_GT (rig->dump (ours).gwc ("0/1"), 0);
    EXPECT_EQ (rig->consoleLog (c).find ("Creating window for " + foreign), std::string::npos);
}

TEST_F (ConsoleE2eTest, DevicePluggedWhileRunningOpensNextCascadedWindow)
{
    const auto first = plugged ("arx", "Desk-A");
    const int c = launch();
    WindowInfo a;
    ASSERT_TRUE (rig->waitForWindow (first, a)) << rig->consoleLog (c);

    const auto second = plugged ("wide", "Desk-B");
    const auto wideInputs = (int) rig->dump (second).json["mixer"]["inputs"];
    WindowInfo b;
    ASSERT_TRUE (rig->waitForWindow (second, b)) << rig->consoleLog (c);
    rig->screenshot();

    const Cascade cascade { rig->x().screenWidth(), rig->x().screenHeight() };
    a = rig->settledAt (a, cascade.x (0), cascade.y (0));
    b = rig->settledAt (b, cascade.x (1), cascade.y (1));
    EXPECT_EQ (a.x, cascade.x (0));
    EXPECT_EQ (a.y, cascade.y (0));
    EXPECT_EQ (b.x, cascade.x (1));
    EXPECT_EQ (b.y, cascade.y (1));
    EXPECT_EQ (b.width, contentWidth (wideInputs));
    EXPECT_EQ (b.height, contentHeight);
    EXPECT_EQ (rig->windowsOf (first).size(), 1u) << "the first window must stay";

    // Closing one of two windows leaves the program and the other window alone.
    ASSERT_TRUE (rig->x().requestClose (a.id));
    EXPECT_TRUE (rig->waitForNoWindow (first));
    EXPECT_TRUE (rig->console (c).isRunning());
    EXPECT_EQ (rig->windowsOf (second).size(), 1u);
}

} // namespace
} // namespace arx::e2e
