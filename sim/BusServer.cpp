#include "sim/BusServer.h"

#include "platform/AudioWire.h"
#include "platform/BusWire.h"
#include "sim/AudioSession.h"
#include "sim/SimEndpoints.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace arx::sim
{
namespace
{
constexpr const char* socketName = "device";

bool fillAddress (sockaddr_un& addr, const juce::File& file)
{
    addr = {};
    addr.sun_family = AF_UNIX;
    const auto path = file.getFullPathName();
    if ((size_t) path.getNumBytesAsUTF8() >= sizeof (addr.sun_path))
        return false;
    std::strncpy (addr.sun_path, path.toRawUTF8(), sizeof (addr.sun_path) - 1);
    return true;
}

int listenOn (const juce::File& file)
{
    sockaddr_un addr;
    if (! fillAddress (addr, file))
        return -1;
    const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    ::unlink (addr.sun_path);
    if (::bind (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) != 0 || ::chmod (addr.sun_path, 0600) != 0
        || ::listen (fd, 16) != 0)
    {
        ::close (fd);
        return -1;
    }
    return fd;
}

bool canConnect (const juce::File& file)
{
    sockaddr_un addr;
    if (! fillAddress (addr, file))
        return false;
    const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ::connect (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) == 0;
    ::close (fd);
    return ok;
}

// Removes an entry folder and what is in it (regular files and sockets; entries hold no
// subfolders).
void removeEntry (const juce::File& folder)
{
    const auto path = folder.getFullPathName();
    for (auto* name : { "device", "hwinfo_caps", "unique_name" })
        ::unlink ((path + "/" + name).toRawUTF8());
    for (const auto& e : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
        ::unlink (e.getFile().getFullPathName().toRawUTF8());
    ::rmdir (path.toRawUTF8());
}

bool writeFile (const juce::File& file, const void* data, size_t size)
{
    juce::FileOutputStream out (file);
    if (! out.openedOk())
        return false;
    out.setPosition (0);
    out.truncate();
    return size == 0 || out.write (data, size);
}
} // namespace

class BusServer::Impl
{
public:
    struct Entry
    {
        SimDevice* device = nullptr;
        juce::File folder;
        int listenFd = -1;
    };

    struct Worker
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    std::mutex lock;
    std::mutex plugLock; // one plug at a time: the folder check and the plug belong together
    std::map<juce::String, Entry> entries; // by unique name
    std::map<int, juce::String> connections; // device connection fd -> unique name
    std::vector<int> toClose;
    std::vector<Worker> workers;
    int controlFd = -1;
    int audioFd = -1; // the system audio side's socket
    int wakePipe[2] = { -1, -1 };
    std::atomic<bool> running { false };
    std::thread pollThread;

    void wake()
    {
        const char c = 1;
        [[maybe_unused]] auto n = ::write (wakePipe[1], &c, 1);
    }

    void startWorker (std::function<void()> body)
    {
        auto done = std::make_shared<std::atomic<bool>> (false);
        Worker w;
        w.done = done;
        w.thread = std::thread ([body = std::move (body), done] {
            body();
            done->store (true);
        });
        const std::lock_guard<std::mutex> guard (lock);
        // Join the ones that have finished, so long runs do not pile up threads.
        for (auto it = workers.begin(); it != workers.end();)
        {
            if (it->done->load())
            {
                it->thread.join();
                it = workers.erase (it);
            }
            else
                ++it;
        }
        workers.push_back (std::move (w));
    }
};

BusServer::BusServer (DeviceLab& l, const juce::File& directory)
    : BusServer (l, platform::DeviceDirectory { directory, platform::DeviceDirectory::Check::none })
{
}

BusServer::BusServer (DeviceLab& l, const platform::DeviceDirectory& directory)
    : lab (l), checked (directory), dir (directory.folder), impl (std::make_unique<Impl>())
{
}

BusServer::~BusServer() { stop(); }

juce::String BusServer::entryName (const juce::String& uniqueName)
{
    juce::String safe;
    for (auto c : uniqueName)
        safe << (juce::CharacterFunctions::isLetterOrDigit (c) || c == '-' || c == '_' ? juce::String::charToString (c) : "_");
    if (safe.isEmpty())
        safe = "_";
    return safe;
}

juce::File BusServer::entryFor (const juce::String& uniqueName) const { return dir.getChildFile (entryName (uniqueName)); }

bool BusServer::start (juce::String& error)
{
    if (impl->running)
        return true;
    if (! platform::prepareDeviceDirectory (checked, warning))
    {
        error = warning + ": it is not served";
        warning.clear();
        return false;
    }
    const auto control = dir.getChildFile (controlSocketName);
    if (canConnect (control))
    {
        error = "another arx-devsim already serves " + dir.getFullPathName();
        return false;
    }
    // Entries left behind by a daemon that did not end cleanly.
    for (const auto& e : juce::RangedDirectoryIterator (dir, false, "*", juce::File::findDirectories))
    {
        const auto& f = e.getFile();
        if (f.getChildFile (socketName).exists() && ! canConnect (f.getChildFile (socketName)))
            removeEntry (f);
    }

    impl->controlFd = listenOn (control);
    impl->audioFd = listenOn (dir.getChildFile (arx::platform::audiowire::socketName));
    if (impl->controlFd < 0 || impl->audioFd < 0 || ::pipe2 (impl->wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
    {
        error = "cannot open the control and audio sockets in " + dir.getFullPathName();
        for (auto* fd : { &impl->controlFd, &impl->audioFd })
            if (*fd >= 0)
                ::close (std::exchange (*fd, -1));
        return false;
    }

    impl->running = true;
    lab.addListener (this);
    for (auto* d : lab.devices())
        deviceArrived (*d);
    impl->pollThread = std::thread ([this] { pollLoop(); });
    return true;
}

void BusServer::stop()
{
    if (! impl->running.exchange (false))
        return;
    lab.removeListener (this);
    impl->wake();
    if (impl->pollThread.joinable())
        impl->pollThread.join();

    std::vector<Impl::Worker> workers;
    {
        const std::lock_guard<std::mutex> guard (impl->lock);
        for (auto& [name, entry] : impl->entries)
        {
            removeEntry (entry.folder);
            ::close (entry.listenFd);
        }
        impl->entries.clear();
        for (auto& [fd, name] : impl->connections)
            ::shutdown (fd, SHUT_RDWR);
        for (auto fd : impl->toClose)
            ::close (fd);
        impl->toClose.clear();
        workers = std::move (impl->workers);
    }
    for (auto& w : workers)
        w.thread.join();

    ::close (impl->controlFd);
    impl->controlFd = -1;
    ::unlink (dir.getChildFile (controlSocketName).getFullPathName().toRawUTF8());
    ::close (std::exchange (impl->audioFd, -1));
    ::unlink (dir.getChildFile (arx::platform::audiowire::socketName).getFullPathName().toRawUTF8());
    ::close (impl->wakePipe[0]);
    ::close (impl->wakePipe[1]);
}

void BusServer::deviceArrived (SimDevice& device)
{
    const auto name = entryName (device.uniqueName());
    const auto finalFolder = dir.getChildFile (name);
    const auto temp = dir.getChildFile (".new-" + name + "-" + juce::String (juce::Random::getSystemRandom().nextInt (1 << 30)));
    if (::mkdir (temp.getFullPathName().toRawUTF8(), 0700) != 0)
    {
        DBG ("arx-devsim: cannot create " << temp.getFullPathName());
        return;
    }
    if (auto* v = device.hwinfoValue())
        writeFile (temp.getChildFile ("hwinfo_caps"), v->getData(), v->getSize());
    // Byte for byte as the registry holds it: a name value with its terminator, or without one.
    if (auto* v = device.uniqueNameValue())
        writeFile (temp.getChildFile ("unique_name"), v->getData(), v->getSize());
    const int fd = listenOn (temp.getChildFile (socketName));
    if (fd < 0)
    {
        removeEntry (temp);
        return;
    }
    if (finalFolder.exists())
    {
        const std::lock_guard<std::mutex> guard (impl->lock);
        for (auto& [other, entry] : impl->entries)
            if (entry.folder == finalFolder)
            {
                DBG ("arx-devsim: " << finalFolder.getFullPathName() << " belongs to " << other);
                ::close (fd);
                removeEntry (temp);
                return;
            }
    }
    if (finalFolder.exists())
        removeEntry (finalFolder); // left behind by a daemon that did not end cleanly
    if (::rename (temp.getFullPathName().toRawUTF8(), finalFolder.getFullPathName().toRawUTF8()) != 0)
    {
        ::close (fd);
        removeEntry (temp);
        return;
    }
    {
        const std::lock_guard<std::mutex> guard (impl->lock);
        impl->entries[device.uniqueName()] = { &device, finalFolder, fd };
    }
    impl->wake();
}

void BusServer::deviceRemoved (SimDevice& device)
{
    const std::lock_guard<std::mutex> guard (impl->lock);
    auto it = impl->entries.find (device.uniqueName());
    if (it == impl->entries.end())
        return;
    // Rename first so that watchers see one atomic removal.
    auto gone = dir.getChildFile (".gone-" + it->second.folder.getFileName() + "-"
                                  + juce::String (juce::Random::getSystemRandom().nextInt (1 << 30)));
    if (::rename (it->second.folder.getFullPathName().toRawUTF8(), gone.getFullPathName().toRawUTF8()) == 0)
        removeEntry (gone);
    else
        removeEntry (it->second.folder);
    impl->toClose.push_back (it->second.listenFd);
    // Reading side only: a reply under way still goes out, the next request sees the end.
    for (auto& [fd, name] : impl->connections)
        if (name == device.uniqueName())
            ::shutdown (fd, SHUT_RD);
    impl->entries.erase (it);
    impl->wake();
}

void BusServer::pollLoop()
{
    while (impl->running)
    {
        std::vector<pollfd> fds;
        std::vector<juce::String> names;
        {
            const std::lock_guard<std::mutex> guard (impl->lock);
            for (auto fd : impl->toClose)
                ::close (fd);
            impl->toClose.clear();
            fds.push_back ({ impl->wakePipe[0], POLLIN, 0 });
            names.push_back ({});
            fds.push_back ({ impl->controlFd, POLLIN, 0 });
            names.push_back ({});
            fds.push_back ({ impl->audioFd, POLLIN, 0 });
            names.push_back ({});
            for (auto& [name, entry] : impl->entries)
            {
                fds.push_back ({ entry.listenFd, POLLIN, 0 });
                names.push_back (name);
            }
        }
        if (::poll (fds.data(), (nfds_t) fds.size(), 500) <= 0)
            continue;
        if ((fds[0].revents & POLLIN) != 0)
        {
            char buffer[64];
            while (::read (impl->wakePipe[0], buffer, sizeof (buffer)) > 0) {}
            continue; // the set of sockets may have changed
        }
        if ((fds[1].revents & POLLIN) != 0)
        {
            const int c = ::accept4 (impl->controlFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (c >= 0)
                impl->startWorker ([this, c] { serveControl (c); });
        }
        if ((fds[2].revents & POLLIN) != 0)
            acceptAudio();
        for (size_t i = 3; i < fds.size(); ++i)
        {
            if ((fds[i].revents & POLLIN) == 0)
                continue;
            const int c = ::accept4 (fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                continue;
            SimDevice* device = nullptr;
            {
                const std::lock_guard<std::mutex> guard (impl->lock);
                auto it = impl->entries.find (names[i]);
                if (it != impl->entries.end())
                {
                    device = it->second.device;
                    impl->connections[c] = names[i];
                }
            }
            if (device == nullptr)
            {
                ::close (c);
                continue;
            }
            impl->startWorker ([this, c, device] { serveConnection (c, *device); });
        }
    }
}

void BusServer::serveConnection (int fd, SimDevice& device)
{
    using namespace arx::platform::buswire;
    RequestReader reader (fd);
    std::vector<uint8_t> out;
    for (;;)
    {
        RequestReader::Request request;
        const auto read = reader.next (request);
        if (read != RequestReader::Result::ok)
        {
            if (read == RequestReader::Result::oversized)
            {
                DBG ("arx-devsim: oversized request frame, closing the connection");
            }
            break;
        }
        out.assign (request.outSize, 0);
        uint32_t returned = 0;
        const bool ok = device.deviceIoControl (request.code, request.input, request.inSize, out.data(),
                                                request.outSize, returned);
        if (! sendReply (fd, ok, out.data(), std::min (returned, request.outSize)))
            break;
    }
    {
        const std::lock_guard<std::mutex> guard (impl->lock);
        impl->connections.erase (fd);
    }
    ::close (fd);
}

void BusServer::acceptAudio()
{
    const int c = ::accept4 (impl->audioFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0)
        return;
    {
        const std::lock_guard<std::mutex> guard (impl->lock);
        impl->connections[c] = {}; // shut down with the rest on stop
    }
    impl->startWorker ([this, c] {
        {
            AudioSession session (lab.endpoints(), c);
            session.run();
        }
        const std::lock_guard<std::mutex> guard (impl->lock);
        impl->connections.erase (c);
        ::close (c);
    });
}

void BusServer::serveControl (int fd)
{
    std::string line;
    char c = 0;
    for (;;)
    {
        const auto n = ::recv (fd, &c, 1, 0);
        if (n <= 0)
            break;
        if (c != '\n')
        {
            if (line.size() > 4096)
                break; // not a command line
            line.push_back (c);
            continue;
        }
        const auto reply = handleControlLine (juce::String::fromUTF8 (line.data(), (int) line.size())) + "\n";
        line.clear();
        if (! arx::platform::buswire::sendAll (fd, reply.toRawUTF8(), reply.getNumBytesAsUTF8()))
            break;
    }
    ::close (fd);
}

namespace
{
bool parseNumber (const juce::String& text, double& value)
{
    auto t = text.trim();
    if (t.isEmpty())
        return false;
    if (t.startsWithIgnoreCase ("0x"))
    {
        auto hex = t.substring (2);
        if (hex.isEmpty() || ! hex.containsOnly ("0123456789abcdefABCDEF") || hex.length() > 8)
            return false;
        value = (double) (uint32_t) hex.getHexValue64();
        return true;
    }
    if (! t.containsOnly ("0123456789.-") )
        return false;
    value = t.getDoubleValue();
    return true;
}
} // namespace

SimDevice* BusServer::plug (PlugOptions options, juce::String& error)
{
    if (SimProfiles::find (options.profile) == nullptr)
    {
        error = "unknown profile " + options.profile;
        return nullptr;
    }

    const std::lock_guard<std::mutex> plugging (impl->plugLock);
    if (options.uniqueName.isEmpty())
        options.uniqueName = lab.nextDefaultName();
    if (lab.find (options.uniqueName) != nullptr)
    {
        error = "a device named " + options.uniqueName + " is plugged in already";
        return nullptr;
    }

    const auto folder = entryName (options.uniqueName);
    for (auto* other : lab.devices())
        if (entryName (other->uniqueName()) == folder)
        {
            error = "the name " + options.uniqueName + " needs the folder " + folder + ", which " + other->uniqueName()
                    + " uses already";
            return nullptr;
        }

    auto* device = lab.plug (options);
    if (device == nullptr)
        error = "the device " + options.uniqueName + " could not be plugged";
    return device;
}

// guitar NAME connect | disconnect | strum | idle SECONDS | mode live|hex | charge on|off
//        | fault (silence N | negative N | bad-crc N | undetectable on|off | no-crc-command on|off | clear)...
juce::String BusServer::handleGuitarCommand (SimDevice& device, const juce::StringArray& args)
{
    const auto action = args[2];
    const auto value = args[3];
    double number = 0;
    const bool isOnOff = value == "on" || value == "off";
    juce::String problem;

    device.withGuitar ([&] (SimGuitar& guitar) {
        if (action == "connect" || action == "disconnect")
            guitar.connect (action == "connect");
        else if (action == "strum")
            guitar.strum();
        else if (action == "idle" && parseNumber (value, number) && number >= 0)
            guitar.setIdleSeconds (number);
        else if (action == "mode" && (value == "live" || value == "hex"))
            guitar.setMode (value == "hex");
        else if (action == "charge" && isOnOff)
            guitar.chargingNow = value == "on";
        else if (action == "fault")
            problem = applyGuitarFaults (guitar.faults, args);
        else
            problem = "bad guitar command " + args.joinIntoString (" ", 2);
    });

    if (problem.isNotEmpty())
        return "error " + problem;
    return "ok " + juce::JSON::toString (device.dump()["guitar"], true);
}

juce::String BusServer::applyGuitarFaults (SimGuitarFaults& faults, const juce::StringArray& args)
{
    auto f = faults;
    for (int i = 3; i < args.size(); ++i)
    {
        const auto key = args[i];
        const auto value = args[i + 1];
        double n = 0;
        const bool counted = parseNumber (value, n) && n >= 0;
        const bool onOff = value == "on" || value == "off";
        if (key == "clear")
        {
            f = {};
            continue;
        }
        if (key == "silence" && counted)
            f.silentReplies = (int) n;
        else if (key == "negative" && counted)
            f.negativeReplies = (int) n;
        else if (key == "bad-crc" && counted)
            f.badCrcPackets = (int) n;
        else if (key == "undetectable" && onOff)
            f.undetectable = value == "on";
        else if (key == "no-crc-command" && onOff)
            f.noCrcCommand = value == "on";
        else
            return "bad guitar fault argument " + key;
        ++i;
    }
    faults = f;
    return {};
}

juce::String BusServer::handleControlLine (const juce::String& line)
{
    juce::StringArray args;
    args.addTokens (line.trim(), " ", "\"");
    args.removeEmptyStrings();
    if (args.isEmpty())
        return "error empty command";
    const auto command = args[0];

    if (command == "profiles")
        return "ok " + SimProfiles::names().joinIntoString (" ");
    if (command == "list")
    {
        juce::StringArray names;
        for (auto* d : lab.devices())
            names.add (d->uniqueName());
        return "ok " + names.joinIntoString (" ");
    }
    if (command == "plug")
    {
        PlugOptions options;
        options.blankSession = args.contains ("blank-session");
        args.removeString ("blank-session");
        options.profile = args[1].isNotEmpty() ? args[1] : "arx";
        options.uniqueName = args[2];
        juce::String error;
        auto* d = plug (options, error);
        return d != nullptr ? "ok " + d->uniqueName() : "error " + error;
    }

    auto* device = lab.find (args[1]);
    if (command != "unplug" && command != "dump" && command != "fault" && command != "endpoint"
        && command != "power-cycle" && command != "guitar")
        return "error unknown command " + command;
    if (device == nullptr)
        return "error no device named " + args[1];

    if (command == "unplug")
        return lab.unplug (args[1]) ? "ok" : "error no device named " + args[1];
    if (command == "endpoint")
        return lab.endpoints().controlCommand (args);
    if (command == "power-cycle")
        return lab.powerCycle (args[1]) != nullptr ? "ok " + args[1] : "error " + args[1] + " did not come back";
    if (command == "guitar")
        return handleGuitarCommand (*device, args);
    if (command == "dump")
    {
        auto state = device->dump();
        if (auto* o = state.getDynamicObject())
            o->setProperty ("endpoints", lab.endpoints().describe (args[1]));
        return "ok " + juce::JSON::toString (state, true);
    }

    // fault NAME [clear] [latency MS] [nt-status S] [share X] [retval R] [fail] [count N]
    //            [refuse-buffer-size on|off] [unplug-after N] [no-signal SOURCE]...
    //            [silent-meters on|off]
    //            [session-base ADDRESS]
    auto f = device->faults();
    enum class Kind { none, nt, retval, fail } kind = Kind::none;
    uint32_t retval = 0;
    int count = 1;
    double share = -1.0;
    for (int i = 2; i < args.size(); ++i)
    {
        const auto key = args[i];
        double v = 0;
        auto number = [&] { return i + 1 < args.size() && parseNumber (args[++i], v); };
        if (key == "clear")
            f = SimFaults {};
        else if (key == "fail")
            kind = Kind::fail;
        else if (key == "latency" && number() && v >= 0 && v <= 60000)
            f.latencyMs = (int) v;
        else if (key == "nt-status" && number())
            kind = Kind::nt, f.ntStatus = (uint32_t) v;
        else if (key == "retval" && number())
            kind = Kind::retval, retval = (uint32_t) v;
        else if (key == "count" && number() && v >= 0)
            count = (int) v;
        else if (key == "share" && number() && v >= 0 && v <= 1)
            share = v;
        else if (key == "unplug-after" && number() && v >= 0)
            f.unplugAfter = (int) v;
        else if (key == "no-signal" && number() && v >= 1 && v <= 31)
            f.signalLost |= 1u << (int) v;
        else if (key == "session-base" && number() && v >= 0 && v <= 0xFFFFFFFF)
            f.reportedSessionBase = (int64_t) v;
        else if (key == "refuse-buffer-size" && i + 1 < args.size() && (args[i + 1] == "on" || args[i + 1] == "off"))
            f.refuseBufferSize = args[++i] == "on";
        else if (key == "silent-meters" && i + 1 < args.size() && (args[i + 1] == "on" || args[i + 1] == "off"))
            f.silentMeters = args[++i] == "on";
        else
            return "error bad fault argument " + key;
    }
    switch (kind)
    {
        case Kind::nt:
            f.ntStatusCount = share >= 0 ? 0 : count;
            f.ntStatusShare = share >= 0 ? share : 0.0;
            break;
        case Kind::retval:
            if (retval == SimDevice::retvalBusy)
                f.busyCount = count;
            else
                f.errorRetval = retval, f.errorCount = count;
            break;
        case Kind::fail: f.failCount = count; break;
        case Kind::none: break;
    }
    device->setFaults (f);
    return "ok " + juce::JSON::toString (f.toVar(), true);
}

} // namespace arx::sim
