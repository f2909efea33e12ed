// Remote control of a real console over OSC against a separate device lab, with clients we did
// not write (liblo's oscsend and oscdump): a level sent reaches the device and shows on the
// window's fader exactly as the same level typed there; a level typed in the window reaches a
// subscriber, and the lab's meters reach a subscriber that asked for them and no other; a query
// is answered to the sender; undo works from the remote; and a client on another address of
// this machine is not heard while other computers are not allowed.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

#include <algorithm>
#include <cstring>

namespace arx::e2e
{
namespace
{

constexpr int playX = 13 * 54, outX = playX + 108, columnY = 30 + 137, stripWidth = 54;

int freeUdpPort()
{
    juce::DatagramSocket probe;
    return probe.bindToPort (0, "127.0.0.1") ? probe.getBoundPort() : -1;
}

// One OSC message with no arguments, laid out by hand (address and an empty type tag string).
juce::MemoryBlock queryPacket (const std::string& address)
{
    juce::MemoryBlock block;
    const auto pad = [&block] (const std::string& text) {
        block.append (text.c_str(), text.size());
        const char zeros[4] {};
        block.append (zeros, 4 - text.size() % 4);
    };
    pad (address);
    pad (",");
    return block;
}

// The messages to `address` that oscdump wrote to `file`, each as its float arguments.
std::vector<std::vector<float>> dumped (const std::string& file, const juce::String& address)
{
    std::vector<std::vector<float>> messages;
    juce::StringArray lines;
    lines.addLines (juce::File (file).loadFileAsString());
    for (const auto& line : lines)
    {
        // "TIMETAG ADDRESS TYPES VALUE...": a line still being written has fewer values than types.
        const auto words = juce::StringArray::fromTokens (line, " ", {});
        const int at = words.indexOf (address);
        if (at < 0 || words.size() != at + 2 + words[at + 1].length())
            continue;
        std::vector<float> values;
        for (int i = at + 2; i < words.size(); ++i)
            values.push_back (words[i].getFloatValue());
        messages.push_back (values);
    }
    return messages;
}

// Whether any of `messages` passes `test`.
template <typename Test>
bool anyOf (const std::vector<std::vector<float>>& messages, Test test)
{
    return std::any_of (messages.begin(), messages.end(), test);
}

class RemoteControlE2e : public ConsoleE2eTest
{
protected:
    void open (const std::vector<std::string>& extra = {})
    {
        port = freeUdpPort();
        ASSERT_GT (port, 0);
        name = plugged();
        std::vector<std::string> args { "--osc", std::to_string (port) };
        args.insert (args.end(), extra.begin(), extra.end());
        console = launch (args);
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
        ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->consoleLog (console).find ("remote control: Listening") != std::string::npos; },
                                            10000))
            << rig->consoleLog (console);
    }

    int oscsend (const std::string& host, const std::vector<std::string>& rest)
    {
        std::vector<std::string> argv { "/usr/bin/oscsend", host, std::to_string (port) };
        argv.insert (argv.end(), rest.begin(), rest.end());
        return E2eProcess::run (argv, {}).exitCode;
    }

    int send (const std::vector<std::string>& rest) { return oscsend ("127.0.0.1", rest); }

    bool deviceHas (const char* table, int channel, juce::int64 value, int timeoutMs = 5000)
    {
        return ConsoleRig::waitUntil ([&] { return rig->dump (name).channel (table, channel) == value; }, timeoutMs, 50);
    }

    void click (int x, int y)
    {
        ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (x), std::to_string (y), "click", "1" }).exitCode, 0);
    }

    void typeLevel (int x, int y, const std::string& text)
    {
        click (x, y);
        ASSERT_EQ (rig->xdotool ({ "type", "--delay", "30", "--", text }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "key", "Return" }).exitCode, 0);
    }

    int playBoxX() const { return window.x + playX + 29; }
    int outBoxX() const { return window.x + outX + 29; }
    int boxY() const { return window.y + columnY + 325; }
    std::string playBox() { return rig->grab (window.x + playX, window.y + columnY + 317, stripWidth, 16); }

    // Sends `packet` from a socket of the test's own and waits for one datagram back.
    std::string ask (const juce::MemoryBlock& packet)
    {
        juce::DatagramSocket client;
        if (! client.bindToPort (0, "127.0.0.1"))
            return {};
        client.write ("127.0.0.1", port, packet.getData(), (int) packet.getSize());
        if (client.waitUntilReady (true, 5000) != 1)
            return {};
        char buffer[1024] {};
        const int n = client.read (buffer, (int) sizeof (buffer), false);
        return n > 0 ? std::string (buffer, (size_t) n) : std::string();
    }

    int port = -1;
    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (RemoteControlE2e, ALevelSentReachesTheDeviceAndTheFaderAndUndoTakesItBack)
{
    open();
    const auto atUnity = playBox();

    ASSERT_EQ (send ({ "/arx/1/playback/1/level", "f", "-12.34" }), 0);
    // Snapped to the fader's 0.1 grid as a typed value is.
    ASSERT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-12.3f))) << rig->consoleLog (console);
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return playBox() != atUnity; }, 5000, 50));
    const auto remoteShown = playBox();

    // Undo from the remote: the device and the fader go back.
    ASSERT_EQ (send ({ "/arx/" + name + "/undo" }), 0);
    ASSERT_TRUE (deviceHas ("playbackGain", 0, unityGainCode));
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return playBox() == atUnity; }, 5000, 50));

    // The same level typed into the window shows what the remote's showed.
    typeLevel (playBoxX(), boxY(), "-12.3");
    ASSERT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-12.3f)));
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return playBox() == remoteShown; }, 5000, 50));

    // Levels beyond the fader's range are clamped; NaN and a wrong type change nothing; the
    // ganged output pair (ganged when a device is new) follows by the same step, as for a drag.
    ASSERT_EQ (send ({ "/arx/1/output/2/level", "f", "12" }), 0);
    ASSERT_EQ (send ({ "/arx/1/output/1/level", "f", "nan" }), 0);
    ASSERT_EQ (send ({ "/arx/1/output/1/level", "s", "loud" }), 0);
    ASSERT_EQ (send ({ "/arx/1/output/1/level", "f", "-80" }), 0);
    ASSERT_TRUE (deviceHas ("outputGain", 0, gainToCode (-60.0f)));
    EXPECT_TRUE (deviceHas ("outputGain", 1, gainToCode (-60.0f)));
    const auto log = rig->consoleLog (console);
    EXPECT_NE (log.find ("/arx/1/output/1/level"), std::string::npos) << log;
}

TEST_F (RemoteControlE2e, AQueryIsAnsweredToTheSenderAndASubscriberHearsTheWindowAndMetersOnlyIfAsked)
{
    open();
    ASSERT_EQ (send ({ "/arx/1/monitor/2/1/mute", "i", "1" }), 0);
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).monitor ("monitorMute", 1, 0) == 1; }, 5000, 50));

    const auto answer = ask (queryPacket ("/arx/1/monitor/2/1/mute"));
    ASSERT_FALSE (answer.empty());
    const std::string expected = std::string ("/arx/1/monitor/2/1/mute\0,i\0\0\0\0\0\1", 32);
    EXPECT_EQ (answer, expected);

    const auto devices = ask (queryPacket ("/arx/devices"));
    EXPECT_NE (devices.find (name), std::string::npos);

    // A subscriber at oscdump's port hears a level typed in the window, with the device named
    // as it subscribed.
    const int dumpPort = freeUdpPort();
    const auto dumpFile = rig->logDir() + "/oscdump.txt";
    E2eProcess dump;
    std::string error;
    ASSERT_TRUE (dump.start ({ "/usr/bin/oscdump", "-L", std::to_string (dumpPort) }, {}, dumpFile, dumpFile + ".err", error)) << error;
    ASSERT_EQ (send ({ "/arx/subscribe", "is", std::to_string (dumpPort), name }), 0);
    // The subscription is in once an answer to a later message came back: one socket, in order.
    ASSERT_FALSE (ask (queryPacket ("/arx/devices")).empty());

    typeLevel (outBoxX(), boxY(), "-20");
    const auto heard = [&] {
        return juce::File (dumpFile).loadFileAsString().contains ("/arx/" + juce::String (name) + "/output/1/level f -20.0");
    };
    EXPECT_TRUE (ConsoleRig::waitUntil (heard, 5000, 50)) << juce::File (dumpFile).loadFileAsString();

    // A second oscdump asks for meters as well, naming no device: they come as the list place.
    const int meterPort = freeUdpPort();
    const auto meterFile = rig->logDir() + "/oscdump-meters.txt";
    E2eProcess meterDump;
    ASSERT_TRUE (meterDump.start ({ "/usr/bin/oscdump", "-L", std::to_string (meterPort) }, {}, meterFile, meterFile + ".err", error))
        << error;
    ASSERT_EQ (send ({ "/arx/subscribe/meters", "i", std::to_string (meterPort) }), 0);
    const auto inputs = [&] { return dumped (meterFile, "/arx/1/meters/input"); };
    const auto outputs = [&] { return dumped (meterFile, "/arx/1/meters/output"); };
    const auto meterLog = [&] { return juce::File (meterFile).loadFileAsString() + rig->consoleLog (console); };

    // The lab's signal swells between about -26 and 0 dB on every channel, each at its own pace.
    const auto signal = [] (const std::vector<float>& m) {
        return ! m.empty() && std::all_of (m.begin(), m.end(), [] (float dB) { return dB > -30.0f && dB <= 0.0f; });
    };
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] {
        const auto in = inputs();
        return in.size() >= 3 && signal (in.front()) && signal (in.back()) && in.front() != in.back();
    }, 10000, 100)) << meterLog();
    EXPECT_EQ (inputs().front().size(), 13u);
    ASSERT_FALSE (outputs().empty());
    EXPECT_EQ (outputs().front().size(), 6u);
    EXPECT_TRUE (signal (outputs().back())) << meterLog();

    // A muted output reads silence at the device while the others carry on.
    ASSERT_EQ (send ({ "/arx/1/output/3/mute", "i", "1" }), 0);
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] {
        return anyOf (outputs(), [] (const auto& m) { return m.size() == 6 && m[2] == -128.0f && m[0] > -30.0f; });
    }, 10000, 100)) << meterLog();

    // The lab holds every meter at silence: so do the messages.
    ASSERT_TRUE (rig->fault (name, { "--silent-meters", "on" }));
    const auto silent = [] (const auto& m) {
        return ! m.empty() && std::all_of (m.begin(), m.end(), [] (float dB) { return dB == -128.0f; });
    };
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return anyOf (inputs(), silent) && anyOf (outputs(), silent); }, 10000, 100))
        << meterLog();
    meterDump.stop();

    // The first subscriber heard the mute, but never a meter.
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return ! dumped (dumpFile, "/arx/" + juce::String (name) + "/output/3/mute").empty(); },
                                        5000, 50));
    dump.stop();
    EXPECT_FALSE (juce::File (dumpFile).loadFileAsString().contains ("/meters/")) << juce::File (dumpFile).loadFileAsString();
}

TEST_F (RemoteControlE2e, ASnapshotIsStoredNamedAndRecalledFromTheRemote)
{
    open();
    ASSERT_EQ (send ({ "/arx/1/playback/1/level", "f", "-6" }), 0);
    ASSERT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-6.0f)));
    ASSERT_EQ (send ({ "/arx/1/snapshot/3/store" }), 0);
    ASSERT_EQ (send ({ "/arx/1/snapshot/3/name", "s", "Vocal take" }), 0);
    // Messages are handled in order: once the name is answered, the store has happened.
    const auto named = ask (queryPacket ("/arx/1/snapshot/3/name"));
    EXPECT_NE (named.find ("Vocal take"), std::string::npos) << named;

    ASSERT_EQ (send ({ "/arx/1/playback/1/level", "f", "-30" }), 0);
    ASSERT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-30.0f)));
    ASSERT_EQ (send ({ "/arx/1/snapshot/3/recall" }), 0);
    ASSERT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-6.0f))) << rig->consoleLog (console);

    // An empty slot recalls nothing; the recall is one step that undo takes back.
    ASSERT_EQ (send ({ "/arx/1/snapshot/8/recall" }), 0);
    ASSERT_EQ (send ({ "/arx/1/undo" }), 0);
    ASSERT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-30.0f)));
}

TEST_F (RemoteControlE2e, AnotherAddressIsNotHeardWhileOtherComputersAreNotAllowed)
{
    juce::String other;
    for (const auto& address : juce::IPAddress::getAllAddresses (false))
        if (! address.toString().startsWith ("127.") && address != juce::IPAddress())
            other = address.toString();
    if (other.isEmpty())
        GTEST_SKIP() << "this machine has no address but the loopback";

    open();
    const auto before = rig->dump (name).monitor ("monitorGain", 0, 0);
    ASSERT_EQ (oscsend (other.toStdString(), { "/arx/1/monitor/1/1/level", "f", "-30" }), 0);
    // A message sent afterwards on the loopback arrives; the other one never does.
    ASSERT_EQ (send ({ "/arx/1/monitor/2/1/level", "f", "-30" }), 0);
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).monitor ("monitorGain", 1, 0) == gainToCode (-30.0f); }, 5000, 50));
    EXPECT_EQ (rig->dump (name).monitor ("monitorGain", 0, 0), before);
}

} // namespace
} // namespace arx::e2e
