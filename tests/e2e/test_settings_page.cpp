// The settings page of a real console against a separate device lab, driven with the mouse
// through X in both OS generations: rates, the rate lock, clock sources that lose their signal
// and the buffer size with the driver's refusal.

#include "e2e/ConsoleE2eTest.h"

#include <thread>

namespace arx::e2e
{
namespace
{

// Where the page's controls stand for an "arx" device (13 inputs: the page is 923 wide, its
// columns 461, and it starts 30 pixels down). The left column's groups are 200 wide at x 130,
// the right column's at x 591.
struct Spot
{
    int x, y;
};

constexpr int pageTop = 30, leftGroupX = 130, rightGroupX = 591;

// Rate button `index` of a sample rate group whose top is `groupY`: two to a row.
Spot rateButton (int index, int groupY)
{
    return { leftGroupX + (index % 2 == 0 ? 14 : 106) + 40, pageTop + groupY + 25 + 28 * (index / 2) + 11 };
}

// Before Vista the rate group starts at 16 and holds seven rates (four rows) and "Locked".
constexpr int legacyRateGroupY = 16, legacyClockGroupY = 16 + 180 + 12;
// On Vista and later the device's rate (60 high) stands above it.
constexpr int vistaRateGroupY = 16 + 60 + 12;
const Spot lockButton { leftGroupX + 60 + 40, pageTop + legacyRateGroupY + 143 + 11 };
// The clock source buttons "Internal", "FireWire", "S/PDIF", two to a row.
const Spot spdifClockButton { leftGroupX + 18 + 40, pageTop + legacyClockGroupY + 53 + 12 };
// The buffer size slider's track: the group below the S/PDIF group, the slider 15 down in it.
// The guitar panel stands below the right column: "Live mode", "Hex mode" and "Charging",
// centred 125 pixels apart, 36 pixels down.
constexpr int guitarPanelX = 461 + (461 - 400) / 2, guitarPanelY = 16 + 80 + 12 + 80 + 12;
Spot guitarButton (int index) { return { guitarPanelX + 75 + 125 * index, pageTop + guitarPanelY + 36 }; }
constexpr int sliderTrackY = pageTop + 16 + 80 + 12 + 15 + 10, sliderLeft = rightGroupX + 10 + 12, sliderRight = rightGroupX + 190 - 12;

class SettingsPageE2e : public ConsoleE2eTest
{
protected:
    // A console whose window opens on the settings page, as the stored tab -1 asks.
    void open (bool vista, const std::vector<std::string>& faults = {})
    {
        name = plugged();
        if (! faults.empty())
        {
            ASSERT_TRUE (rig->fault (name, faults));
        }
        storeTab (name, -1);
        const ScopedGeneration generation (vista);
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
        // The page has read the device once its rate reads arrived.
        ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("3/1") > 0; }, 5000, 100));
    }

    // "mousemove --sync" to where the pointer already is waits for ever: move from elsewhere.
    void mouse (std::vector<std::string> args)
    {
        ASSERT_EQ (rig->xdotool (args).exitCode, 0);
    }

    std::string at (int x) { return std::to_string (window.x + x); }
    std::string atY (int y) { return std::to_string (window.y + y); }

    void click (Spot s)
    {
        // The pointer comes from elsewhere, as a user's does.
        mouse ({ "mousemove", "--sync", at (s.x + 150), atY (s.y + 150) });
        mouse ({ "mousemove", "--sync", at (s.x), atY (s.y), "click", "1" });
    }

    bool deviceShows (const std::function<bool (const DeviceDump&)>& condition, int timeoutMs = 5000)
    {
        return ConsoleRig::waitUntil ([&] { return condition (rig->dump (name)); }, timeoutMs, 100);
    }

    // `polls` more status polls have reached the device: the console has seen what it had.
    bool pollsPast (int polls)
    {
        const int until = rig->dump (name).gwc ("0/1") + polls;
        return ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("0/1") >= until; }, 5000, 50);
    }

    static juce::int64 rate (const DeviceDump& d) { return (juce::int64) d.json["clock"]["rate"]; }
    static juce::int64 source (const DeviceDump& d) { return (juce::int64) d.json["clock"]["source"]; }

    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (SettingsPageE2e, BeforeVistaALockedRateIsUnlockedSetAndLockedAgain)
{
    open (false);
    click (lockButton);
    ASSERT_TRUE (deviceShows ([] (const DeviceDump& d) { return (bool) d.json["rateLock"]; }));
    const int lockRequests = rig->dump (name).driver ("10");

    click (rateButton (1, legacyRateGroupY)); // 44.1 kHz
    ASSERT_TRUE (deviceShows ([] (const DeviceDump& d) { return rate (d) == 44100; })) << rig->consoleLog (console);
    ASSERT_TRUE (deviceShows ([&] (const DeviceDump& d) { return d.driver ("10") == lockRequests + 2; }));
    const auto d = rig->dump (name);
    EXPECT_TRUE ((bool) d.json["rateLock"]);
    EXPECT_EQ (d.driver ("16"), 0) << "before Vista the device's clock is set, not the driver's rate";
    rig->screenshot();
}

TEST_F (SettingsPageE2e, OnVistaARateButtonSetsTheDriversRate)
{
    open (true);
    click (rateButton (4, vistaRateGroupY)); // 96 kHz
    ASSERT_TRUE (deviceShows ([] (const DeviceDump& d) { return rate (d) == 96000; })) << rig->consoleLog (console);
    const auto d = rig->dump (name);
    EXPECT_EQ (d.driver ("16"), 1);
    EXPECT_EQ (d.driver ("10"), 0);
    rig->screenshot();
}

TEST_F (SettingsPageE2e, AClockSourceWithoutSignalCannotBeChosenUntilItComesBack)
{
    open (false, { "--no-signal", "3" });
    // Polls have run and the button is greyed: a click does nothing.
    ASSERT_TRUE (pollsPast (3));
    click (spdifClockButton);
    ASSERT_TRUE (pollsPast (3));
    EXPECT_EQ (rig->dump (name).gwc ("3/0"), 0) << "a source without signal was sent";

    ASSERT_TRUE (rig->fault (name, { "--clear" }));
    // Once a poll has seen the signal the button takes the click.
    EXPECT_TRUE (ConsoleRig::waitUntil (
        [&] {
            click (spdifClockButton);
            return source (rig->dump (name)) == 3;
        },
        5000, 300));
}

TEST_F (SettingsPageE2e, TheBufferSizeGoesOutOnReleaseAndARefusalIsExplained)
{
    open (false, { "--refuse-buffer-size", "on" });
    const auto middle = (sliderLeft + sliderRight) / 2;
    mouse ({ "mousemove", "--sync", at (middle), atY (sliderTrackY), "mousedown", "1" });
    mouse ({ "mousemove", "--sync", at (middle + 40), atY (sliderTrackY) });
    std::this_thread::sleep_for (std::chrono::milliseconds (400));
    EXPECT_EQ (rig->dump (name).driver ("9"), 0) << "sent while the slider was held";
    mouse ({ "mouseup", "1" });

    // The driver refuses: the user is told, and the device keeps its size.
    WindowInfo box;
    ASSERT_TRUE (rig->waitForTitle ("Vantrel ARX Console", box, 5000)) << rig->consoleLog (console);
    EXPECT_EQ (rig->dump (name).driver ("9"), 1);
    EXPECT_EQ ((int) rig->dump (name).json["bufferSize"], 256);
    rig->screenshot();
    ASSERT_TRUE (rig->pressInWindow ("Vantrel ARX Console", "Return"));

    // Without an ASIO application the size is taken.
    ASSERT_TRUE (rig->fault (name, { "--refuse-buffer-size", "off" }));
    mouse ({ "mousemove", "--sync", at (middle), atY (sliderTrackY + 100) });
    mouse ({ "mousemove", "--sync", at (middle), atY (sliderTrackY), "mousedown", "1" });
    mouse ({ "mousemove", "--sync", at (sliderRight), atY (sliderTrackY), "mouseup", "1" });
    ASSERT_TRUE (deviceShows ([] (const DeviceDump& d) { return (int) d.json["bufferSize"] > 1024; }));
    EXPECT_EQ ((int) rig->dump (name).json["bufferSize"] % 32, 0);
}

TEST_F (SettingsPageE2e, TheGuitarPanelSwitchesTheGuitarOnlyWhileOneIsConnected)
{
    open (false);
    click (guitarButton (1)); // Hex mode
    ASSERT_TRUE (deviceShows ([] (const DeviceDump& d) { return (bool) d.json["guitar"]["hexMode"]; }))
        << rig->consoleLog (console);

    // Unplugged: the panel goes (at the first poll a second after the click: polls come at most
    // every 100 ms), and a click where it stood sends nothing.
    ASSERT_EQ (rig->labCommand ({ "guitar", name, "disconnect" }).exitCode, 0);
    ASSERT_TRUE (pollsPast (12));
    const int sent = rig->dump (name).gwc ("10/7");
    click (guitarButton (0));
    ASSERT_TRUE (pollsPast (3));
    EXPECT_EQ (rig->dump (name).gwc ("10/7"), sent);
    rig->screenshot();

    // Plugged in again, still in hex mode: the panel is back and takes live mode.
    ASSERT_EQ (rig->labCommand ({ "guitar", name, "connect" }).exitCode, 0);
    EXPECT_TRUE (ConsoleRig::waitUntil (
        [&] {
            click (guitarButton (0));
            return (int) rig->dump (name).json["guitar"]["control"] == 0;
        },
        5000, 300));
    EXPECT_EQ (rig->dump (name).gwc ("10/6"), 2);
}

} // namespace
} // namespace arx::e2e
