// The window's zoom against a separate device lab, through X: the keys, the size on the screen,
// a click and a typed level at the zoomed place, the zoom kept over a restart, the About box at
// the window's zoom, and what the zoomed window shows next to the same window at 100%.

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

    // One zoom key once the window's picture has settled, then the window at `percent`. The
    // meters held still (as in the 200% test) leave no other X traffic that would wake the console
    // for a key stuck in its X queue: one key must do.
    bool zoomTo (const std::string& key, int percent)
    {
        WindowInfo now;
        if (! rig->x().describe (window.id, now) || settledShot (now.width, now.height).empty())
            return false;
        window = now;
        press (key);
        return sizedAt (percent);
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
    // Near the screen's far corner, where the larger window would run off it.
    const int nearX = rig->x().screenWidth() - width100 - 20, nearY = rig->x().screenHeight() - height100 - 20;
    ASSERT_EQ (rig->xdotool ({ "windowmove", "--sync", std::to_string (window.id), std::to_string (nearX), std::to_string (nearY) }).exitCode, 0);
    ASSERT_EQ (rig->settledAt (window, nearX, nearY).x, nearX);

    ASSERT_TRUE (zoomTo ("ctrl+equal", 125)) << window.width << " x " << window.height;
    EXPECT_LE (window.x + window.width, rig->x().screenWidth()) << "the zoomed window runs off the screen";
    EXPECT_LE (window.y + window.height, rig->x().screenHeight());
    ASSERT_TRUE (zoomTo ("ctrl+plus", 150)) << window.width << " x " << window.height;
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

    ASSERT_TRUE (zoomTo ("ctrl+minus", 125));
    ASSERT_TRUE (zoomTo ("ctrl+equal", 150));

    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (rig->console (console).waitForExit (60000)); // the write-back, slow under the sanitizers
    console = launch();
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    EXPECT_TRUE (sizedAt (150)) << "after a restart: " << window.width << " x " << window.height;

    EXPECT_TRUE (zoomTo ("ctrl+0", 100)) << window.width << " x " << window.height;
}

TEST_F (ConsoleZoomE2e, TheAboutBoxOpensAtTheWindowsZoom)
{
    name = plugged();
    // The settings page at 150%, as a user left it.
    const auto folder = juce::File (rig->homeDir()).getChildFile (".config/Vantrel ARX Console");
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (folder.getChildFile (name + ".properties")
                     .replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                                       "  <VALUE name=\"tab\" val=\"-1\"/>\n  <VALUE name=\"zoom\" val=\"150\"/>\n</PROPERTIES>\n"));
    console = launch();
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    ASSERT_TRUE (sizedAt (150));

    ASSERT_TRUE (rig->clickInWindow (name + " Console", at (aboutButtonX, 150), at (aboutButtonY, 150)));
    WindowInfo box;
    ASSERT_TRUE (rig->waitForTitle ("About", box)) << rig->consoleLog (console);
    EXPECT_NEAR (box.width, at (530, 150), 1);
    EXPECT_NEAR (box.height, at (260, 150), 1);
    EXPECT_TRUE (rig->pressInWindow ("About", "Escape"));
}

// Mean brightness of square blocks of `block` pixels of an RGB image `w` wide.
std::vector<double> blockMeans (const std::string& rgb, int w, int h, int block)
{
    std::vector<double> means;
    for (int by = 0; by + block <= h; by += block)
        for (int bx = 0; bx + block <= w; bx += block)
        {
            double sum = 0;
            for (int y = by; y < by + block; ++y)
                for (int x = bx; x < bx + block; ++x)
                    for (int c = 0; c < 3; ++c)
                        sum += (unsigned char) rgb[(size_t) (3 * (y * w + x) + c)];
            means.push_back (sum / (3.0 * block * block));
        }
    return means;
}

// The steepest step in brightness between two neighbouring pixels of a column, over a region.
int steepestStep (const std::string& rgb, int w, int x0, int y0, int rw, int rh)
{
    int steepest = 0;
    const auto lum = [&] (int x, int y) {
        const auto* p = reinterpret_cast<const unsigned char*> (rgb.data()) + 3 * (y * w + x);
        return (p[0] + p[1] + p[2]) / 3;
    };
    for (int x = x0; x < x0 + rw; ++x)
        for (int y = y0; y + 1 < y0 + rh; ++y)
            steepest = std::max (steepest, std::abs (lum (x, y + 1) - lum (x, y)));
    return steepest;
}

TEST_F (ConsoleZoomE2e, TheWindowAt200PercentShowsWhatItShowsAt100OnlySharper)
{
    open();
    ASSERT_TRUE (sizedAt (100));
    // Meters held still, so that both shots show the same levels.
    ASSERT_TRUE (rig->fault (name, { "--silent-meters", "on" }));
    const auto small = settledShot (width100, height100);
    ASSERT_FALSE (small.empty());

    for (const int percent : { 125, 150, 175, 200 })
        ASSERT_TRUE (zoomTo ("ctrl+equal", percent)) << window.width << " x " << window.height;
    const auto large = settledShot (2 * width100, 2 * height100);
    ASSERT_FALSE (large.empty());
    rig->screenshot();

    // Structure: blocks of 8 x 8 pixels at 100% against the same blocks at 200% (16 x 16).
    const auto a = blockMeans (small, width100, height100, 8);
    const auto b = blockMeans (large, 2 * width100, 2 * height100, 16);
    ASSERT_EQ (a.size(), b.size());
    double total = 0, worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        total += std::abs (a[i] - b[i]);
        worst = std::max (worst, std::abs (a[i] - b[i]));
    }
    EXPECT_LT (total / (double) a.size(), 4.0) << "the zoomed window does not show the same picture";
    EXPECT_LT (worst, 48.0) << "a part of the zoomed window differs from the same part at 100%";

    // Sharpness: input 1's fader (its cap and track) has edges at least as steep at 200% as at
    // 100%; a bitmap scaled up would spread each edge over two pixels.
    const int faderX = 12 + 10, faderY = 30 + 41 + 192;
    const int steep100 = steepestStep (small, width100, faderX, faderY, 26, 212);
    const int steep200 = steepestStep (large, 2 * width100, 2 * faderX, 2 * faderY, 52, 424);
    EXPECT_GE (steep200 * 10, steep100 * 9) << "fader edges: " << steep200 << " at 200% against " << steep100 << " at 100%";
}

} // namespace
} // namespace arx::e2e
