// The web remote in a real browser (tests/browser/web_remote.mjs in the system's chromium)
// against a real console and a separate lab: a touch drag and a mouse click reach the device, a
// second page follows, a click in the console window shows on the page, the page's undo takes it
// back, and the player's view shows one pair only. The phone-sized screenshot lands in
// build/e2e-screenshots/web-remote-phone.png.

#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{

int freePort()
{
    juce::StreamingSocket probe;
    if (! probe.createListener (0, "127.0.0.1"))
        return 0;
    return probe.getBoundPort();
}

class WebRemoteE2e : public ConsoleE2eTest
{
};

TEST_F (WebRemoteE2e, APhonePageAndTheWindowEditTheSameMix)
{
    const juce::File browserDir (juce::String (ARX_SOURCE_DIR) + "/tests/browser");
    ASSERT_TRUE (browserDir.getChildFile ("node_modules/puppeteer-core").isDirectory())
        << "run `npm ci` in tests/browser first (scripts/check does)";

    const auto name = plugged();
    const int port = freePort();
    ASSERT_GT (port, 0);
    const int console = launch ({ "--web", std::to_string (port) });
    WindowInfo window;
    ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);

    const auto signals = juce::File (rig->logDir()).getChildFile ("signals");
    ASSERT_TRUE (signals.createDirectory());
    const auto shots = juce::File (ConsoleRig::buildDir()).getChildFile ("e2e-screenshots");
    shots.createDirectory();

    E2eProcess browser;
    std::string error;
    const auto out = rig->logDir() + "/browser.out", err = rig->logDir() + "/browser.err";
    ASSERT_TRUE (browser.start ({ "/usr/bin/node", browserDir.getChildFile ("web_remote.mjs").getFullPathName().toStdString() },
                                { { "ARX_WEB_URL", "http://127.0.0.1:" + std::to_string (port) + "/" },
                                  { "ARX_DEVSIM", ConsoleRig::binDir() + "/arx-devsim" },
                                  { "ARX_DEVICE_DIR", rig->deviceDir() },
                                  { "ARX_DEVICE", name },
                                  { "ARX_SIGNALS", signals.getFullPathName().toStdString() },
                                  { "ARX_SHOT", shots.getChildFile ("web-remote-phone.png").getFullPathName().toStdString() } },
                                out, err, error))
        << error;
    const auto browserLog = [&] { return juce::File (out).loadFileAsString() + juce::File (err).loadFileAsString(); };

    // The page waits for a click in the window: input 7's mute on the first pair.
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return signals.getChildFile ("window").exists() || ! browser.isRunning(); }, 60000))
        << browserLog();
    ASSERT_TRUE (browser.isRunning()) << browserLog();
    const int x = window.x + 6 * 54 + 30, y = window.y + 30 + 41 + 172;
    ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (x), std::to_string (y), "click", "1" }).exitCode, 0);
    ASSERT_TRUE (signals.getChildFile ("window-done").create());

    ASSERT_TRUE (browser.waitForExit (60000)) << browserLog();
    EXPECT_EQ (browser.exitCode(), 0) << browserLog();
    EXPECT_TRUE (rig->console (console).isRunning()) << rig->consoleLog (console);
}

} // namespace
} // namespace arx::e2e
