// A console's changes reach the device's flash however the window or the program ends. The
// console's change here: the device's session area is erased (a new part, or a write-back cut
// short), so the console starts from its reset values, which differ from what the flash holds.

#include "e2e/ConsoleE2eTest.h"

#include <csignal>

namespace arx::e2e
{
namespace
{
// The session area holds a whole image with a matching CRC, written since the plug.
void expectWrittenSession (const DeviceDump& d)
{
    ASSERT_TRUE (d.isValid());
    EXPECT_FALSE ((bool) d.flash ("sessionBlank"));
    EXPECT_TRUE ((bool) d.flash ("sessionCrcValid"));
    EXPECT_GT ((int) d.flash ("sessionWrites"), 0);
    EXPECT_EQ ((int) d.flash ("lockValue"), 0);
}

class WriteBackE2eTest : public ConsoleE2eTest
{
protected:
    // A device whose session area is erased, answering slowly enough that a write-back takes
    // a while.
    std::string blankDevice (const std::string& name)
    {
        const auto unique = rig->plug ("arx", name, { "--blank-session" });
        EXPECT_EQ (unique, name);
        EXPECT_TRUE ((bool) rig->dump (name).flash ("sessionBlank"));
        EXPECT_TRUE (rig->fault (name, { "--latency", "4" }));
        return unique;
    }

    static bool readInvalidSession (const std::string& log, const std::string& name)
    {
        return log.find ("session read for " + name + " gave 1") != std::string::npos;
    }

    // A new console finds every session valid and has nothing to write back.
    void expectANewConsoleAcceptsTheSessions (const std::vector<std::string>& names)
    {
        std::vector<int> erases;
        for (auto& name : names)
            erases.push_back ((int) rig->dump (name).flash ("eraseCount"));
        const int c = launch();
        for (auto& name : names)
        {
            WindowInfo window;
            ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
            ASSERT_TRUE (rig->x().requestClose (window.id));
        }
        ASSERT_TRUE (rig->console (c).waitForExit (20000));
        for (size_t i = 0; i < names.size(); ++i)
        {
            EXPECT_FALSE (readInvalidSession (rig->consoleLog (c), names[i])) << rig->consoleLog (c);
            EXPECT_EQ ((int) rig->dump (names[i]).flash ("eraseCount"), erases[i]);
        }
    }
};

TEST_F (WriteBackE2eTest, ClosingTheWindowAndQuittingAtOnceStillWritesTheSession)
{
    const auto name = blankDevice ("Fresh-1");
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    EXPECT_TRUE (readInvalidSession (rig->consoleLog (c), name));

    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("1/0") > 0; }, 10000));
    ASSERT_EQ (::kill (rig->console (c).pid(), SIGTERM), 0); // quit in the middle of it

    ASSERT_TRUE (rig->console (c).waitForExit (30000)) << "the program must end once the write-back is done";
    EXPECT_EQ (rig->console (c).exitCode(), 0) << rig->consoleLog (c);
    expectWrittenSession (rig->dump (name));
    expectANewConsoleAcceptsTheSessions ({ name });
}

TEST_F (WriteBackE2eTest, TheEndOfTheSessionWritesEveryOpenWindowsSession)
{
    const auto first = blankDevice ("Fresh-1");
    const auto second = blankDevice ("Fresh-2");
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (first, window)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForWindow (second, window)) << rig->consoleLog (c);

    ASSERT_EQ (::kill (rig->console (c).pid(), SIGTERM), 0);
    ASSERT_TRUE (rig->console (c).waitForExit (30000));
    EXPECT_EQ (rig->console (c).exitCode(), 0) << rig->consoleLog (c);
    expectWrittenSession (rig->dump (first));
    expectWrittenSession (rig->dump (second));
    // The preferences went first, at once.
    EXPECT_TRUE (juce::File (rig->homeDir()).getChildFile (".config/Vantrel ARX Console/Fresh-1.properties").existsAsFile());
    expectANewConsoleAcceptsTheSessions ({ first, second });
}

TEST_F (WriteBackE2eTest, HidingAllWindowsWritesTheSessionAndAWindowShownAgainReadsIt)
{
    ASSERT_TRUE (rig->startTray());
    const auto name = blankDevice ("Fresh-1");
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);

    // The menu: the device, then "Show all windows", "Hide all windows", "Cascade", "Exit".
    ASSERT_TRUE (rig->chooseFromTrayMenu (3)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForNoWindow (name));
    ASSERT_TRUE (ConsoleRig::waitUntil (
        [&] {
            const auto d = rig->dump (name);
            return (bool) d.flash ("sessionCrcValid") && (int) d.flash ("lockValue") == 0;
        },
        20000));
    EXPECT_TRUE (rig->console (c).isRunning()) << "hiding every window must not end the program";
    expectWrittenSession (rig->dump (name));
    const auto erases = (int) rig->dump (name).flash ("eraseCount");

    ASSERT_TRUE (rig->chooseFromTrayMenu (2)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    const auto log = rig->consoleLog (c);
    EXPECT_EQ (log.find ("session read for " + name), log.rfind ("session read for " + name))
        << "the window shown again must read the image just written: " << log;

    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (rig->console (c).waitForExit (20000));
    EXPECT_EQ ((int) rig->dump (name).flash ("eraseCount"), erases) << "nothing changed since: nothing to write";
}

TEST_F (WriteBackE2eTest, UnplugDuringTheWriteBackNeitherHangsNorCrashesAndTheNextPlugOpensAConsole)
{
    const auto name = blankDevice ("Leaving-1");
    const auto stays = plugged ("arx", "Staying-1");
    ASSERT_TRUE (rig->fault (name, { "--latency", "15" }));
    const int c = launch();
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForWindow (stays, window)) << rig->consoleLog (c);
    ASSERT_TRUE (rig->waitForWindow (name, window));

    ASSERT_TRUE (rig->x().requestClose (window.id));
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("1/2") > 0; }, 15000));
    ASSERT_TRUE (rig->unplug (name));

    EXPECT_TRUE (rig->waitForNoWindow (name));
    EXPECT_FALSE (rig->console (c).waitForExit (1000)) << rig->consoleLog (c);
    EXPECT_EQ (rig->windowsOf (stays).size(), 1u);

    ASSERT_EQ (rig->plug ("arx", name), name);
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (c);
    EXPECT_TRUE (rig->console (c).isRunning());
}

} // namespace
} // namespace arx::e2e
