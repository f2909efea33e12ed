// The device directory's fallback in the shared temporary folder, which any local user can
// make first: a folder of another user, one open to others, or a link in its place is refused
// by the console and by the lab; a private one works, and both make theirs private.

#include "integration/bus_test_fixture.h"
#include "sim/BusServer.h"
#include "sim/DeviceLab.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace arx::platform;
using arx::bustest::BusTest;

namespace
{
constexpr uid_t nobody = 65534;

struct CapturedLog : juce::Logger
{
    CapturedLog() { juce::Logger::setCurrentLogger (this); }
    ~CapturedLog() override { juce::Logger::setCurrentLogger (nullptr); }

    void logMessage (const juce::String& message) override
    {
        const juce::ScopedLock sl (lock);
        text << message << "\n";
    }

    juce::String lines()
    {
        const juce::ScopedLock sl (lock);
        return text;
    }

    juce::CriticalSection lock;
    juce::String text;
};

int modeOf (const juce::File& f)
{
    struct stat st {};
    return ::lstat (f.getFullPathName().toRawUTF8(), &st) == 0 ? (int) (st.st_mode & 07777) : -1;
}

// The fallback as chosen with `root` standing for /tmp.
struct SharedFolderTest : BusTest
{
    juce::File root;

    void SetUp() override
    {
        BusTest::SetUp();
        root = dir;
        const auto shared = deviceDirectoryFor ({}, {}, root);
        ASSERT_EQ (shared.check, DeviceDirectory::Check::refuse);
        dir = shared.folder;
    }

    void TearDown() override
    {
        BusTest::TearDown();
        root.deleteRecursively();
    }

    // Nothing of the folder reaches the console: no device listed or opened, no watch, no audio.
    static void expectRefused (const juce::File& folder, const juce::String& problem)
    {
        CapturedLog log;
        DeviceBusPlatform bus (DeviceDirectory { folder, DeviceDirectory::Check::refuse });
        DeviceInterfaceData d;
        EXPECT_FALSE (bus.getClassDevs (ARX_INTERFACE_CLASS)->enumDeviceInterface (0, d)) << problem;
        EXPECT_EQ (bus.createFile (folder.getChildFile ("Planted").getFullPathName()), nullptr) << problem;
        auto window = bus.createMessageWindow();
        ASSERT_NE (window, nullptr);
        EXPECT_FALSE (window->registerDeviceNotification (ARX_INTERFACE_CLASS)) << problem;
        EXPECT_EQ (bus.audioService(), nullptr) << problem;
        EXPECT_TRUE (log.lines().contains ("the device folder " + folder.getFullPathName() + " " + problem)) << log.lines();
    }
};

TEST_F (SharedFolderTest, AnotherUsersFolderOneOpenToOthersOrALinkIsRefusedAndNoDeviceOpens)
{
    startDaemon ({ "arx:Planted" }); // what the folder's maker serves in it
    const auto path = dir.getFullPathName().toRawUTF8();

    ASSERT_EQ (::chmod (path, 0777), 0);
    expectRefused (dir, "is open to other users (mode 0777)");
    ASSERT_EQ (::chmod (path, 0700), 0);

    if (::getuid() == 0)
    {
        ASSERT_EQ (::chown (path, nobody, nobody), 0);
        expectRefused (dir, "belongs to user " + juce::String ((int) nobody));
        ASSERT_EQ (::chown (path, 0, 0), 0);
    }

    const auto link = root.getChildFile ("arx-devices-link");
    ASSERT_EQ (::symlink (path, link.getFullPathName().toRawUTF8()), 0);
    expectRefused (link, "is a symbolic link");

    // The user's own setting is used all the same, with the problem logged.
    {
        CapturedLog log;
        DeviceBusPlatform chosen (deviceDirectoryFor (link.getFullPathName(), {}, root));
        DeviceInterfaceData d;
        ASSERT_TRUE (chosen.getClassDevs (ARX_INTERFACE_CLASS)->enumDeviceInterface (0, d));
        EXPECT_NE (chosen.createFile (d.devicePath), nullptr);
        EXPECT_TRUE (log.lines().contains (link.getFullPathName() + " is a symbolic link")) << log.lines();
    }

    // The private folder: everything as before, and nothing logged.
    CapturedLog log;
    DeviceBusPlatform shared (deviceDirectoryFor ({}, {}, root));
    DeviceInterfaceData d;
    auto set = shared.getClassDevs (ARX_INTERFACE_CLASS);
    ASSERT_TRUE (set->enumDeviceInterface (0, d));
    EXPECT_EQ (d.devicePath, this->path ("Planted"));
    EXPECT_NE (shared.createFile (d.devicePath), nullptr);
    auto window = shared.createMessageWindow();
    ASSERT_NE (window, nullptr);
    EXPECT_TRUE (window->registerDeviceNotification (ARX_INTERFACE_CLASS));
    EXPECT_NE (shared.audioService(), nullptr);
    EXPECT_TRUE (log.lines().isEmpty()) << log.lines();
}

TEST_F (SharedFolderTest, TheLabServesOnlyAPrivateFolderAndKeepsItsEntriesPrivate)
{
    {
        // The console makes the missing folder for itself alone.
        DeviceBusPlatform console (deviceDirectoryFor ({}, {}, root));
        console.getClassDevs (ARX_INTERFACE_CLASS);
        EXPECT_EQ (modeOf (dir), 0700);
        ASSERT_TRUE (dir.deleteRecursively());
    }

    arx::sim::DeviceLab lab;
    {
        arx::sim::BusServer server (lab, deviceDirectoryFor ({}, {}, root));
        juce::String error;
        ASSERT_TRUE (server.start (error)) << error;
        EXPECT_TRUE (server.directoryWarning().isEmpty());
        EXPECT_EQ (modeOf (dir), 0700);
        EXPECT_EQ (modeOf (dir.getChildFile (arx::sim::BusServer::controlSocketName)), 0600);

        arx::sim::PlugOptions mine;
        mine.uniqueName = "Mine";
        ASSERT_NE (lab.plug (mine), nullptr);
        EXPECT_EQ (modeOf (server.entryFor ("Mine")), 0700);
        EXPECT_EQ (modeOf (server.entryFor ("Mine").getChildFile ("device")), 0600);
        server.stop();
    }

    ASSERT_EQ (::chmod (dir.getFullPathName().toRawUTF8(), 0777), 0);
    const auto problem = "the device folder " + dir.getFullPathName() + " is open to other users (mode 0777)";
    {
        arx::sim::BusServer refusing (lab, deviceDirectoryFor ({}, {}, root));
        juce::String error;
        EXPECT_FALSE (refusing.start (error));
        EXPECT_TRUE (error.contains (problem)) << error;
        EXPECT_FALSE (dir.getChildFile (arx::sim::BusServer::controlSocketName).exists());
        EXPECT_FALSE (refusing.entryFor ("Mine").exists());
    }
    // --dir or $ARX_DEVICE_DIR: served, with a warning.
    arx::sim::BusServer chosen (lab, deviceDirectoryFor (dir.getFullPathName(), {}, root));
    juce::String error;
    ASSERT_TRUE (chosen.start (error)) << error;
    EXPECT_TRUE (chosen.directoryWarning().contains (problem)) << chosen.directoryWarning();
    chosen.stop();
    lab.unplugAll();
}
} // namespace
