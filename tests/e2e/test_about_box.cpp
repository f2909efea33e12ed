// The About box of a real console, opened with the settings page's "About" button and driven
// through X with a device lab behind it: the versions it shows, Escape, and the guitar's and
// the device's updates it starts.

#include "e2e/ConsoleE2eTest.h"

#include <thread>

namespace arx::e2e
{
namespace
{
// The versions' value column: rows 22 pixels apart in the group whose top right is (515, 30).
constexpr int versionValueX = 515 - 220 + 136, versionValueY = 30 + 20, versionValueWidth = 70;

class AboutBoxTest : public ConsoleE2eTest
{
protected:
    void SetUp() override
    {
        ConsoleE2eTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE (rig->useProgramCopy (error)) << error;
        ASSERT_EQ (rig->labCommand ({ "firmware", "--out", rig->programDir() }).exitCode, 0);
    }

    // A console of the device `name` on the settings page.
    void openConsole()
    {
        storeTab (name, -1);
        console = launch();
        EXPECT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void clickAbout()
    {
        // The pointer comes from elsewhere, as a user's does.
        ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (window.x + 100), std::to_string (window.y + 100) })
                       .exitCode,
                   0);
        ASSERT_TRUE (rig->clickInWindow (name + " Console", aboutButtonX, aboutButtonY));
        EXPECT_TRUE (rig->waitForTitle ("About", box)) << rig->consoleLog (console);
        EXPECT_EQ (box.width, 530);
        EXPECT_EQ (box.height, 260);
    }

    // Whether row `row` of the versions shows a value: light text pixels in its value label.
    bool showsValue (int row)
    {
        const auto rgb = rig->grab (box.x + versionValueX, box.y + versionValueY + 22 * row, versionValueWidth, 20);
        for (size_t i = 0; i + 2 < rgb.size(); i += 3)
            if ((unsigned char) rgb[i] > 180 && (unsigned char) rgb[i + 1] > 180 && (unsigned char) rgb[i + 2] > 180)
                return true;
        return false;
    }

    std::string name;
    int console = -1;
    WindowInfo window, box;
};

TEST_F (AboutBoxTest, TheSettingsPagesButtonOpensItWithTheVersionsAndEscapeClosesIt)
{
    name = plugged ("arx", "Desk-1");
    openConsole();
    clickAbout();
    rig->screenshot();

    // Driver, console, ARM and FPGA versions; there is no ASIO driver here.
    for (int row : { 0, 2, 3, 4 })
        EXPECT_TRUE (showsValue (row)) << "row " << row << " is empty";
    EXPECT_FALSE (showsValue (1));

    ASSERT_TRUE (rig->pressInWindow ("About", "Escape")) << rig->consoleLog (console);
    EXPECT_TRUE (rig->console (console).isRunning());

    // The console window takes clicks again: the box opens once more.
    clickAbout();
    ASSERT_TRUE (rig->pressInWindow ("About", "Escape"));
}

TEST_F (AboutBoxTest, UpdateGuitarTakesTheUserThroughAndTheGuitarGetsItsFirmware)
{
    name = plugged ("arx", "Desk-2");
    openConsole();
    clickAbout();

    ASSERT_TRUE (rig->clickInWindow ("About", updateGuitarX, updateGuitarY));
    for (int dialog = 0; dialog < 3; ++dialog) // "Yes", then "Continue" twice
        ASSERT_TRUE (rig->pressInWindow ("Vantrel ARX", "Return")) << "dialog " << dialog << "\n" << rig->consoleLog (console);

    WindowInfo progress;
    EXPECT_TRUE (rig->waitForTitle ("Guitar Update", progress, 10000));
    ASSERT_TRUE (rig->pressInWindow ("Vantrel ARX", "Return", 60000)) << rig->consoleLog (console); // the result: "OK"

    const auto guitar = rig->dump (name).json["guitar"];
    EXPECT_TRUE ((bool) guitar["firmware"]["present"]);
    EXPECT_EQ ((int) guitar["firmware"]["packets"], 8192 / 64);

    // The box comes back, and closes as ever.
    ASSERT_TRUE (rig->pressInWindow ("About", "Escape")) << rig->consoleLog (console);
}

TEST_F (AboutBoxTest, UpdateArxRestsTheStatusPollWhileItAsksAndADeclineClosesTheBox)
{
    name = plugged ("arx", "Desk-3");
    openConsole();
    clickAbout();
    const auto polls = [&] { return rig->dump (name).gwc ("0/1"); };
    const int before = polls();
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return polls() > before + 2; }, 5000)) << "the console does not poll";

    ASSERT_TRUE (rig->clickInWindow ("About", updateArxX, updateArxY));
    WindowInfo question;
    ASSERT_TRUE (rig->waitForTitle (name, question)) << rig->consoleLog (console);
    const int asking = polls();
    std::this_thread::sleep_for (std::chrono::milliseconds (800));
    EXPECT_EQ (polls(), asking) << "the application's poll runs on while the update asks";

    ASSERT_TRUE (rig->pressInWindow (name, "Escape")) << rig->consoleLog (console);
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->x().findWindows ("About").empty(); }, 10000))
        << "the box closes after the check";
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return polls() > asking + 2; }, 5000)) << "the poll did not come back";
    const auto d = rig->dump (name);
    EXPECT_EQ (d.gwc ("1/0") + d.gwc ("1/2"), 0);
}

} // namespace
} // namespace arx::e2e
