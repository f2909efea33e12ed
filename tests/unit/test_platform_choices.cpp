// Choices the platform layer makes: the single-instance lock on the device bus (a lock held
// elsewhere told apart from one that cannot be made, the lock folders tried in order) and the
// OS generation from JUCE's operating-system types.

#include "platform/DeviceBusPlatform.h"

#include <gtest/gtest.h>

using namespace arx::platform;

namespace
{
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
TEST (OsGeneration, VistaOrLaterFromJuceOperatingSystemTypes)
{
    using S = juce::SystemStats;
    for (auto type : { S::WinVista, S::Windows7, S::Windows8_0, S::Windows8_1, S::Windows10, S::Windows11 })
        EXPECT_TRUE (Platform::isVistaOrLaterType (type)) << std::hex << type;
    for (auto type : { S::Win2000, S::WinXP, S::Windows, S::Linux, S::MacOSX, S::MacOS_13, S::Android, S::UnknownOS })
        EXPECT_FALSE (Platform::isVistaOrLaterType (type)) << std::hex << type;
}
} // namespace
