// The end of the session (SIGTERM) while a dialog of ours is open, against a separate device
// lab: the dialog closes as its Cancel or No would, the program ends as it does without it, and
// the level the user typed is in the device's flash. A firmware update under way is the one
// thing not cut short: the end waits for it and leaves the session area as the update left it.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

#include <csignal>

namespace arx::e2e
{
namespace
{
// Where things are in the content of an "arx" window (13 inputs) with the shipped skin: the
// page starts 30 pixels down, the input strips' value boxes 462 pixels below it, 54 pixels
// apart; SETTINGS is the fourth tab.
constexpr int stripWidth = 54, valueBoxY = 30 + 41 + 421;
constexpr int settingsTabX = 3 + 3 * 140 + 40, tabY = 15;

class EndWithADialogE2e : public ConsoleE2eTest
{
protected:
    void SetUp() override
    {
        ConsoleE2eTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string error;
        ASSERT_TRUE (rig->useProgramCopy (error)) << error;
    }

    // Firmware files of `version` next to the program.
    void firmwareFiles (const std::string& version)
    {
        ASSERT_EQ (rig->labCommand ({ "firmware", "--out", rig->programDir(), "--version", version }).exitCode, 0);
    }

    // A console showing the device `name`.
    void open()
    {
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void xdo (const std::vector<std::string>& args) { ASSERT_EQ (rig->xdotool (args).exitCode, 0); }

    void click (int x, int y)
    {
        // The pointer comes from elsewhere, as a user's does.
        xdo ({ "mousemove", "--sync", std::to_string (window.x + x + 120), std::to_string (window.y + y + 120) });
        xdo ({ "mousemove", "--sync", std::to_string (window.x + x), std::to_string (window.y + y), "click", "1" });
    }

    // A monitor level typed into input strip `strip`'s value box; the device has it.
    void typeLevel (int strip, float level)
    {
        click (strip * stripWidth + 29, valueBoxY);
        xdo ({ "type", "--delay", "30", "--", juce::String (level, 1).toStdString() });
        xdo ({ "key", "Return" });
        ASSERT_TRUE (ConsoleRig::waitUntil (
            [&] { return rig->dump (name).monitor ("monitorGain", strip, 0) == (juce::int64) gainToCode (level); }, 8000,
            100));
    }

    void openAboutBox()
    {
        click (settingsTabX, tabY);
        click (aboutButtonX, aboutButtonY);
        WindowInfo box;
        ASSERT_TRUE (rig->waitForTitle ("About", box)) << rig->consoleLog (console);
    }

    // The session manager's word; the program is gone within `timeoutMs`.
    void endTheSession (int timeoutMs = 15000)
    {
        ASSERT_EQ (::kill (rig->console (console).pid(), SIGTERM), 0);
        ASSERT_TRUE (rig->console (console).waitForExit (timeoutMs)) << "the dialog held the program\n"
                                                                     << rig->consoleLog (console);
        EXPECT_EQ (rig->console (console).exitCode(), 0) << rig->consoleLog (console);
    }

    // The flash holds a whole image, and the device powered up again runs on its levels.
    void expectTheFlashToHold (int strip, float level)
    {
        const auto d = rig->dump (name);
        EXPECT_TRUE ((bool) d.flash ("sessionCrcValid"));
        EXPECT_EQ ((int) d.flash ("lockValue"), 0);
        ASSERT_EQ (rig->labCommand ({ "power-cycle", name }).exitCode, 0);
        EXPECT_EQ (rig->dump (name).monitor ("monitorGain", strip, 0), (juce::int64) gainToCode (level));
    }

    std::string name = "Desk-1";
    int console = -1;
    WindowInfo window;
};

TEST_F (EndWithADialogE2e, TheLoadDialogIsCancelledAndTheTypedLevelReachesTheFlash)
{
    plugged ("arx", name);
    open();
    typeLevel (2, -17.5f);
    xdo ({ "windowfocus", "--sync", std::to_string (window.id) });
    xdo ({ "key", "ctrl+o" });
    WindowInfo dialog;
    ASSERT_TRUE (rig->waitForTitle ("Load settings", dialog)) << rig->consoleLog (console);

    endTheSession();
    expectTheFlashToHold (2, -17.5f);
}

TEST_F (EndWithADialogE2e, TheAboutBoxIsClosedAndTheTypedLevelReachesTheFlash)
{
    plugged ("arx", name);
    open();
    typeLevel (4, -23.0f);
    openAboutBox();

    endTheSession();
    expectTheFlashToHold (4, -23.0f);
}

// The sessions folder cannot be made, so Load says so in a "Console settings" box; the guitar
// update's first question stands over the About box.
TEST_F (EndWithADialogE2e, AMessageBoxAndTheGuitarUpdatesQuestionAreAnsweredNo)
{
    const auto documents = juce::File (rig->homeDir()).getChildFile ("Documents");
    ASSERT_TRUE (documents.createDirectory());
    ASSERT_TRUE (documents.getChildFile ("ARX sessions").replaceWithText ("not a folder"));
    plugged ("arx", name);
    open();
    typeLevel (1, -9.5f);
    xdo ({ "windowfocus", "--sync", std::to_string (window.id) });
    xdo ({ "key", "ctrl+o" });
    WindowInfo box;
    ASSERT_TRUE (rig->waitForTitle ("Console settings", box)) << rig->consoleLog (console);

    endTheSession();
    expectTheFlashToHold (1, -9.5f);

    open();
    typeLevel (3, -31.0f);
    openAboutBox();
    ASSERT_TRUE (rig->clickInWindow ("About", updateGuitarX, updateGuitarY));
    ASSERT_TRUE (rig->waitForTitle ("Vantrel ARX", box)) << rig->consoleLog (console);

    endTheSession();
    expectTheFlashToHold (3, -31.0f);
    EXPECT_FALSE ((bool) rig->dump (name).json["guitar"]["firmware"]["present"]) << "the question was answered Yes";
}

// The update rewrites the firmware and erases the stored settings; the end comes half-way.
TEST_F (EndWithADialogE2e, AnUpdateAtTheStartRunsToItsEndBeforeTheProgramEnds)
{
    firmwareFiles ("5.2");
    plugged ("arx-old", name);
    ASSERT_TRUE (rig->fault (name, { "--latency", "2" }));
    console = launch();
    ASSERT_TRUE (rig->pressInWindow (name, "Return")) << rig->consoleLog (console); // "Yes"
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("1/2") > 0; }, 20000));

    endTheSession (60000);
    const auto d = rig->dump (name);
    EXPECT_EQ (d.json["firmware"]["inFlash"]["arxfpga"].toString(), "0x05020000") << "the update was cut short";
    EXPECT_TRUE ((bool) d.flash ("sessionBlank"));
}

// Over a window with a typed level, which the update's erase outdates.
TEST_F (EndWithADialogE2e, AnUpdateFromTheAboutBoxRunsToItsEndAndNothingIsWrittenOverItsErase)
{
    firmwareFiles ("5.3");
    plugged ("arx", name);
    open();
    typeLevel (0, -12.0f);
    openAboutBox();
    ASSERT_TRUE (rig->fault (name, { "--latency", "2" }));
    ASSERT_TRUE (rig->clickInWindow ("About", updateArxX, updateArxY));
    ASSERT_TRUE (rig->pressInWindow (name, "Return")) << rig->consoleLog (console); // "Yes"
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("1/2") > 0; }, 20000));

    endTheSession (60000);
    EXPECT_NE (rig->consoleLog (console).find ("Firmware - " + name + " - Flash update complete."), std::string::npos)
        << rig->consoleLog (console);
    EXPECT_TRUE ((bool) rig->dump (name).flash ("sessionBlank")) << "the session was written over the update's erase";
}

} // namespace
} // namespace arx::e2e
