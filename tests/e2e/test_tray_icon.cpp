// The console's tray icon as Linux desktops show it: docked in a real XEmbed tray (Debian's
// trayer), or as a StatusNotifierItem read by a watcher and host on a private session bus.

#include "e2e/ConsoleE2eTest.h"

#include <cstdlib>

namespace arx::e2e
{
namespace
{
constexpr int iconImageSize = 16; // assets/tray_icon.png

class TrayIconE2eTest : public ConsoleE2eTest
{
protected:
    // The icon's artwork on the black it is drawn on, `scale` times its size, as R, G, B bytes.
    static std::string artwork (int scale)
    {
        const auto png = ConsoleRig::sourceDir() + "/assets/tray_icon.png";
        const auto r = E2eProcess::run ({ "/usr/bin/convert", png, "-background", "black", "-flatten", "-scale",
                                          std::to_string (scale * 100) + "%", "-depth", "8", "rgb:-" },
                                        {});
        return r.exitCode == 0 ? r.out : std::string();
    }

    // The screen shows the artwork where the icon draws it: centred, at a whole multiple.
    void expectArtworkShown (const WindowInfo& icon)
    {
        const int scale = std::min (icon.width, icon.height) / iconImageSize;
        ASSERT_GE (scale, 1);
        const int side = iconImageSize * scale;
        const auto expected = artwork (scale);
        ASSERT_EQ (expected.size(), (size_t) (side * side * 3));
        std::string shown;
        ASSERT_TRUE (ConsoleRig::waitUntil (
            [&] {
                shown = rig->grab (icon.x + (icon.width - side) / 2, icon.y + (icon.height - side) / 2, side, side);
                if (shown.size() != expected.size())
                    return false;
                for (size_t i = 0; i < shown.size(); ++i)
                    if (std::abs ((int) (unsigned char) shown[i] - (int) (unsigned char) expected[i]) > 8)
                        return false;
                return true;
            },
            10000))
            << "the tray does not show the icon's artwork";
    }
};

TEST_F (TrayIconE2eTest, DocksAtTheTraysSizeShowsItsArtworkDocksAgainAfterTheTrayRestartsAndExits)
{
    ASSERT_TRUE (rig->startTray());
    const auto name = plugged ("arx", "Tray-1");
    ASSERT_TRUE (rig->labCommand ({ "plug", "--profile", "arx", "--name", "Blank-1", "--blank-session" }).exitCode == 0);
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForWindow ("Blank-1", window)) << rig->consoleLog (c);

    WindowInfo icon;
    ASSERT_TRUE (rig->waitForTrayIcon (icon)) << "the icon did not dock";
    EXPECT_GE (icon.width, 16);
    EXPECT_GE (icon.height, 16);
    expectArtworkShown (icon);
    rig->screenshot();

    // A panel that restarts takes its icons back.
    rig->stopTray();
    ASSERT_TRUE (rig->startTray());
    ASSERT_TRUE (rig->waitForTrayIcon (icon)) << "the icon did not dock in the restarted tray";
    EXPECT_GE (icon.width, 16);
    expectArtworkShown (icon);

    // The menu: two devices, "Show all windows", "Hide all windows", "Cascade", "Start at login",
    // "Exit".
    ASSERT_TRUE (rig->chooseFromTrayMenu (7)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->console (c).waitForExit (30000)) << rig->consoleLog (c);
    EXPECT_EQ (rig->console (c).exitCode(), 0);
    const auto written = rig->dump ("Blank-1");
    EXPECT_TRUE ((bool) written.flash ("sessionCrcValid")) << "Exit must write the changed session back";
    EXPECT_EQ ((int) written.flash ("lockValue"), 0);
}

TEST_F (TrayIconE2eTest, AStatusNotifierHostReadsTheItemAndItsMenuAndItsExitEndsTheProgram)
{
    ASSERT_TRUE (rig->startTray());
    ASSERT_TRUE (rig->startSessionBus());
    ASSERT_TRUE (rig->startNotifierHost ({ "--click", "Exit" }));
    const auto name = plugged ("arx", "Tray_1");
    ASSERT_TRUE (rig->labCommand ({ "plug", "--profile", "arx", "--name", "Blank-1", "--blank-session" }).exitCode == 0);
    const int c = launch();

    const auto item = rig->notifierReport (1);
    ASSERT_TRUE (item.isObject()) << "no item registered: " << rig->consoleLog (c);
    EXPECT_EQ (item["id"].toString(), "vantrel-arx-console");
    EXPECT_EQ (item["title"].toString(), "Vantrel ARX Console");
    EXPECT_EQ (item["tooltip"].toString(), "Vantrel ARX Console");
    EXPECT_EQ (item["status"].toString(), "Active");
    ASSERT_TRUE (item["icons"].isArray());
    EXPECT_EQ (item["icons"][0][0].toString(), "16");
    EXPECT_EQ (item["icons"][0][2].toString(), "1024");
    EXPECT_GT ((int) item["opaquePixels"], 100);
    const auto menu = juce::JSON::toString (item["menu"], true);
    EXPECT_EQ (menu, juce::JSON::toString (juce::JSON::parse (R"(["Tray_1", "Blank-1", "-", "Show all windows",
        "Hide all windows", "Cascade all windows", "Start at login", "Exit"])"), true));

    // Never both: the XEmbed tray stays empty while the item is shown.
    WindowInfo icon;
    EXPECT_FALSE (rig->waitForTrayIcon (icon, 1000));

    ASSERT_TRUE (rig->console (c).waitForExit (30000)) << "Exit from the item's menu must end the program";
    EXPECT_EQ (rig->console (c).exitCode(), 0);
    EXPECT_TRUE ((bool) rig->dump ("Blank-1").flash ("sessionCrcValid")) << "Exit must write the changed session back";
}

TEST_F (TrayIconE2eTest, AWatcherThatGoesAwayHandsTheIconToTheXEmbedTray)
{
    ASSERT_TRUE (rig->startTray());
    ASSERT_TRUE (rig->startSessionBus());
    ASSERT_TRUE (rig->startNotifierHost());
    const int c = launch();
    ASSERT_TRUE (rig->notifierReport (1).isObject()) << rig->consoleLog (c);
    WindowInfo icon;
    EXPECT_FALSE (rig->waitForTrayIcon (icon, 1000));

    rig->stopNotifierHost();
    ASSERT_TRUE (rig->waitForTrayIcon (icon)) << rig->consoleLog (c);
    EXPECT_GE (icon.width, 16);

    // A watcher that comes back takes the icon again.
    ASSERT_TRUE (rig->startNotifierHost());
    ASSERT_TRUE (rig->notifierReport (1).isObject()) << rig->consoleLog (c);
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->x().findWindows ("tray icon", true, 8).empty(); }, 10000));
}

} // namespace
} // namespace arx::e2e
