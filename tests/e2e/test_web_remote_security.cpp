// The web remote's defences against a real console and a separate lab, with clients we did not
// write: curl for plain requests and upgrades, node's `ws` and raw sockets for abuse
// (tests/browser/web_abuse.mjs). From another address of this machine nothing gets in without
// the pairing code, a wrong code locks the address out for a while and the right one pairs;
// encoded and folded paths are not found; a foreign origin, a 10 MB frame, a flood and
// half-open connections leave the console serving, its window answering; and each refusal is
// logged once, never with the code.

#include "e2e/ConsoleE2eTest.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <set>
#include <unistd.h>

namespace arx::e2e
{
namespace
{

int freePort()
{
    juce::StreamingSocket probe;
    return probe.createListener (0, "127.0.0.1") ? probe.getBoundPort() : 0;
}

juce::String otherAddress()
{
    for (const auto& address : juce::IPAddress::getAllAddresses (false))
        if (! address.toString().startsWith ("127.") && address != juce::IPAddress())
            return address.toString();
    return {};
}

size_t occurrences (const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (auto at = text.find (what); at != std::string::npos; at = text.find (what, at + 1))
        ++n;
    return n;
}

// The codes the settings page of the process shows, read from its memory as an engineer reads
// them off the screen.
std::set<std::string> shownPairingCodes (pid_t pid)
{
    std::set<std::string> codes;
    std::ifstream maps ("/proc/" + std::to_string (pid) + "/maps");
    const int mem = ::open (("/proc/" + std::to_string (pid) + "/mem").c_str(), O_RDONLY);
    if (mem < 0)
        return codes;
    const std::string shown = "Pairing code: ";
    constexpr unsigned long chunk = 8ul << 20, largest = 1ul << 30; // larger: the sanitizers' shadow
    std::string line, bytes;
    while (std::getline (maps, line))
    {
        unsigned long from = 0, to = 0;
        char perms[8] = {};
        if (std::sscanf (line.c_str(), "%lx-%lx %7s", &from, &to, perms) != 3 || perms[0] != 'r' || perms[1] != 'w'
            || to - from > largest)
            continue;
        // In chunks that overlap by a code's length, so that none is cut in two.
        for (auto at = from; at < to; at += chunk)
        {
            bytes.assign (std::min (chunk + 32, to - at), '\0');
            const auto got = ::pread (mem, bytes.data(), bytes.size(), (off_t) at);
            if (got <= 0)
                break;
            bytes.resize ((size_t) got);
            for (auto hit = bytes.find (shown); hit != std::string::npos; hit = bytes.find (shown, hit + 1))
            {
                const auto code = bytes.substr (hit + shown.size(), 6);
                if (code.size() == 6 && std::all_of (code.begin(), code.end(), [] (char c) { return c >= '0' && c <= '9'; }))
                    codes.insert (code);
            }
        }
    }
    ::close (mem);
    return codes;
}

class WebRemoteSecurityE2e : public ConsoleE2eTest
{
protected:
    void open (bool allowOthers)
    {
        port = freePort();
        ASSERT_GT (port, 0);
        name = plugged();
        if (allowOthers)
        {
            const auto folder = juce::File (rig->homeDir()).getChildFile (".config/Vantrel ARX Console");
            ASSERT_TRUE (folder.createDirectory());
            ASSERT_TRUE (folder.getChildFile ("application.settings")
                             .replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n"
                                               "  <VALUE name=\"web remote allows other computers\" val=\"1\"/>\n</PROPERTIES>\n"));
            storeTab (name, -1); // the settings page, with the code
        }
        console = launch ({ "--web", std::to_string (port) });
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
        ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return log().find ("Web remote - listening") != std::string::npos; }, 10000))
            << log();
    }

    std::string log() { return rig->consoleLog (console); }
    std::string base (const juce::String& host) const { return "http://" + host.toStdString() + ":" + std::to_string (port); }

    // The status of a GET as curl saw it ("000": no answer); the body into `body`.
    std::string get (const std::string& url, std::string* body = nullptr)
    {
        const auto r = E2eProcess::run ({ "/usr/bin/curl", "-s", "--path-as-is", "--max-time", "5", "-w", "\n%{http_code}", url }, {});
        const auto cut = r.out.rfind ('\n');
        if (body != nullptr)
            *body = r.out.substr (0, cut);
        return cut == std::string::npos ? r.out : r.out.substr (cut + 1);
    }

    // The status of a WebSocket upgrade ("101" once switched; curl then waits until its time).
    std::string upgrade (const std::string& url, const std::string& origin)
    {
        return E2eProcess::run ({ "/usr/bin/curl", "-s", "-o", "/dev/null", "--max-time", "2", "-w", "%{http_code}",
                                  "-H", "Connection: Upgrade", "-H", "Upgrade: websocket", "-H", "Sec-WebSocket-Version: 13",
                                  "-H", "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==", "-H", "Origin: " + origin, url },
                                {})
            .out;
    }

    int port = 0;
    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (WebRemoteSecurityE2e, AnotherComputerNeedsTheCodeAndAWrongOneLocksItOutForAWhile)
{
    const auto other = otherAddress();
    if (other.isEmpty())
        GTEST_SKIP() << "this machine has no address but the loopback";
    open (true);
    const auto there = base (other);

    std::string code;
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] {
        const auto codes = shownPairingCodes (rig->console (console).pid());
        code = codes.size() == 1 ? *codes.begin() : std::string();
        return ! code.empty();
    }, 10000)) << "the settings page shows no single pairing code";

    // No code: no session, and no WebSocket with none or a made-up one.
    EXPECT_EQ (get (there + "/pair"), "401");
    EXPECT_EQ (upgrade (there + "/ws", there), "000");
    EXPECT_EQ (upgrade (there + "/ws?session=00112233445566778899aabbccddeeff", there), "000");

    // A wrong code is refused and locks the address out: even the right one is answered "too
    // many" at once, and pairs only once the lock has run out.
    const auto wrong = std::to_string ((std::stoi (code) - 100000 + 1) % 900000 + 100000);
    EXPECT_EQ (get (there + "/pair?code=" + wrong), "403");
    EXPECT_EQ (get (there + "/pair?code=" + code), "429");
    std::string answer;
    std::string status;
    ASSERT_TRUE (ConsoleRig::waitUntil ([&] { return (status = get (there + "/pair?code=" + code, &answer)) == "200"; }, 15000, 250))
        << status << "\n" << log();
    const std::regex sessionOf ("\\{\"session\":\"([0-9a-f]{32})\"\\}");
    std::smatch session;
    ASSERT_TRUE (std::regex_match (answer, session, sessionOf)) << answer;

    // The session opens a WebSocket from the page's own origin only.
    EXPECT_EQ (upgrade (there + "/ws?session=" + session[1].str(), there), "101");
    EXPECT_EQ (upgrade (there + "/ws?session=" + session[1].str(), "http://elsewhere.example"), "000");

    // Each kind of refusal once, however often it happened; the code never.
    for (int i = 0; i < 5; ++i)
        get (there + "/pair?code=" + wrong);
    const auto text = log();
    EXPECT_EQ (occurrences (text, "refused a WebSocket without pairing from " + other.toStdString()), 1u) << text;
    EXPECT_EQ (occurrences (text, "refused a wrong pairing code from " + other.toStdString()), 1u) << text;
    EXPECT_EQ (occurrences (text, "refused pairing while locked out from " + other.toStdString()), 1u) << text;
    EXPECT_EQ (text.find (code), std::string::npos) << text;
}

TEST_F (WebRemoteSecurityE2e, BadPathsAreNotFoundAndAbuseLeavesTheConsoleServing)
{
    const juce::File browserDir (juce::String (ARX_SOURCE_DIR) + "/tests/browser");
    ASSERT_TRUE (browserDir.getChildFile ("node_modules/ws").isDirectory()) << "run `npm ci` in tests/browser first (scripts/check does)";
    open (false);
    const auto here = base ("127.0.0.1");

    EXPECT_EQ (get (here + "/"), "200");
    EXPECT_EQ (get (here + "/remote.js?v=2"), "200");
    for (const auto* path : { "/%2e%2e/etc/passwd", "/../index.html", "/..%2findex.html", "/%69ndex.html", "/./index.html",
                              "//index.html", "/x/../remote.js", "/index.html/", "/etc/passwd", "/p%61ir" })
        EXPECT_EQ (get (here + path), "404") << path;
    EXPECT_EQ (upgrade (here + "/w%73", here), "000");

    const auto out = rig->logDir() + "/abuse.out", err = rig->logDir() + "/abuse.err";
    const auto result = E2eProcess::run ({ "/usr/bin/node", browserDir.getChildFile ("web_abuse.mjs").getFullPathName().toStdString() },
                                         { { "ARX_WEB_URL", here + "/" },
                                           { "ARX_DEVSIM", ConsoleRig::binDir() + "/arx-devsim" },
                                           { "ARX_DEVICE_DIR", rig->deviceDir() },
                                           { "ARX_DEVICE", name } },
                                         60000);
    EXPECT_EQ (result.exitCode, 0) << result.out << result.err;

    // The window still answers: input 7's mute on the first pair, clicked.
    const auto muted = rig->dump (name).monitor ("monitorMute", 6, 0);
    const int x = window.x + 6 * 54 + 30, y = window.y + 30 + 41 + 172;
    ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (x), std::to_string (y), "click", "1" }).exitCode, 0);
    EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).monitor ("monitorMute", 6, 0) == 1 - muted; }, 5000));
    EXPECT_TRUE (rig->console (console).isRunning());

    const auto text = log();
    for (const auto* kind : { "an unknown path", "a WebSocket at an encoded path", "a WebSocket from another origin",
                              "an oversized message", "a flood of messages" })
        EXPECT_EQ (occurrences (text, std::string ("refused ") + kind + " from 127.0.0.1"), 1u) << kind << "\n" << text;
}

} // namespace
} // namespace arx::e2e
