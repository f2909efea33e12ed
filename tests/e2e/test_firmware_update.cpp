// The firmware check at start and the flash update it leads to, against a separate device lab:
// the question, the progress window, the final message, and what reached the device's flash.

#include "e2e/ConsoleE2eTest.h"

#include <iostream>

namespace arx::e2e
{
namespace
{
class FirmwareUpdateTest : public ConsoleE2eTest
{
protected:
    // The console starts from a folder that holds the lab's images of `version`.
    void withImages (const std::string& version = "5.2")
    {
        std::string error;
        ASSERT_TRUE (rig->useProgramCopy (error)) << error;
        const auto r = rig->labCommand ({ "firmware", "--out", rig->programDir(), "--version", version });
        ASSERT_EQ (r.exitCode, 0) << r.err;
    }

    int flashRequests (const DeviceDump& d) { return d.gwc ("1/0") + d.gwc ("1/1") + d.gwc ("1/2"); }
};

TEST_F (FirmwareUpdateTest, AnOutOfDateDeviceIsUpdatedAtStartAndOpensNormallyAfterAPowerCycle)
{
    withImages();
    const auto name = plugged ("arx-old", "Old-1");
    const int c = launch();

    // "Yes" to the question, then the final message once the flash thread is done.
    ASSERT_TRUE (rig->pressInWindow (name, "Return")) << rig->consoleLog (c);
    EXPECT_TRUE (rig->windowsOf (name).empty()) << "no console window while the update runs";
    ASSERT_TRUE (rig->pressInWindow (name, "Return", 120000)) << rig->consoleLog (c);
    EXPECT_NE (rig->consoleLog (c).find ("Firmware - Old-1 - Flash update complete."), std::string::npos);

    const auto after = rig->dump (name);
    const auto firmware = after.json["firmware"];
    EXPECT_EQ (firmware["inFlash"]["arxarm"].toString(), "0x05020000");
    EXPECT_EQ (firmware["inFlash"]["arxfpga"].toString(), "0x05020000");
    EXPECT_TRUE ((bool) after.flash ("sessionBlank")) << "the stored settings are erased";
    EXPECT_EQ ((int) after.flash ("refusedWhileBusy"), 0) << "every command waited for the flash to be ready";
    EXPECT_EQ (firmware["description"]["arm"].toString(), "0x05010000") << "until the device powers up again";
    EXPECT_TRUE (rig->windowsOf (name).empty()) << "the device needs its power cycle first";
    EXPECT_TRUE (rig->console (c).isRunning());

    const int writes = after.gwc ("1/2");
    std::cout << "[ figures ] two-image update over the device bus: " << after.gwc ("1/0") << " erases, " << writes
              << " writes, " << after.gwc ("1/1") << " reads, " << after.gwc ("1/3") << " status polls, "
              << after.gwc ("1/5") << " lock commands, " << after.gwc ("1/4") << " session base; "
              << flashRequests (after) + after.gwc ("1/3") + after.gwc ("1/5") + after.gwc ("1/4")
              << " flash transactions against " << writes + 2 << " for the images' data (writes and sector erases)\n";

    // Plugged in again, the device reports the new firmware: no question, the console opens.
    ASSERT_EQ (rig->labCommand ({ "power-cycle", name }).exitCode, 0);
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    EXPECT_EQ (rig->dump (name).json["firmware"]["description"]["arm"].toString(), "0x05020000");
    EXPECT_TRUE (rig->x().findWindows (name).empty()) << "no question for an updated device";
}

TEST_F (FirmwareUpdateTest, ADeclinedUpdateOpensNoWindowWhileCurrentDevicesOpen)
{
    withImages();
    const auto current = plugged ("arx", "Now-1");
    const auto old = plugged ("arx-old", "Old-2");
    const int c = launch();

    ASSERT_TRUE (rig->pressInWindow (old, "Escape")) << rig->consoleLog (c);
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (current, window)) << rig->consoleLog (c);
    EXPECT_TRUE (rig->windowsOf (old).empty());
    EXPECT_EQ (flashRequests (rig->dump (old)), 0);
    EXPECT_TRUE (rig->console (c).isRunning());
}

TEST_F (FirmwareUpdateTest, AForcedUpdateWithItsSecondFileMissingFlashesNothing)
{
    withImages();
    ASSERT_TRUE (juce::File (rig->programDir()).getChildFile ("arxfpga.dat").deleteFile());
    const auto name = plugged ("arx", "Now-2");
    const int c = launch ({ "-forceupdate" });

    // Asked although current; "Yes"; the missing file is reported; nothing touches the flash.
    ASSERT_TRUE (rig->pressInWindow (name, "Return")) << rig->consoleLog (c);
    ASSERT_TRUE (rig->pressInWindow (name, "Return")) << rig->consoleLog (c);
    EXPECT_EQ (flashRequests (rig->dump (name)), 0);
    EXPECT_NE (rig->consoleLog (c).find ("Firmware - Now-2 - no file " + rig->programDir() + "/arxfpga.dat"), std::string::npos);
    EXPECT_TRUE (rig->windowsOf (name).empty()) << "a forced check that asked opens no window";
    EXPECT_TRUE (rig->console (c).isRunning());
}

} // namespace
} // namespace arx::e2e
