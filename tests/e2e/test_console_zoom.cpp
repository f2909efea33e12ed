// The window's zoom against a separate device lab, through X: the keys, the size on the screen,
// a click and a typed level at the zoomed place, the zoom kept over a restart.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

#include <cmath>

namespace arx::e2e
{
namespace
{

constexpr int width100 = 923, height100 = 536;

int at (int length, int percent) { return (int) std::lround (length * percent / 100.0); }

class ConsoleZoomE2e : public ConsoleE2eTest
{
protected:
    void open()
    {
        name = plugged();
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void press (const std::string& key)
    {
        ASSERT_EQ (rig->xdotool ({ "windowfocus", "--sync", std::to_string (window.id) }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "key", key }).exitCode, 0);
    }

    // Waits until the window stands at `percent` of its size (a pixel of rounding either way).
    bool sizedAt (int percent)
    {
        return ConsoleRig::waitUntil (
            [&] {
                WindowInfo now;
                if (! rig->x().describe (window.id, now))
                    return false;
                window = now;
                return std::abs (now.width - at (width100, percent)) <= 1 && std::abs (now.height - at (height100, percent)) <= 1;
            },
            5000);
    }

    // The window's pixels once its content has settled (the same grab twice in a row).
    std::string settledShot (int w, int h)
    {
        std::string last, shot;
        ConsoleRig::waitUntil (
            [&] {
                last = std::exchange (shot, rig->grab (window.x, window.y, w, h));
                return ! shot.empty() && shot == last;
            },
            5000, 200);
        return shot;
    }

    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (ConsoleZoomE2e, KeysZoomTheWindowAClickAtTheZoomedPlaceTypesALevelAndTheZoomSurvivesARestart)
{
    open();
    ASSERT_TRUE (sizedAt (100)) << window.width << " x " << window.height;

    press ("ctrl+equal");
    ASSERT_TRUE (sizedAt (125)) << window.width << " x " << window.height;
    press ("ctrl+plus");
    ASSERT_TRUE (sizedAt (150)) << window.width << " x " << window.height;
    EXPECT_LE (window.x + window.width, rig->x().screenWidth());
    EXPECT_LE (window.y + window.height, rig->x().screenHeight());

    // Input 3's value box, 1.5 times as far from the corner as at 100%.
    const int boxX = window.x + at (2 * 54 + 29, 150), boxY = window.y + at (30 + 41 + 421, 150);
    ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (boxX), std::to_string (boxY), "click", "1" }).exitCode, 0);
    ASSERT_EQ (rig->xdotool ({ "type", "--delay", "30", "--", "-12.5" }).exitCode, 0);
    ASSERT_EQ (rig->xdotool ({ "key", "Return" }).exitCode, 0);
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).monitor ("monitorGain", 2, 0) == gainToCode (-12.5f); },
                                        5000, 100))
        << "the level typed into input 3's box did not reach the device";

    press ("ctrl+minus");
    ASSERT_TRUE (sizedAt (125));
    press ("ctrl+equal");
    ASSERT_TRUE (sizedAt (150));

    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (rig->console (console).waitForExit (15000));
    console = launch();
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    EXPECT_TRUE (sizedAt (150)) << "after a restart: " << window.width << " x " << window.height;

    press ("ctrl+0");
    EXPECT_TRUE (sizedAt (100)) << window.width << " x " << window.height;
}

} // namespace
} // namespace arx::e2e
