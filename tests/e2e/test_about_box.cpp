// The About box as a window of its own over a console window, driven through X with a device
// lab behind it: Escape closes it, and its buttons start the guitar's and the device's updates.

#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{
// Centres of the box's buttons within its window (the content fills it).
constexpr int updateArxX = 345 + 60, updateArxY = 203 + 11;
constexpr int updateGuitarX = 345 + 60, updateGuitarY = 230 + 11;

class AboutBoxTest : public ConsoleE2eTest
{
protected:
    void SetUp() override
    {
        ConsoleE2eTest::SetUp();
        if (! juce::File (ConsoleRig::binDir() + "/arx-about-host").existsAsFile())
            GTEST_SKIP() << "arx-about-host is not built";
        std::string error;
        ASSERT_TRUE (rig->useProgramCopy (error)) << error;
        ASSERT_EQ (rig->labCommand ({ "firmware", "--out", rig->programDir() }).exitCode, 0);
    }

    int openBox (const std::string& device)
    {
        std::string error;
        const int host = rig->startAboutHost (error);
        EXPECT_GE (host, 0) << error;
        WindowInfo box, console;
        EXPECT_TRUE (rig->waitForTitle ("About", box)) << rig->consoleLog (host);
        EXPECT_TRUE (rig->waitForWindow (device, console));
        EXPECT_EQ (box.width, 530);
        EXPECT_EQ (box.height, 260);
        return host;
    }
};

TEST_F (AboutBoxTest, EscapeClosesTheBoxOverItsConsoleWindow)
{
    const auto name = plugged ("arx", "Desk-1");
    const int host = openBox (name);
    rig->screenshot();

    ASSERT_TRUE (rig->pressInWindow ("About", "Escape")) << rig->consoleLog (host);
    ASSERT_TRUE (rig->console (host).waitForExit (10000)) << "the host ends once the box has closed";
    EXPECT_EQ (rig->console (host).exitCode(), 0);
}

TEST_F (AboutBoxTest, UpdateGuitarTakesTheUserThroughAndTheGuitarGetsItsFirmware)
{
    const auto name = plugged ("arx", "Desk-2");
    const int host = openBox (name);

    ASSERT_TRUE (rig->clickInWindow ("About", updateGuitarX, updateGuitarY));
    for (int dialog = 0; dialog < 3; ++dialog) // "Yes", then "Continue" twice
        ASSERT_TRUE (rig->pressInWindow ("Vantrel ARX", "Return")) << "dialog " << dialog << "\n" << rig->consoleLog (host);

    WindowInfo progress;
    EXPECT_TRUE (rig->waitForTitle ("Guitar Update", progress, 10000));
    ASSERT_TRUE (rig->pressInWindow ("Vantrel ARX", "Return", 60000)) << rig->consoleLog (host); // the result: "OK"

    const auto guitar = rig->dump (name).json["guitar"];
    EXPECT_TRUE ((bool) guitar["firmware"]["present"]);
    EXPECT_EQ ((int) guitar["firmware"]["packets"], 8192 / 64);

    // The box comes back, and closes as ever.
    ASSERT_TRUE (rig->pressInWindow ("About", "Escape")) << rig->consoleLog (host);
    EXPECT_TRUE (rig->console (host).waitForExit (10000));
}

TEST_F (AboutBoxTest, UpdateArxAsksInItsOwnWordsAndADeclineClosesTheBox)
{
    const auto name = plugged ("arx", "Desk-3");
    const int host = openBox (name);

    ASSERT_TRUE (rig->clickInWindow ("About", updateArxX, updateArxY));
    ASSERT_TRUE (rig->pressInWindow (name, "Escape")) << rig->consoleLog (host);
    EXPECT_TRUE (rig->console (host).waitForExit (10000)) << "the box closes after the check";
    const auto d = rig->dump (name);
    EXPECT_EQ (d.gwc ("1/0") + d.gwc ("1/2"), 0);
}

} // namespace
} // namespace arx::e2e
