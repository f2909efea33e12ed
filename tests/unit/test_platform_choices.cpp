// Choices the platform layer makes: the single-instance lock (a lock held elsewhere told apart
// from one that cannot be made; on the device bus the lock folders tried in order) and the OS
// generation from JUCE's operating-system types.

#include "platform/Platform.h"
#ifdef _WIN32
 #include "platform/win32/Win32Api.h"
 #include "platform/win32/Win32Platform.h"
#else
 #include "platform/DeviceBusPlatform.h"

 #include <fcntl.h>
 #include <sys/file.h>
 #include <unistd.h>
#endif

#include <gtest/gtest.h>

using namespace arx::platform;

namespace
{
#ifndef _WIN32 // the device bus's lock files
TEST (InstanceLock, FallsBackToTheNextFolderAndTellsAHeldLockFromAFailure)
{
    juce::TemporaryFile root;
    ASSERT_TRUE (root.getFile().createDirectory());
    const auto missing = root.getFile().getChildFile ("gone");
    const auto usable = root.getFile().getChildFile ("run");
    ASSERT_TRUE (usable.createDirectory());

    DeviceBusPlatform first (root.getFile(), { missing, usable });
    auto held = first.createNamedMutex ("Lock test");
    ASSERT_NE (held.mutex, nullptr) << held.failure;
    EXPECT_TRUE (held.failure.isEmpty());
    EXPECT_EQ (usable.findChildFiles (juce::File::findFiles, false).size(), 1);

    // The same folders, another process's view: held, not failed.
    DeviceBusPlatform second (root.getFile(), { missing, usable });
    const auto again = second.createNamedMutex ("Lock test");
    EXPECT_EQ (again.mutex, nullptr);
    EXPECT_TRUE (again.heldElsewhere);

    held.mutex.reset();
    EXPECT_NE (second.createNamedMutex ("Lock test").mutex, nullptr);

    // No folder works: a failure that names every path tried.
    const auto alsoMissing = missing.getChildFile ("deeper");
    DeviceBusPlatform none (root.getFile(), { missing, alsoMissing });
    const auto failed = none.createNamedMutex ("Lock test");
    EXPECT_EQ (failed.mutex, nullptr);
    EXPECT_FALSE (failed.heldElsewhere);
    EXPECT_TRUE (failed.failure.contains (missing.getFullPathName())) << failed.failure;
    EXPECT_TRUE (failed.failure.contains (alsoMissing.getFullPathName())) << failed.failure;
}

TEST (InstanceLock, ALinkOrAnotherUsersFileInItsPlaceIsNotUsed)
{
    juce::TemporaryFile root;
    ASSERT_TRUE (root.getFile().createDirectory());
    const auto shared = root.getFile().getChildFile ("tmp");
    const auto usable = root.getFile().getChildFile ("run");
    ASSERT_TRUE (shared.createDirectory() && usable.createDirectory());
    const auto lockFile = shared.getChildFile ("arx-" + juce::String ((int) ::getuid()) + "-Lock_test.lock");
    const auto target = root.getFile().getChildFile ("someone's file");
    ASSERT_EQ (::symlink (target.getFullPathName().toRawUTF8(), lockFile.getFullPathName().toRawUTF8()), 0);

    DeviceBusPlatform bus (root.getFile(), { shared });
    const auto linked = bus.createNamedMutex ("Lock test");
    EXPECT_EQ (linked.mutex, nullptr);
    EXPECT_FALSE (linked.heldElsewhere);
    EXPECT_TRUE (linked.failure.contains ("the instance lock " + lockFile.getFullPathName() + " is a symbolic link"))
        << linked.failure;
    EXPECT_FALSE (target.exists());

    // Another user's file, held by its owner: theirs, not another instance of ours.
    if (::getuid() != 0)
        GTEST_SKIP() << "a file of another user needs root";
    ASSERT_TRUE (lockFile.deleteFile() && lockFile.create());
    ASSERT_EQ (::chown (lockFile.getFullPathName().toRawUTF8(), 65534, 65534), 0);
    const int theirs = ::open (lockFile.getFullPathName().toRawUTF8(), O_RDWR | O_CLOEXEC);
    ASSERT_GE (theirs, 0);
    ASSERT_EQ (::flock (theirs, LOCK_EX | LOCK_NB), 0);
    const auto foreign = bus.createNamedMutex ("Lock test");
    EXPECT_EQ (foreign.mutex, nullptr);
    EXPECT_FALSE (foreign.heldElsewhere);
    EXPECT_TRUE (foreign.failure.contains ("the instance lock " + lockFile.getFullPathName() + " belongs to user 65534"))
        << foreign.failure;

    // The next folder is ours.
    DeviceBusPlatform withNext (root.getFile(), { shared, usable });
    EXPECT_NE (withNext.createNamedMutex ("Lock test").mutex, nullptr);
    ::close (theirs);
}
#else
TEST (InstanceLock, TellsAHeldLockFromOneThatCannotBeMade)
{
    win32::Win32Platform platform;
    const juce::String name = "ARX lock test " + juce::String ((int) ::GetCurrentProcessId());

    auto held = platform.createNamedMutex (name);
    ASSERT_NE (held.mutex, nullptr) << held.failure;
    const auto again = platform.createNamedMutex (name);
    EXPECT_EQ (again.mutex, nullptr);
    EXPECT_TRUE (again.heldElsewhere);
    EXPECT_TRUE (again.failure.isEmpty());
    held.mutex.reset();
    EXPECT_NE (platform.createNamedMutex (name).mutex, nullptr);

    // The name taken by an object of another kind, and a namespace that does not exist: failures
    // with the reason, not a held lock.
    const HANDLE event = ::CreateEventW (nullptr, TRUE, FALSE, (name + " taken").toWideCharPointer());
    ASSERT_NE (event, nullptr);
    for (const auto& unusable : { name + " taken", "No such namespace\\" + name })
    {
        const auto failed = platform.createNamedMutex (unusable);
        EXPECT_EQ (failed.mutex, nullptr) << unusable;
        EXPECT_FALSE (failed.heldElsewhere) << unusable;
        EXPECT_TRUE (failed.failure.contains (unusable)) << failed.failure;
    }
    ::CloseHandle (event);
}
#endif

TEST (OsGeneration, VistaOrLaterFromJuceOperatingSystemTypes)
{
    using S = juce::SystemStats;
    for (auto type : { S::WinVista, S::Windows7, S::Windows8_0, S::Windows8_1, S::Windows10, S::Windows11 })
        EXPECT_TRUE (Platform::isVistaOrLaterType (type)) << std::hex << type;
    for (auto type : { S::Win2000, S::WinXP, S::Windows, S::Linux, S::MacOSX, S::MacOS_13, S::Android, S::UnknownOS })
        EXPECT_FALSE (Platform::isVistaOrLaterType (type)) << std::hex << type;
}
} // namespace
