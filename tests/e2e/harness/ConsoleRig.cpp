#include "e2e/harness/ConsoleRig.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace arx::e2e
{

int DeviceDump::gwc (const juce::String& key) const
{
    return (int) json["requests"]["gwc"][juce::Identifier (key)];
}

int DeviceDump::driver (const juce::String& key) const
{
    return (int) json["requests"]["driver"][juce::Identifier (key)];
}

juce::var DeviceDump::flash (const juce::Identifier& key) const
{
    return json["flash"][key];
}

juce::int64 DeviceDump::monitor (const char* table, int input, int output) const
{
    const auto& cell = json["mixer"][table][input][output];
    return cell.isVoid() ? -1 : (juce::int64) cell;
}

juce::int64 DeviceDump::channel (const char* table, int index) const
{
    const auto& cell = json["mixer"][table][index];
    return cell.isVoid() ? -1 : (juce::int64) cell;
}

std::string ConsoleRig::binDir()
{
    return ARX_E2E_BIN_DIR;
}

std::string ConsoleRig::buildDir()
{
    return ARX_E2E_BUILD_DIR;
}

std::string ConsoleRig::sourceDir()
{
    return ARX_E2E_SOURCE_DIR;
}

ConsoleRig::ConsoleRig (const std::string& rigName) : name (rigName)
{
    // The device folder holds Unix sockets, whose paths must stay short: keep it under /tmp.
    char pattern[] = "/tmp/arx-e2e-XXXXXX";
    if (::mkdtemp (pattern) != nullptr)
        work = pattern;
    devices = work + "/dev";
    home = work + "/home";
    config = work + "/home/.config";
    runtime = work + "/run";
    juce::File (devices).createDirectory();
    juce::File (config).createDirectory();
    juce::File (runtime).createDirectory();
    ::chmod (runtime.c_str(), 0700);

    auto logFolder = juce::File (buildDir()).getChildFile ("e2e-logs").getChildFile (name);
    logFolder.deleteRecursively();
    logFolder.createDirectory();
    logs = logFolder.getFullPathName().toStdString();

    probe = std::make_unique<XProbe> (XServer::displayName());
}

ConsoleRig::~ConsoleRig()
{
    if (! shotTaken)
        screenshot();
    for (auto& c : consoles)
        c->stop (3000);
    tray.reset();
    notifierHost.reset();
    sessionBus.reset();
    if (lab != nullptr)
        lab->stop (3000);
    probe.reset();
    if (! work.empty())
        juce::File (work).deleteRecursively();
}

bool ConsoleRig::waitUntil (const std::function<bool()>& condition, int timeoutMs, int stepMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);
    for (;;)
    {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (stepMs));
    }
}

CommandResult ConsoleRig::labCommand (const std::vector<std::string>& args)
{
    std::vector<std::string> argv { binDir() + "/arx-devsim" };
    argv.push_back (args.at (0));
    argv.push_back ("--dir");
    argv.push_back (devices);
    argv.insert (argv.end(), args.begin() + 1, args.end());
    return E2eProcess::run (argv, {});
}

bool ConsoleRig::startLab (std::string& error)
{
    lab = std::make_unique<E2eProcess>();
    if (! lab->start ({ binDir() + "/arx-devsim", "serve", "--dir", devices }, {}, logs + "/devsim.out",
                      logs + "/devsim.err", error))
        return false;
    const auto control = juce::File (devices).getChildFile (".arx-devsim.ctl");
    const bool up = waitUntil ([&] { return control.exists() || ! lab->isRunning(); }, 10000)
                    && lab->isRunning();
    if (! up)
        error = "arx-devsim serve did not come up (see " + logs + "/devsim.err)";
    return up;
}

std::string ConsoleRig::plug (const std::string& profile, const std::string& uniqueName,
                              const std::vector<std::string>& extra)
{
    std::vector<std::string> args { "plug", "--profile", profile };
    if (! uniqueName.empty())
    {
        args.push_back ("--name");
        args.push_back (uniqueName);
    }
    args.insert (args.end(), extra.begin(), extra.end());
    const auto r = labCommand (args);
    return r.exitCode == 0 ? juce::String (r.out).trim().toStdString() : std::string();
}

bool ConsoleRig::fault (const std::string& uniqueName, const std::vector<std::string>& args)
{
    std::vector<std::string> all { "fault", uniqueName };
    all.insert (all.end(), args.begin(), args.end());
    return labCommand (all).exitCode == 0;
}

bool ConsoleRig::unplug (const std::string& uniqueName)
{
    return labCommand ({ "unplug", uniqueName }).exitCode == 0;
}

int ConsoleRig::endpoint (const std::string& uniqueName, int channel, const std::string& option, const std::string& value)
{
    return labCommand ({ "endpoint", uniqueName, "--channel", std::to_string (channel), option, value }).exitCode;
}

DeviceDump ConsoleRig::dump (const std::string& uniqueName)
{
    const auto r = labCommand ({ "dump", uniqueName });
    DeviceDump d;
    if (r.exitCode == 0)
        d.json = juce::JSON::parse (juce::String (r.out));
    return d;
}

Environment ConsoleRig::consoleEnvironment() const
{
    return { { "DISPLAY", XServer::displayName() },
             { "ARX_DEVICE_DIR", devices },
             { "HOME", home },
             { "XDG_CONFIG_HOME", config },
             // The single-instance lock lives there: a console running elsewhere on this
             // machine must not count as a second instance of ours.
             { "XDG_RUNTIME_DIR", runtime },
             { "ARX_LOG", "1" },
             // No session bus of the machine's: only the one a test starts.
             { "DBUS_SESSION_BUS_ADDRESS", busAddress } };
}

int ConsoleRig::startConsole (std::string& error, const std::vector<std::string>& args)
{
    return startProgram ("arx-console", args, error);
}

int ConsoleRig::startProgram (const std::string& programName, const std::vector<std::string>& args, std::string& error)
{
    std::vector<std::string> argv { (program.empty() ? binDir() : program) + "/" + programName };
    argv.insert (argv.end(), args.begin(), args.end());
    const auto index = (int) consoles.size();
    const auto prefix = logs + "/console" + std::to_string (index);
    auto process = std::make_unique<E2eProcess>();
    if (! process->start (argv, consoleEnvironment(), prefix + ".out", prefix + ".err", error))
        return -1;
    consoles.push_back (std::move (process));
    return index;
}

bool ConsoleRig::useProgramCopy (std::string& error)
{
    const auto folder = juce::File (work).getChildFile ("program");
    if (! folder.createDirectory())
    {
        error = "cannot make " + folder.getFullPathName().toStdString();
        return false;
    }
    const auto source = juce::File (binDir()).getChildFile ("arx-console");
    const auto target = folder.getChildFile ("arx-console");
    if (source.existsAsFile() && ! (source.copyFileTo (target) && target.setExecutePermission (true)))
    {
        error = "cannot copy " + source.getFullPathName().toStdString();
        return false;
    }
    program = folder.getFullPathName().toStdString();
    return true;
}

std::string ConsoleRig::consoleLog (int index) const
{
    return juce::File (logs + "/console" + std::to_string (index) + ".err").loadFileAsString().toStdString();
}

std::vector<WindowInfo> ConsoleRig::windowsOf (const std::string& uniqueName, bool viewableOnly)
{
    return probe->findWindows (uniqueName + " Console", viewableOnly);
}

bool ConsoleRig::waitForWindow (const std::string& uniqueName, WindowInfo& info, int timeoutMs)
{
    return waitForTitle (uniqueName + " Console", info, timeoutMs);
}

bool ConsoleRig::waitForTitle (const std::string& title, WindowInfo& info, int timeoutMs)
{
    // The window may be shown before it is finished (a native title bar makes JUCE create its
    // X window anew): only a window that stays the same for a while is the one to talk to.
    constexpr int stableMs = 400;
    unsigned long candidate = 0;
    auto since = std::chrono::steady_clock::now();
    return waitUntil (
        [&] {
            const auto found = probe->findWindows (title);
            const auto now = std::chrono::steady_clock::now();
            if (found.size() != 1)
            {
                candidate = 0;
                return false;
            }
            if (found.front().id != candidate)
            {
                candidate = found.front().id;
                since = now;
            }
            info = found.front();
            return now - since >= std::chrono::milliseconds (stableMs);
        },
        timeoutMs, 50);
}

bool ConsoleRig::pressInWindow (const std::string& title, const std::string& key, int timeoutMs)
{
    WindowInfo window;
    if (! waitForTitle (title, window, timeoutMs))
        return false;
    const auto id = std::to_string (window.id);
    if (xdotool ({ "windowfocus", "--sync", id }).exitCode != 0 || xdotool ({ "key", key }).exitCode != 0)
        return false;
    return waitUntil ([&] { WindowInfo now; return ! probe->describe (window.id, now) || ! now.viewable; }, 10000);
}

bool ConsoleRig::clickInWindow (const std::string& title, int x, int y, int timeoutMs)
{
    WindowInfo window;
    if (! waitForTitle (title, window, timeoutMs))
        return false;
    const auto id = std::to_string (window.id);
    return xdotool ({ "mousemove", "--window", id, "--sync", std::to_string (x), std::to_string (y) }).exitCode == 0
           && xdotool ({ "click", "1" }).exitCode == 0;
}

bool ConsoleRig::waitForNoWindow (const std::string& uniqueName, int timeoutMs)
{
    return waitUntil ([&] { return windowsOf (uniqueName).empty(); }, timeoutMs, 100);
}

WindowInfo ConsoleRig::settledAt (const WindowInfo& window, int x, int y, int timeoutMs)
{
    WindowInfo now = window;
    waitUntil ([&] { return probe->describe (window.id, now) && now.x == x && now.y == y; }, timeoutMs);
    return now;
}

bool ConsoleRig::startTray()
{
    if (probe->selectionOwner ("_NET_SYSTEM_TRAY_S0") != 0)
        return false;
    tray = std::make_unique<E2eProcess>();
    std::string error;
    const std::vector<std::string> argv { "/usr/bin/trayer", "--edge", "bottom", "--align", "left", "--widthtype",
                                          "request", "--height", "24", "--SetDockType", "false", "--expand", "false" };
    if (! tray->start (argv, { { "DISPLAY", XServer::displayName() } }, logs + "/trayer.out", logs + "/trayer.err", error))
        return false;
    return waitUntil ([this] { return probe->selectionOwner ("_NET_SYSTEM_TRAY_S0") != 0 || ! tray->isRunning(); }, 10000)
           && tray->isRunning();
}

void ConsoleRig::stopTray()
{
    if (tray != nullptr)
        tray->stop (3000);
    tray.reset();
}

bool ConsoleRig::waitForTrayIcon (WindowInfo& icon, int timeoutMs)
{
    // The icon's window sits in the tray's own windows, a few levels down.
    return waitUntil (
        [&] {
            const auto found = probe->findWindows ("tray icon", true, 8);
            if (found.size() != 1 || found[0].width <= 1)
                return false;
            icon = found[0];
            return true;
        },
        timeoutMs);
}

bool ConsoleRig::chooseFromTrayMenu (int downs)
{
    WindowInfo icon;
    if (tray == nullptr || ! waitForTrayIcon (icon))
        return false;
    const int x = icon.x + icon.width / 2, y = icon.y + icon.height / 2;
    // A menu chosen from a moment ago may still be on its way out.
    const auto menuShown = [this] { return ! probe->findWindows ("menu").empty(); };
    if (! waitUntil ([&] { return ! menuShown(); }, 5000))
        return false;
    // The pointer comes from elsewhere, as a user's does: a click where it already rests may
    // count for nothing. One click must do: a click left waiting in the console's X queue once
    // took a second one to come through.
    const bool opened =
        xdotool ({ "mousemove", "--sync", std::to_string (x + 200), std::to_string (y - 200) }).exitCode == 0
        && xdotool ({ "mousemove", "--sync", std::to_string (x), std::to_string (y), "click", "3" }).exitCode == 0
        && waitUntil (menuShown, 5000);
    if (! opened)
        return false;

    // The menu itself takes no keys: they reach it through the icon, whose menu is modal.
    std::vector<std::string> keys { "key", "--window", std::to_string (icon.id) };
    for (int i = 0; i < downs; ++i)
        keys.push_back ("Down");
    keys.push_back ("Return");
    return xdotool (keys).exitCode == 0;
}

bool ConsoleRig::startSessionBus()
{
    const auto socket = work + "/bus";
    sessionBus = std::make_unique<E2eProcess>();
    std::string error;
    if (! sessionBus->start ({ "/usr/bin/dbus-daemon", "--session", "--nofork", "--address=unix:path=" + socket }, {},
                             logs + "/dbus.out", logs + "/dbus.err", error))
        return false;
    busAddress = "unix:path=" + socket;
    return waitUntil ([&] { return juce::File (socket).exists() || ! sessionBus->isRunning(); }, 10000)
           && sessionBus->isRunning();
}

bool ConsoleRig::startNotifierHost (const std::vector<std::string>& args)
{
    std::vector<std::string> argv { "/usr/bin/python3", sourceDir() + "/tests/e2e/notifier_host.py" };
    argv.insert (argv.end(), args.begin(), args.end());
    notifierHost = std::make_unique<E2eProcess>();
    std::string error;
    const auto prefix = logs + "/notifier" + std::to_string (++notifierRuns);
    juce::File (prefix + ".out").deleteFile();
    if (! notifierHost->start (argv, { { "DBUS_SESSION_BUS_ADDRESS", busAddress } }, prefix + ".out", prefix + ".err", error))
        return false;
    return notifierReport (0).isObject();
}

void ConsoleRig::stopNotifierHost()
{
    if (notifierHost != nullptr)
        notifierHost->stop (3000);
    notifierHost.reset();
}

juce::var ConsoleRig::notifierReport (int index, int timeoutMs)
{
    const juce::File out (logs + "/notifier" + std::to_string (notifierRuns) + ".out");
    juce::var found;
    waitUntil (
        [&] {
            juce::StringArray lines;
            lines.addLines (out.loadFileAsString());
            lines.removeEmptyStrings();
            if (lines.size() <= index)
                return false;
            found = juce::JSON::parse (lines[index]);
            return true;
        },
        timeoutMs);
    return found;
}

CommandResult ConsoleRig::xdotool (const std::vector<std::string>& args)
{
    std::vector<std::string> argv { "/usr/bin/xdotool" };
    argv.insert (argv.end(), args.begin(), args.end());
    return E2eProcess::run (argv, { { "DISPLAY", XServer::displayName() } });
}

bool ConsoleRig::screenshot()
{
    auto folder = juce::File (buildDir()).getChildFile ("e2e-screenshots");
    folder.createDirectory();
    const auto target = folder.getChildFile (name + ".png").getFullPathName().toStdString();
    const auto r = E2eProcess::run ({ "/bin/sh", "-c", "xwd -root -silent | convert xwd:- png:\"$0\"", target },
                                    { { "DISPLAY", XServer::displayName() } });
    shotTaken = r.exitCode == 0;
    return shotTaken;
}

std::string ConsoleRig::grab (int x, int y, int width, int height)
{
    const auto crop = std::to_string (width) + "x" + std::to_string (height) + "+" + std::to_string (x) + "+"
                      + std::to_string (y);
    const auto r = E2eProcess::run ({ "/bin/sh", "-c", "xwd -root -silent | convert xwd:- -crop \"$0\" -depth 8 rgb:-", crop },
                                    { { "DISPLAY", XServer::displayName() } });
    const auto expected = (size_t) width * (size_t) height * 3;
    return r.exitCode == 0 && r.out.size() == expected ? r.out : std::string();
}

} // namespace arx::e2e
