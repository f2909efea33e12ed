// arx-devsim: the device lab as a daemon ("serve") and the client commands that steer it.

#include "platform/DeviceDirectory.h"
#include "sim/BusServer.h"
#include "sim/DeviceLab.h"
#include "sim/SimFirmware.h"

#include <csignal>
#include <cstring>
#include <iostream>

#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
using arx::platform::DeviceDirectory;
using arx::sim::BusServer;

const char* usageText =
    "usage:\n"
    "  arx-devsim serve [--dir DIR] [--plug PROFILE[:NAME]]...\n"
    "  arx-devsim plug [--dir DIR] [--profile NAME] [--name UNIQUE] [--blank-session]\n"
    "  arx-devsim unplug [--dir DIR] UNIQUE\n"
    "  arx-devsim dump [--dir DIR] UNIQUE\n"
    "  arx-devsim list [--dir DIR]\n"
    "  arx-devsim power-cycle [--dir DIR] UNIQUE\n"
    "  arx-devsim guitar [--dir DIR] UNIQUE connect|disconnect|strum|idle SECONDS|mode live|hex\n"
    "                    |charge on|off|fault ARGS (silence N, negative N, bad-crc N,\n"
    "                     undetectable on|off, no-crc-command on|off, clear)\n"
    "  arx-devsim firmware --out DIR [--version MAJOR.MINOR] [--guitar-bytes N]\n"
    "                     lab firmware files for tests and the demo (not device firmware)\n"
    "  arx-devsim fault [--dir DIR] UNIQUE [--clear] [--latency MS]\n"
    "                   [--nt-status 0x102|0xC0120090 (--count N | --share 0..1)]\n"
    "                   [--retval R --count N] [--fail --count N]\n"
    "                   [--refuse-buffer-size on|off] [--unplug-after N]\n"
    "                   [--no-signal SOURCE]... (the clock source's input loses its signal)\n"
    "                   [--silent-meters on|off] (every meter reads silence)\n"
    "                   [--session-base ADDRESS] (the device reports this session base)\n"
    "  arx-devsim endpoint [--dir DIR] UNIQUE --channel C (--volume DB | --mute 0|1)\n"
    "                   another program sets the level (or the mute) of the system's\n"
    "                   endpoint that carries playback channel C of the device\n"
    "The device directory defaults to $ARX_DEVICE_DIR, $XDG_RUNTIME_DIR/arx-devices or\n"
    "/tmp/arx-devices-UID; the last is used only as a folder of this user's that no one else\n"
    "can enter, and a folder given or set that is not one is warned about.\n";

int usage (const juce::String& problem)
{
    if (problem.isNotEmpty())
        std::cerr << "arx-devsim: " << problem << "\n";
    std::cerr << usageText;
    return 2;
}

// Sends one control line to a running daemon; the reply line without its "ok"/"error" word.
int sendControl (const DeviceDirectory& directory, const juce::String& line)
{
    // Not a daemon of another user's: the shared fallback is used only when it is ours.
    if (directory.check == DeviceDirectory::Check::refuse)
        if (const auto problem = arx::platform::privateFolderProblem (directory.folder); problem.isNotEmpty())
        {
            std::cerr << "arx-devsim: " << problem << "\n";
            return 1;
        }
    const auto& dir = directory.folder;
    const auto path = dir.getChildFile (BusServer::controlSocketName).getFullPathName();
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if ((size_t) path.getNumBytesAsUTF8() >= sizeof (addr.sun_path))
    {
        std::cerr << "arx-devsim: device directory path too long\n";
        return 1;
    }
    std::strncpy (addr.sun_path, path.toRawUTF8(), sizeof (addr.sun_path) - 1);
    const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) != 0)
    {
        std::cerr << "arx-devsim: no daemon serves " << dir.getFullPathName() << " (start 'arx-devsim serve')\n";
        if (fd >= 0)
            ::close (fd);
        return 1;
    }
    const auto request = line + "\n";
    if (::send (fd, request.toRawUTF8(), request.getNumBytesAsUTF8(), MSG_NOSIGNAL) < 0)
    {
        ::close (fd);
        std::cerr << "arx-devsim: the daemon closed the connection\n";
        return 1;
    }
    std::string reply;
    char buffer[4096];
    for (;;)
    {
        const auto n = ::recv (fd, buffer, sizeof (buffer), 0);
        if (n <= 0)
            break;
        reply.append (buffer, (size_t) n);
        if (! reply.empty() && reply.back() == '\n')
            break;
    }
    ::close (fd);
    const auto text = juce::String::fromUTF8 (reply.data(), (int) reply.size()).trimEnd();
    if (text.startsWith ("ok"))
    {
        const auto payload = text.substring (2).trimStart();
        if (payload.isNotEmpty())
            std::cout << payload << "\n";
        return 0;
    }
    std::cerr << "arx-devsim: " << (text.startsWith ("error") ? text.substring (5).trimStart() : juce::String ("no reply from the daemon")) << "\n";
    return 1;
}

// "5.2" or a version word "0x05020000".
bool parseVersion (const juce::String& text, uint32_t& version)
{
    if (text.startsWithIgnoreCase ("0x") && text.length() > 2 && text.length() <= 10
        && text.substring (2).containsOnly ("0123456789abcdefABCDEF"))
    {
        version = (uint32_t) text.substring (2).getHexValue64();
        return true;
    }
    const auto major = text.upToFirstOccurrenceOf (".", false, false);
    const auto minor = text.fromFirstOccurrenceOf (".", false, false);
    if (major.isEmpty() || minor.isEmpty() || ! major.containsOnly ("0123456789") || ! minor.containsOnly ("0123456789")
        || major.getIntValue() > 255 || minor.getIntValue() > 255)
        return false;
    version = ((uint32_t) major.getIntValue() << 24) | ((uint32_t) minor.getIntValue() << 16);
    return true;
}

// The lab's firmware files: the device's DAT images and the guitar's firmware file.
int writeFirmwareFiles (const juce::File& out, const juce::String& versionText, const juce::String& guitarBytes)
{
    uint32_t version = 0;
    if (! parseVersion (versionText, version))
        return usage ("--version needs MAJOR.MINOR or a version word");
    const int bytes = guitarBytes.getIntValue();
    if (! guitarBytes.containsOnly ("0123456789") || bytes < 64 || bytes > 131072 - 64)
        return usage ("--guitar-bytes needs a count from 64 to 131008");

    const auto guitar = arx::sim::SimGuitar::firmwareFile ((uint32_t) bytes);
    if (! arx::sim::SimFirmware::writeDatFiles (out, version)
        || ! out.getChildFile ("guitar_body.pt2").replaceWithData (guitar.getData(), guitar.getSize()))
    {
        std::cerr << "arx-devsim: cannot write the firmware files into " << out.getFullPathName() << "\n";
        return 1;
    }
    std::cout << out.getFullPathName() << "\n";
    return 0;
}

int serve (const DeviceDirectory& directory, const juce::StringArray& plugs)
{
    // Signals are taken by sigwait below; every thread started from here inherits the mask.
    sigset_t signals;
    sigemptyset (&signals);
    sigaddset (&signals, SIGTERM);
    sigaddset (&signals, SIGINT);
    pthread_sigmask (SIG_BLOCK, &signals, nullptr);

    arx::sim::DeviceLab lab;
    BusServer server (lab, directory);
    juce::String error;
    if (! server.start (error))
    {
        std::cerr << "arx-devsim: " << error << "\n";
        return 1;
    }
    if (server.directoryWarning().isNotEmpty())
        std::cerr << "arx-devsim: warning: " << server.directoryWarning() << "\n";
    for (auto& p : plugs)
    {
        arx::sim::PlugOptions options;
        options.profile = p.upToFirstOccurrenceOf (":", false, false);
        options.uniqueName = p.fromFirstOccurrenceOf (":", false, false);
        juce::String problem;
        auto* d = server.plug (options, problem);
        if (d == nullptr)
        {
            std::cerr << "arx-devsim: cannot plug " << p << ": " << problem << "\n";
            server.stop();
            return 1;
        }
        std::cout << d->uniqueName() << "\n";
    }
    std::cout << "serving " << directory.folder.getFullPathName() << std::endl;

    int signal = 0;
    sigwait (&signals, &signal);
    server.stop();
    lab.unplugAll();
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    std::signal (SIGPIPE, SIG_IGN);
    if (argc < 2)
        return usage ({});

    const juce::String command (argv[1]);
    auto dir = arx::platform::deviceDirectory();
    juce::StringArray positional, plugs;
    juce::String profile = "arx", name, outDir, version = "5.2", guitarBytes = "8192";
    bool blankSession = false;
    juce::StringArray faultArgs;
    juce::StringArray endpointArgs;

    for (int i = 2; i < argc; ++i)
    {
        const juce::String a (argv[i]);
        auto value = [&] (juce::String& into) {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        juce::String v;
        if (a == "--dir")
        {
            if (! value (v) || v.isEmpty())
                return usage ("--dir needs a folder");
            dir = { juce::File::getCurrentWorkingDirectory().getChildFile (v), DeviceDirectory::Check::warn };
        }
        else if (a == "--plug" && command == "serve")
        {
            if (! value (v))
                return usage ("--plug needs PROFILE[:NAME]");
            plugs.add (v);
        }
        else if (a == "--profile" && command == "plug")
        {
            if (! value (profile))
                return usage ("--profile needs a name");
        }
        else if (a == "--name" && command == "plug")
        {
            if (! value (name) || name.isEmpty() || name.containsAnyOf (" \t\n\""))
                return usage ("--name needs a name without blanks");
        }
        else if (a == "--blank-session" && command == "plug")
            blankSession = true;
        else if (command == "firmware" && (a == "--out" || a == "--version" || a == "--guitar-bytes"))
        {
            if (! value (v) || v.isEmpty())
                return usage (a + " needs a value");
            (a == "--out" ? outDir : a == "--version" ? version : guitarBytes) = v;
        }
        else if (command == "fault" && (a == "--clear" || a == "--fail"))
            faultArgs.add (a.substring (2));
        else if (command == "fault"
                 && (a == "--latency" || a == "--nt-status" || a == "--count" || a == "--share" || a == "--retval"
                     || a == "--refuse-buffer-size" || a == "--unplug-after" || a == "--no-signal"
                     || a == "--silent-meters" || a == "--session-base"))
        {
            if (! value (v) || v.isEmpty() || v.containsAnyOf (" \t\n\""))
                return usage (a + " needs a value");
            faultArgs.add (a.substring (2));
            faultArgs.add (v);
        }
        else if (command == "endpoint" && (a == "--channel" || a == "--volume" || a == "--mute"))
        {
            if (! value (v) || v.isEmpty() || v.containsAnyOf (" \t\n\""))
                return usage (a + " needs a value");
            endpointArgs.add (a.substring (2));
            endpointArgs.add (v);
        }
        else if (a.startsWith ("--"))
            return usage ("unknown option " + a + " for " + command);
        else
            positional.add (a);
    }

    if (command == "serve")
        return positional.isEmpty() ? serve (dir, plugs) : usage ("serve takes no names");
    if (command == "plug")
    {
        if (! positional.isEmpty())
            return usage ("plug takes --profile and --name");
        return sendControl (dir, "plug " + profile + (name.isNotEmpty() ? " " + name : juce::String())
                                     + (blankSession ? " blank-session" : ""));
    }
    if (command == "firmware")
    {
        if (outDir.isEmpty() || ! positional.isEmpty())
            return usage ("firmware needs --out DIR");
        return writeFirmwareFiles (juce::File::getCurrentWorkingDirectory().getChildFile (outDir), version, guitarBytes);
    }
    if (command == "power-cycle")
    {
        if (positional.size() != 1 || positional[0].containsAnyOf (" \t\n\""))
            return usage ("power-cycle needs one device name");
        return sendControl (dir, "power-cycle " + positional[0]);
    }
    if (command == "guitar")
    {
        if (positional.size() < 2 || positional.joinIntoString ("").containsAnyOf (" \t\n\""))
            return usage ("guitar needs a device name and an action");
        return sendControl (dir, "guitar " + positional.joinIntoString (" "));
    }
    if (command == "list")
        return positional.isEmpty() ? sendControl (dir, "list") : usage ("list takes no names");
    if (command == "unplug" || command == "dump" || command == "fault")
    {
        if (positional.size() != 1 || positional[0].containsAnyOf (" \t\n\""))
            return usage (command + " needs one device name");
        if (command == "fault" && faultArgs.isEmpty())
            return usage ("fault needs at least one fault option");
        return sendControl (dir, command + " " + positional[0] + (faultArgs.isEmpty() ? juce::String() : " " + faultArgs.joinIntoString (" ")));
    }
    if (command == "endpoint")
    {
        if (positional.size() != 1 || positional[0].containsAnyOf (" \t\n\""))
            return usage ("endpoint needs one device name");
        if (endpointArgs.size() != 4 || endpointArgs[0] != "channel")
            return usage ("endpoint needs --channel C and then one of --volume DB or --mute 0|1");
        return sendControl (dir, "endpoint " + positional[0] + " " + endpointArgs.joinIntoString (" "));
    }
    return usage ("unknown command " + command);
}
