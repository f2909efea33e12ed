#pragma once

// One end-to-end scene: a device lab daemon with its own device folder, consoles started
// against it with their own home and configuration folders, and what X shows of them.
// Everything it starts is stopped when it goes, also when the test fails half-way.

#include "e2e/harness/E2eProcess.h"
#include "e2e/harness/XProbe.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace arx::e2e
{

// One `arx-devsim dump` of a device.
struct DeviceDump
{
    juce::var json;

    bool isValid() const { return json.isObject(); }
    // Request counters: "category/command" of the device, sub-command numbers of the driver.
    int gwc (const juce::String& key) const;
    int driver (const juce::String& key) const;
    juce::var flash (const juce::Identifier& key) const;
    // A cell of one of the mixer's input-by-output tables ("monitorGain", "monitorMute", ...);
    // -1 when the dump has none.
    juce::int64 monitor (const char* table, int input, int output) const;
    // A cell of one of the per-channel tables ("playbackGain", "outputMute", ...); -1 when none.
    juce::int64 channel (const char* table, int index) const;
};

class ConsoleRig
{
public:
    // `name` names the log folder and the screenshot.
    explicit ConsoleRig (const std::string& name);
    ~ConsoleRig();

    ConsoleRig (const ConsoleRig&) = delete;
    ConsoleRig& operator= (const ConsoleRig&) = delete;

    // Starts `arx-devsim serve` and waits for its control socket.
    bool startLab (std::string& error);
    // Plugs a device; its unique name, or "" when the lab refused. Extra arguments go to
    // `arx-devsim plug` (e.g. "--blank-session").
    std::string plug (const std::string& profile = "arx", const std::string& uniqueName = {},
                      const std::vector<std::string>& extra = {});
    // `arx-devsim fault NAME ARGS...`; true when the lab took it.
    bool fault (const std::string& uniqueName, const std::vector<std::string>& args);
    bool unplug (const std::string& uniqueName);
    DeviceDump dump (const std::string& uniqueName);
    // `arx-devsim endpoint`: another program sets the level (option "--volume") or the mute
    // ("--mute") of the endpoint that carries the playback channel. The command's exit code.
    int endpoint (const std::string& uniqueName, int channel, const std::string& option, const std::string& value);

    // Starts one more `arx-console`; its index in consoles().
    int startConsole (std::string& error, const std::vector<std::string>& args = {});

    // From now on programs start from a copy in a folder of this rig's own, where the files a
    // program looks for next to itself (firmware images) can be put.
    bool useProgramCopy (std::string& error);
    const std::string& programDir() const noexcept { return program; }

    // `arx-devsim ARGS... --dir <this rig's devices>`.
    CommandResult labCommand (const std::vector<std::string>& args);

    // Waits for a viewable window titled exactly `title` that has stood still for a moment,
    // gives it the keyboard, presses `key` (e.g. "Return", "Escape") and waits for it to go.
    bool pressInWindow (const std::string& title, const std::string& key, int timeoutMs = 15000);
    // The same with a click of the left button at (x, y) within the window.
    bool clickInWindow (const std::string& title, int x, int y, int timeoutMs = 15000);
    // The window titled `title` once it has stood still for a moment.
    bool waitForTitle (const std::string& title, WindowInfo& info, int timeoutMs = 15000);
    E2eProcess& console (int index) { return *consoles.at ((size_t) index); }
    std::string consoleLog (int index) const; // its stderr (diagnostics with ARX_LOG=1)

    XProbe& x() { return *probe; }
    std::vector<WindowInfo> windowsOf (const std::string& uniqueName, bool viewableOnly = true);
    // Waits for exactly one viewable window of the device; false after `timeoutMs`.
    bool waitForWindow (const std::string& uniqueName, WindowInfo& info, int timeoutMs = 15000);
    bool waitForNoWindow (const std::string& uniqueName, int timeoutMs = 15000);
    // A window is shown first and placed after; waits (bounded) until it stands at (x, y) and
    // hands back where it stands in the end.
    WindowInfo settledAt (const WindowInfo& window, int x, int y, int timeoutMs = 3000);

    // Polls `condition` every `stepMs` until it holds or `timeoutMs` pass.
    static bool waitUntil (const std::function<bool()>& condition, int timeoutMs, int stepMs = 50);

    // A system tray on the display (Debian's trayer, an XEmbed tray at the screen's foot); false
    // when it did not take the tray selection, or another program holds it already.
    bool startTray();
    // Ends the tray as a crash or a restart of the panel would.
    void stopTray();
    // The console's icon once it is docked in the tray and shown.
    bool waitForTrayIcon (WindowInfo& icon, int timeoutMs = 10000);
    // Right-clicks the console's icon in the tray and picks the menu item `downs` presses of the
    // Down key from the top, as a user with the keyboard would. False when the icon or its
    // menu did not show up.
    bool chooseFromTrayMenu (int downs);

    // A private session bus (dbus-daemon) for the consoles started from now on; without it they
    // have none.
    bool startSessionBus();
    // A status notifier watcher and host on that bus (tests/e2e/notifier_host.py with `args`);
    // it prints one JSON line when it is up and one for each item it has read.
    bool startNotifierHost (const std::vector<std::string>& args = {});
    void stopNotifierHost();
    // The host's n-th JSON line once printed; an empty var after `timeoutMs`.
    juce::var notifierReport (int index, int timeoutMs = 15000);

    // xdotool with this rig's display, e.g. {"windowunmap", "1234"}.
    CommandResult xdotool (const std::vector<std::string>& args);
    // Saves the whole screen under build/e2e-screenshots/<name>.png; the rig takes one when it
    // goes unless the test took its own or called keepNoScreenshot().
    bool screenshot();
    // The screen's pixels in a rectangle, 3 bytes (R, G, B) each, row by row; empty on failure.
    std::string grab (int x, int y, int width, int height);
    void keepNoScreenshot() noexcept { shotTaken = true; }

    const std::string& deviceDir() const noexcept { return devices; }
    const std::string& homeDir() const noexcept { return home; }
    std::string logDir() const { return logs; }

    static std::string binDir();
    static std::string buildDir();
    static std::string sourceDir();

private:
    Environment consoleEnvironment() const;
    int startProgram (const std::string& program, const std::vector<std::string>& args, std::string& error);

    std::string name, work, devices, home, config, runtime, logs, program;
    std::unique_ptr<E2eProcess> lab;
    std::vector<std::unique_ptr<E2eProcess>> consoles;
    std::unique_ptr<XProbe> probe;
    std::unique_ptr<E2eProcess> tray, sessionBus, notifierHost;
    std::string busAddress;
    int notifierRuns = 0;
    bool shotTaken = false;
};

} // namespace arx::e2e
