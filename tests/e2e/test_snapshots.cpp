// Snapshots from the keyboard, in a real window against a separate device lab: a stored mix comes
// back on the device, its recall is one undo step, and the slot outlives the program.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{

class SnapshotsE2e : public ConsoleE2eTest
{
protected:
    void open()
    {
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void press (const std::string& key)
    {
        ASSERT_EQ (rig->xdotool ({ "windowfocus", "--sync", std::to_string (window.id) }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "key", key }).exitCode, 0);
    }

    // Types a level into input 3's value box on the first output pair.
    void typeInput3Level (const std::string& text)
    {
        const int boxX = window.x + 2 * 54 + 29, boxY = window.y + 30 + 41 + 421;
        // From elsewhere: a pointer already there would never be seen to arrive.
        ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (boxX + 100), std::to_string (boxY - 100) }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (boxX), std::to_string (boxY), "click", "1" }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "type", "--delay", "30", "--", text }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "key", "Return" }).exitCode, 0);
    }

    bool deviceHolds (float db)
    {
        return ConsoleRig::waitUntil ([&] { return rig->dump (name).monitor ("monitorGain", 2, 0) == gainToCode (db); },
                                      5000, 100);
    }

    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (SnapshotsE2e, AStoredMixComesBackFromItsKeyAsOneUndoStepAndAfterARestart)
{
    name = plugged();
    open();

    typeInput3Level ("-12.5");
    ASSERT_TRUE (deviceHolds (-12.5f)) << "the typed level did not reach the device";
    press ("shift+F3");
    typeInput3Level ("-30");
    ASSERT_TRUE (deviceHolds (-30.0f));

    press ("F3");
    EXPECT_TRUE (deviceHolds (-12.5f)) << "F3 did not recall the stored level";
    press ("ctrl+z");
    EXPECT_TRUE (deviceHolds (-30.0f)) << "undo did not take the recall back in one step";

    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (rig->console (console).waitForExit (60000)); // the write-back, slow under the sanitizers
    open();
    ASSERT_TRUE (deviceHolds (-30.0f)) << "the session written at close did not hold the undone level";
    press ("F3");
    EXPECT_TRUE (deviceHolds (-12.5f)) << "the slot did not survive the restart";
    // An empty slot recalls nothing and leaves no step: the undo after it takes back the level
    // typed before it.
    typeInput3Level ("-20");
    ASSERT_TRUE (deviceHolds (-20.0f));
    press ("F5");
    press ("ctrl+z");
    EXPECT_TRUE (deviceHolds (-12.5f));
}

} // namespace
} // namespace arx::e2e
