#pragma once

#include "mixer/EditPath.h"
#include "remote/RemoteMessage.h"
#include "remote/WebServer.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <memory>

namespace arx
{

class ConsoleApp;
class ConsoleContent;
class ConsoleWindow;

// The web remote: the pages' side of the console. It answers each page's requests from the
// windows it finds (a device without a window on the screen is unavailable), makes every change
// through the window's edit path, and tells each page what changed there, whoever changed it,
// and the meters at the poll rate while the page shows them.
//
// It is switched on by the application preferences ("web remote", its port, "allow other
// computers") or for one run by `--web PORT`. The server starts again when they change.
//
// Threads: message thread. The server's thread reaches it only through callAsync.
class WebRemote : private WebServer::Events
{
public:
    static constexpr int defaultPort = 8400;

    struct Preferences
    {
        bool on = false;
        int port = defaultPort;
        bool allowOthers = false;
    };

    // `commandLinePort` > 0 switches the server on for this run whatever the preferences say.
    WebRemote (ConsoleApp& app, const juce::File& preferencesFolder, int commandLinePort);
    ~WebRemote() override;

    // The one the application runs, or null.
    static WebRemote* current() noexcept;
    // The port of "--web PORT" in the command line; 0 without one, -1 when PORT is no port.
    static int portFromCommandLine (const juce::String& commandLine);

    Preferences getPreferences() const noexcept { return prefs; }
    void setPreferences (const Preferences& p);

    bool isRunning() const noexcept { return server != nullptr; }
    int runningPort() const noexcept { return server != nullptr ? server->port() : 0; }
    // The current pairing code; empty while the server is off.
    juce::String pairingCode() const;
    // Why the server is off although asked for (port taken); empty otherwise.
    const juce::String& getProblem() const noexcept { return problem; }

    // Tells its listeners when anything shown of the server changed (started, stopped, new code).
    juce::ChangeBroadcaster changes;

    // Number of pages connected.
    int pageCount() const noexcept { return (int) pages.size(); }

private:
    struct Page;
    class DeviceWatch;

    // WebServer::Events (server thread)
    void opened (int connection) override;
    void received (int connection, std::string text) override;
    void closed (int connection) override;

    void restart();
    void handle (int connection, const std::string& text);
    void pageClosed (int connection);
    void sendDeviceList (int connection);
    void sendMix (int connection, ConsoleWindow& window);
    void applySet (int connection, ConsoleWindow& window, const RemoteRequest& r);
    void send (int connection, const juce::var& message);
    void sendError (int connection, const juce::String& text);

    ConsoleWindow* windowOf (const juce::String& device) const;
    DeviceWatch& watch (ConsoleWindow& window);
    void mixChanged (DeviceWatch& watch, const std::vector<MixChange>& changed);
    void polled (DeviceWatch& watch);
    void dropUnusedWatches();

    ConsoleApp& app;
    const juce::File preferencesFolder; // empty: the console's own
    Preferences prefs;
    int commandLinePort = 0;
    juce::String problem;
    std::unique_ptr<WebServer> server;
    std::map<int, Page> pages;
    std::map<juce::String, std::unique_ptr<DeviceWatch>> watches;

    JUCE_DECLARE_WEAK_REFERENCEABLE (WebRemote)
    JUCE_DECLARE_NON_COPYABLE (WebRemote)
};

} // namespace arx
