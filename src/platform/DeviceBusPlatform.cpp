#include "platform/DeviceBusPlatform.h"

#include "platform/AudioBusClient.h"
#include "platform/AudioWire.h"
#include "platform/BusWire.h"
#include "platform/DeviceDirectory.h"
#include "platform/MessageQueue.h"
#include "platform/linux/SessionEndSignal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace arx::platform
{
namespace
{
constexpr const char* socketName = "device";

bool isEntryName (const juce::String& name) { return name.isNotEmpty() && ! name.startsWithChar ('.'); }

bool isSocket (const juce::File& f)
{
    struct stat st {};
    return ::stat (f.getFullPathName().toRawUTF8(), &st) == 0 && S_ISSOCK (st.st_mode);
}

// Reads at most `limit` bytes of a file; false when it cannot be read or is longer.
bool readSmallFile (const juce::File& file, std::vector<uint8_t>& data, size_t limit)
{
    const int fd = ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    data.assign (limit + 1, 0);
    size_t got = 0;
    while (got < data.size())
    {
        const auto n = ::read (fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += (size_t) n;
    }
    ::close (fd);
    if (got > limit)
        return false;
    data.resize (got);
    return true;
}

class BusKey : public RegistryKey
{
public:
    explicit BusKey (juce::File f) : folder (std::move (f)) {}

    // RegQueryValueExA: the value's bytes as stored (a string value keeps its terminator, if it
    // has one), failing when they do not fit.
    bool queryValue (const char* valueName, void* buffer, uint32_t& size) override
    {
        if (valueName == nullptr || buffer == nullptr)
            return false;
        const juce::String name (valueName);
        if (name.isEmpty() || name.containsAnyOf ("/\\") || name.startsWithChar ('.'))
            return false;
        std::vector<uint8_t> data;
        if (! readSmallFile (folder.getChildFile (name), data, 4096))
            return false;
        if (data.size() > size)
            return false;
        std::memcpy (buffer, data.data(), data.size());
        size = (uint32_t) data.size();
        return true;
    }

private:
    juce::File folder;
};

class BusInfoSet : public DeviceInfoSet
{
public:
    explicit BusInfoSet (juce::StringArray p) : paths (std::move (p)) {}

    bool enumDeviceInterface (int index, DeviceInterfaceData& data) override
    {
        if (index < 0 || index >= paths.size())
            return false;
        data.devicePath = paths[index];
        return true;
    }

    std::unique_ptr<RegistryKey> openInterfaceRegKey (const DeviceInterfaceData& data) override
    {
        if (! paths.contains (data.devicePath))
            return nullptr;
        juce::File folder (data.devicePath);
        if (! folder.isDirectory())
            return nullptr;
        return std::make_unique<BusKey> (folder);
    }

private:
    juce::StringArray paths;
};

} // namespace

// Checked before each use: a folder another user took over later is refused then. A problem is
// reported once, until it changes. Any thread.
class DeviceBusPlatform::DirectoryGuard
{
public:
    explicit DirectoryGuard (DeviceDirectory d) : directory (std::move (d)) {}

    const juce::File& folder() const noexcept { return directory.folder; }

    bool usable()
    {
        juce::String problem;
        const bool ok = prepareDeviceDirectory (directory, problem);
        const std::lock_guard<std::mutex> guard (lock);
        if (problem != reported)
        {
            reported = problem;
            if (problem.isNotEmpty() && ok)
                juce::Logger::writeToLog ("Platform - " + problem);
            else if (problem.isNotEmpty())
                refuse (problem);
        }
        return ok;
    }

private:
    static void refuse (const juce::String& problem)
    {
        // The user must learn why no device shows up.
        const auto text = problem + ": it is not used, so no devices are";
        juce::Logger::writeToLog ("Platform - " + text);
        std::cerr << text << std::endl;
    }

    const DeviceDirectory directory;
    std::mutex lock;
    juce::String reported;
};

namespace
{
// One connection = one open handle. A broken or desynchronised stream is closed for good:
// later requests on the handle fail, as they would on a device that went away.
class BusHandle : public DeviceHandle
{
public:
    explicit BusHandle (int s) : fd (s) {}
    ~BusHandle() override
    {
        if (fd >= 0)
            ::close (fd);
    }

    bool deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                          uint32_t outSize, uint32_t& returned) override
    {
        returned = 0;
        if (in == nullptr)
            inSize = 0;
        if (out == nullptr)
            outSize = 0;
        if (inSize > DeviceBusPlatform::maxFrameBytes || outSize > DeviceBusPlatform::maxFrameBytes)
            return false;

        const std::lock_guard<std::mutex> guard (lock);
        if (fd < 0)
            return false;

        if (! buswire::sendRequest (fd, code, in, inSize, outSize))
            return fail();
        bool success = false;
        if (! buswire::receiveReply (fd, out, outSize, success, returned))
            return fail(); // never trust the rest of the stream
        return success;
    }

private:
    bool fail()
    {
        ::close (fd);
        fd = -1;
        return false;
    }

    int fd;
    std::mutex lock;
};

int connectTo (const juce::File& socketFile)
{
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    const auto path = socketFile.getFullPathName();
    if ((size_t) path.getNumBytesAsUTF8() >= sizeof (addr.sun_path))
        return -1;
    std::strncpy (addr.sun_path, path.toRawUTF8(), sizeof (addr.sun_path) - 1);

    const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) != 0)
    {
        ::close (fd);
        return -1;
    }
    timeval tv {};
    tv.tv_sec = DeviceBusPlatform::replyTimeoutMs / 1000;
    tv.tv_usec = (DeviceBusPlatform::replyTimeoutMs % 1000) * 1000;
    ::setsockopt (fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof (tv));
    ::setsockopt (fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof (tv));
    return fd;
}

// The notification window: a queue woken through an eventfd, fed by posted messages, by the end
// of the session (SIGTERM) and, once registered, by inotify events of the device directory.
// getMessage runs on the window's own thread; postMessage on any thread.
class BusMessageWindow : public MessageWindow, private SessionEndSignal::Subscriber
{
public:
    explicit BusMessageWindow (std::shared_ptr<DeviceBusPlatform::DirectoryGuard> g)
        : directoryGuard (std::move (g)), dir (directoryGuard->folder())
    {
        wakeFd = ::eventfd (0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd >= 0)
            SessionEndSignal::subscribe (this);
    }

    ~BusMessageWindow() override
    {
        SessionEndSignal::unsubscribe (this);
        unregisterDeviceNotification();
        if (wakeFd >= 0)
            ::close (wakeFd);
    }

    bool isValid() const noexcept { return wakeFd >= 0; }

    bool getMessage (Win32Message& message) override
    {
        for (;;)
        {
            const auto taken = queue.tryTake (message);
            if (taken != MessageQueue::Taken::empty)
                return taken == MessageQueue::Taken::message;
            waitForEvents();
        }
    }

    void postMessage (uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        if (queue.post (message, wParam, lParam))
            wake();
    }

    bool registerDeviceNotification (const Guid& interfaceClass) override
    {
        if (! (interfaceClass == ARX_INTERFACE_CLASS))
            return false;
        const std::lock_guard<std::mutex> guard (lock);
        if (inotifyFd >= 0)
            return true;
        if (! directoryGuard->usable())
            return false;
        inotifyFd = ::inotify_init1 (IN_NONBLOCK | IN_CLOEXEC);
        if (inotifyFd < 0)
            return false;
        const auto mask = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_ONLYDIR;
        if (::inotify_add_watch (inotifyFd, dir.getFullPathName().toRawUTF8(), mask) < 0)
        {
            ::close (inotifyFd);
            inotifyFd = -1;
            return false;
        }
        wake();
        return true;
    }

    void unregisterDeviceNotification() override
    {
        {
            const std::lock_guard<std::mutex> guard (lock);
            if (inotifyFd < 0)
                return;
            ::close (inotifyFd);
            inotifyFd = -1;
        }
        wake();
    }

private:
    // Any subscriber's thread, under the relay's lock.
    void sessionEnds() override
    {
        if (queue.post (WM_QUERYENDSESSION, 0, 0) && queue.post (WM_ENDSESSION, 1, 0))
            wake();
    }

    void wake()
    {
        const uint64_t one = 1;
        [[maybe_unused]] auto n = ::write (wakeFd, &one, sizeof (one));
    }

    void waitForEvents()
    {
        int watchFd = -1;
        {
            const std::lock_guard<std::mutex> guard (lock);
            watchFd = inotifyFd;
        }
        pollfd fds[3] = { { wakeFd, POLLIN, 0 },
                          { SessionEndSignal::pollFd(), POLLIN, 0 },
                          { watchFd, POLLIN, 0 } };
        // A watch registered or dropped meanwhile wakes the wait.
        const int ready = ::poll (fds, watchFd >= 0 ? 3 : 2, -1);
        if (ready <= 0)
            return;
        if ((fds[0].revents & POLLIN) != 0)
        {
            uint64_t value = 0;
            [[maybe_unused]] auto n = ::read (wakeFd, &value, sizeof (value));
        }
        if ((fds[1].revents & POLLIN) != 0)
            SessionEndSignal::drain();
        if (watchFd >= 0 && (fds[2].revents & POLLIN) != 0)
            readWatchEvents();
    }

    void readWatchEvents()
    {
        alignas (inotify_event) char buffer[4096];
        const std::lock_guard<std::mutex> guard (lock);
        if (inotifyFd < 0)
            return;
        for (;;)
        {
            const auto n = ::read (inotifyFd, buffer, sizeof (buffer));
            if (n <= 0)
                return;
            for (ssize_t at = 0; at + (ssize_t) sizeof (inotify_event) <= n;)
            {
                const auto* e = reinterpret_cast<const inotify_event*> (buffer + at);
                at += (ssize_t) (sizeof (inotify_event) + e->len);
                if (at > n || e->len == 0 || (e->mask & IN_ISDIR) == 0)
                    continue;
                const juce::String name (juce::CharPointer_UTF8 (e->name), std::strlen (e->name));
                if (! isEntryName (name))
                    continue;
                const auto path = dir.getChildFile (name).getFullPathName();
                if ((e->mask & (IN_CREATE | IN_MOVED_TO)) != 0)
                    queue.postDeviceChange (DBT_DEVICEARRIVAL, path);
                else if ((e->mask & (IN_DELETE | IN_MOVED_FROM)) != 0)
                    queue.postDeviceRemoval (path);
            }
        }
    }

    const std::shared_ptr<DeviceBusPlatform::DirectoryGuard> directoryGuard;
    const juce::File dir;
    MessageQueue queue;
    std::mutex lock; // guards inotifyFd
    int wakeFd = -1;
    int inotifyFd = -1;
};

// What makes a lock file not ours: a symbolic link or another user's file in its place. Looks
// at the open file when there is one, else at the name (the open may have failed because of it).
juce::String lockFileProblem (const juce::String& path, int fd)
{
    struct stat st {};
    if (fd >= 0 ? ::fstat (fd, &st) != 0 : ::lstat (path.toRawUTF8(), &st) != 0)
        return {};
    const auto named = "the instance lock " + path;
    if (S_ISLNK (st.st_mode))
        return named + " is a symbolic link";
    if (st.st_uid != ::getuid())
        return named + " belongs to user " + juce::String ((int) st.st_uid);
    if (! S_ISREG (st.st_mode))
        return named + " is not a file";
    return {};
}

class LockFileMutex : public NamedMutex
{
public:
    explicit LockFileMutex (int f) : fd (f) {}
    ~LockFileMutex() override { ::close (fd); } // closing drops the lock

private:
    int fd;
};
} // namespace

DeviceBusPlatform::DeviceBusPlatform() : DeviceBusPlatform (deviceDirectory()) {}
DeviceBusPlatform::DeviceBusPlatform (const juce::File& directory) : DeviceBusPlatform (directory, lockFolders()) {}
DeviceBusPlatform::DeviceBusPlatform (const juce::File& directory, juce::Array<juce::File> lockFolders)
    : DeviceBusPlatform (DeviceDirectory { directory, DeviceDirectory::Check::none }, std::move (lockFolders))
{
}
DeviceBusPlatform::DeviceBusPlatform (const DeviceDirectory& directory) : DeviceBusPlatform (directory, lockFolders()) {}
DeviceBusPlatform::DeviceBusPlatform (const DeviceDirectory& directory, juce::Array<juce::File> lockFolders)
    : dir (directory.folder), directoryGuard (std::make_shared<DirectoryGuard> (directory)), lockDirs (std::move (lockFolders))
{
}
DeviceBusPlatform::~DeviceBusPlatform() = default;

std::unique_ptr<DeviceInfoSet> DeviceBusPlatform::getClassDevs (const Guid& interfaceClass)
{
    juce::StringArray paths;
    if (interfaceClass == ARX_INTERFACE_CLASS && directoryGuard->usable())
    {
        for (const auto& entry : juce::RangedDirectoryIterator (dir, false, "*", juce::File::findDirectories))
        {
            const auto& folder = entry.getFile();
            if (isEntryName (folder.getFileName()) && isSocket (folder.getChildFile (socketName)))
                paths.add (folder.getFullPathName());
        }
        paths.sort (false);
    }
    return std::make_unique<BusInfoSet> (std::move (paths));
}

std::unique_ptr<DeviceHandle> DeviceBusPlatform::createFile (const juce::String& devicePath)
{
    if (! juce::File::isAbsolutePath (devicePath) || ! directoryGuard->usable())
        return nullptr;
    const int fd = connectTo (juce::File (devicePath).getChildFile (socketName));
    if (fd < 0)
        return nullptr;
    return std::make_unique<BusHandle> (fd);
}

std::unique_ptr<MessageWindow> DeviceBusPlatform::createMessageWindow()
{
    auto window = std::make_unique<BusMessageWindow> (directoryGuard);
    if (! window->isValid())
        return nullptr;
    return window;
}

NamedMutexResult DeviceBusPlatform::createNamedMutex (const juce::String& name)
{
    juce::String safe;
    for (auto c : name)
        safe << (juce::CharacterFunctions::isLetterOrDigit (c) ? juce::String::charToString (c) : "_");
    const auto fileName = "arx-" + juce::String ((int) getuid()) + "-" + safe + ".lock";

    NamedMutexResult result;
    juce::StringArray problems;
    for (const auto& folder : lockDirs)
    {
        const auto path = folder.getChildFile (fileName).getFullPathName();
        // Another user's file in /tmp could be held forever, or a link lead anywhere.
        const int fd = ::open (path.toRawUTF8(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        const int openError = errno;
        const auto foreign = lockFileProblem (path, fd);
        if (fd < 0 || foreign.isNotEmpty())
        {
            problems.add (foreign.isNotEmpty() ? foreign : path + " (" + juce::String (std::strerror (openError)) + ")");
            if (fd >= 0)
                ::close (fd);
            continue;
        }
        if (::flock (fd, LOCK_EX | LOCK_NB) != 0)
        {
            const bool held = errno == EWOULDBLOCK;
            problems.add (path + " (" + juce::String (std::strerror (errno)) + ")");
            ::close (fd);
            if (held)
            {
                result.heldElsewhere = true;
                return result;
            }
            continue;
        }
        result.mutex = std::make_unique<LockFileMutex> (fd);
        return result;
    }

    result.failure = "no lock file could be made: " + (problems.isEmpty() ? juce::String ("no folder to put it in")
                                                                          : problems.joinIntoString ("; "));
    return result;
}

std::shared_ptr<AudioService> DeviceBusPlatform::audioService()
{
    const std::lock_guard<std::mutex> guard (audioLock);
    auto client = audio.lock();
    if ((client == nullptr || client->isBroken()) && directoryGuard->usable())
    {
        client = AudioBusClient::connect (dir.getChildFile (audiowire::socketName));
        audio = client;
    }
    return client;
}

} // namespace arx::platform
