#pragma once

// The platform seam over the device bus: device interfaces are folders in the device directory
// (registry values as files, a `device` socket), a handle is one connection, DeviceIoControl one
// request frame and one reply frame, and device-change broadcasts come from inotify on the
// directory. Nothing here throws; every size read from the bus is bounded.

#include "platform/BusWire.h"
#include "platform/DeviceDirectory.h"
#include "platform/Platform.h"

#include <mutex>

namespace arx::platform
{

class AudioBusClient;

class DeviceBusPlatform : public Platform
{
public:
    // Uses deviceDirectory() unless a directory is given (a bare folder is trusted), and
    // lockFolders() for named locks unless folders are given (tried in order). A directory that
    // fails its check gives no devices, no device-change watch and no audio socket.
    DeviceBusPlatform();
    explicit DeviceBusPlatform (const juce::File& directory);
    DeviceBusPlatform (const juce::File& directory, juce::Array<juce::File> lockFolders);
    explicit DeviceBusPlatform (const DeviceDirectory& directory);
    DeviceBusPlatform (const DeviceDirectory& directory, juce::Array<juce::File> lockFolders);
    ~DeviceBusPlatform() override;

    std::unique_ptr<DeviceInfoSet> getClassDevs (const Guid& interfaceClass) override;
    std::unique_ptr<DeviceHandle> createFile (const juce::String& devicePath) override;
    std::unique_ptr<MessageWindow> createMessageWindow() override;
    // A lock file in the first lock folder where one can be made; `failure` names every path
    // tried when none can. A symbolic link or another user's file in the lock's place is not
    // used.
    NamedMutexResult createNamedMutex (const juce::String& name) override;

    // The lab's audio socket in the device directory: one connection, shared while anything
    // uses it, made again once it broke. Null when nothing serves the socket.
    std::shared_ptr<AudioService> audioService() override;

    const juce::File& directory() const noexcept { return dir; }

    // Frame limits: nothing larger is sent or accepted.
    static constexpr uint32_t maxFrameBytes = buswire::maxFrameBytes;
    // A reply slower than this ends the connection (the request fails).
    static constexpr int replyTimeoutMs = 10000;

    class DirectoryGuard;

private:
    juce::File dir;
    std::shared_ptr<DirectoryGuard> directoryGuard;
    juce::Array<juce::File> lockDirs;
    std::mutex audioLock;
    std::weak_ptr<AudioBusClient> audio;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceBusPlatform)
};

} // namespace arx::platform
