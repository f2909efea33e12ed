// The program's lifetime: one instance, closing windows, devices going away, and what the
// device's flash sees of it.

#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{
// Everything that would show a flash erase or write, at the device and in its flash.
struct FlashTraffic
{
    int eraseRequests, writeRequests;
    juce::var eraseCount, writeCount, sessionWrites, sessionCrc;

    static FlashTraffic of (const DeviceDump& d)
    {
        return { d.gwc ("1/0"), d.gwc ("1/2"), d.flash ("eraseCount"), d.flash ("writeCount"),
                 d.flash ("sessionWrites"), d.flash ("sessionCrc") };
    }
};

void expectUntouched (const FlashTraffic& before, const FlashTraffic& after, const char* when)
{
    SCOPED_TRACE (when);
    EXPECT_EQ (after.eraseRequests, before.eraseRequests);
    EXPECT_EQ (after.writeRequests, before.writeRequests);
    EXPECT_EQ (after.eraseCount, before.eraseCount);
    EXPECT_EQ (after.writeCount, before.writeCount);
    EXPECT_EQ (after.sessionWrites, before.sessionWrites);
    EXPECT_EQ (after.sessionCrc, before.sessionCrc);
}

TEST_F (ConsoleE2eTest, SecondInstanceEndsAtOnceWithoutAWindow)
{
    const auto name = plugged();
    const int first = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (first);

    const int second = launch();
    ASSERT_TRUE (rig->console (second).waitForExit (10000)) << "the second console kept running";
    EXPECT_FALSE (rig->console (second).endedBySignal());
    EXPECT_EQ (rig->console (second).exitCode(), 0);
    EXPECT_EQ (rig->consoleLog (second).find ("Creating window for"), std::string::npos);
    EXPECT_EQ (rig->windowsOf (name, false).size(), 1u);
    EXPECT_TRUE (rig->console (first).isRunning());
}

TEST_F (ConsoleE2eTest, OpenedAndClosedTwiceWithoutEditsLeavesFlashAloneAndEndsTheProgram)
{
    const auto name = plugged();
    const auto initial = rig->dump (name);
    ASSERT_TRUE (initial.isValid());
    ASSERT_TRUE ((bool) initial.flash ("sessionCrcValid"));
    const auto before = FlashTraffic::of (initial);

    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE (round == 0 ? "first run" : "second run");
        const int c = launch();
        WindowInfo window;
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
        ASSERT_TRUE (rig->x().requestClose (window.id));
        ASSERT_TRUE (rig->console (c).waitForExit (15000)) << "closing the last window must end the program";
        EXPECT_EQ (rig->console (c).exitCode(), 0) << rig->consoleLog (c);
        expectUntouched (before, FlashTraffic::of (rig->dump (name)), "after closing");
    }
}

TEST_F (ConsoleE2eTest, UnpluggingClosesTheWindowWithoutFlashWritesAndKeepsRunning)
{
    const auto gone = plugged ("arx", "Leaving-1");
    const auto stays = plugged ("arx", "Staying-1");
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (gone, window)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForWindow (stays, window)) << rig->consoleLog (c);
    const auto before = FlashTraffic::of (rig->dump (gone));

    ASSERT_TRUE (rig->unplug (gone));
    EXPECT_TRUE (rig->waitForNoWindow (gone));
    EXPECT_TRUE (rig->console (c).isRunning());
    EXPECT_EQ (rig->windowsOf (stays).size(), 1u);

    // Plugged again, the device finds its flash as it left it: nothing was erased or written.
    ASSERT_EQ (rig->plug ("arx", gone), gone);
    ASSERT_TRUE (rig->waitForWindow (gone, window)) << rig->consoleLog (c);
    const auto after = FlashTraffic::of (rig->dump (gone));
    EXPECT_EQ (after.eraseCount, before.eraseCount);
    EXPECT_EQ (after.writeCount, before.writeCount);
    EXPECT_EQ (after.sessionWrites, before.sessionWrites);
    EXPECT_EQ (after.sessionCrc, before.sessionCrc);
    EXPECT_EQ (after.eraseRequests, 0);
    EXPECT_EQ (after.writeRequests, 0);

    // Losing every device leaves the program running with no window.
    ASSERT_TRUE (rig->unplug (gone));
    ASSERT_TRUE (rig->unplug (stays));
    EXPECT_TRUE (rig->waitForNoWindow (gone));
    EXPECT_TRUE (rig->waitForNoWindow (stays));
    EXPECT_FALSE (rig->console (c).waitForExit (1000)) << "the program ended with its last device";
}

} // namespace
} // namespace arx::e2e

namespace arx::e2e
{
namespace
{
TEST_F (ConsoleE2eTest, EndOfTheSessionKeepsTheWindowsPlaceAndEndsTheProgramCleanly)
{
    const auto name = plugged();
    const int first = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (first);
    const int x = 260, y = 210;
    ASSERT_EQ (rig->xdotool ({ "windowmove", "--sync", std::to_string (window.id), std::to_string (x), std::to_string (y) }).exitCode, 0);
    ASSERT_EQ (rig->settledAt (window, x, y).x, x);

    rig->console (first).stop(); // SIGTERM, the session manager's word
    EXPECT_FALSE (rig->console (first).endedBySignal()) << rig->consoleLog (first);
    EXPECT_EQ (rig->console (first).exitCode(), 0) << rig->consoleLog (first);
    EXPECT_NE (rig->consoleLog (first).find ("Console - end of session"), std::string::npos);

    const int second = launch();
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (second);
    window = rig->settledAt (window, x, y);
    EXPECT_EQ (window.x, x);
    EXPECT_EQ (window.y, y);
}

TEST_F (ConsoleE2eTest, WindowComesBackWhereTheUserLeftIt)
{
    const auto name = plugged();
    const int first = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (first);
    const int cx = rig->x().screenWidth() / 10, cy = rig->x().screenHeight() / 10;
    window = rig->settledAt (window, cx, cy);

    const int x = 300, y = 250;
    ASSERT_EQ (rig->xdotool ({ "windowmove", "--sync", std::to_string (window.id), std::to_string (x), std::to_string (y) }).exitCode, 0);
    ASSERT_EQ (rig->settledAt (window, x, y).x, x);
    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (rig->console (first).waitForExit (15000));

    const int second = launch();
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (second);
    window = rig->settledAt (window, x, y);
    EXPECT_EQ (window.x, x);
    EXPECT_EQ (window.y, y);

    // Another device has a file of its own: it opens at the cascade place, not at ours.
    const auto other = plugged ("arx", "Elsewhere-1");
    WindowInfo otherWindow;
    ASSERT_TRUE (rig->waitForWindow (other, otherWindow)) << rig->consoleLog (second);
    otherWindow = rig->settledAt (otherWindow, (x + cx) % rig->x().screenWidth(), (y + cy) % rig->x().screenHeight());
    EXPECT_NE (std::make_pair (otherWindow.x, otherWindow.y), std::make_pair (x, y));
}
} // namespace
} // namespace arx::e2e
