// A window removed (device unplugged) while its hardware thread is on its way out.

#include "device_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace arx::test
{
namespace
{

bool flashHoldsImage (sim::SimDevice& device, const SessionImage& image)
{
    const auto area = device.sessionArea();
    return area.size() == SessionImage::byteCount
           && std::memcmp (area.data(), image.bytes(), SessionImage::byteCount) == 0;
}

TEST (HardwareThreadDetach, WindowRemovedWhileTheThreadWaitsForTheMessageThreadStillWritesBack)
{
    DeviceRig rig;
    rig.state.setOutputGain (0, -5.0f);
    rig.device().takeRequestLog();
    rig.start();
    rig.thread->requestStop();

    // The thread now waits for the message thread, which does not run its loop but removes
    // the window: the destructor must neither hang nor drop the change.
    juce::Thread::sleep (100);
    rig.thread.reset();

    EXPECT_TRUE (flashHoldsImage (rig.device(), rig.state.image()));
    EXPECT_EQ (rig.device().flashLockValue(), 0u);

    // The message the thread left behind runs against nothing.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (rig.owner.progress.created, 0);
    EXPECT_EQ (rig.owner.finished.load(), 0);
}

// Starts a slow write-back of a changed state and returns once its first flash write has
// reached the device.
bool startSlowWriteBack (DeviceRig& rig)
{
    rig.state.setOutputGain (0, -5.0f);
    sim::SimFaults slow;
    slow.latencyMs = 10;
    rig.device().addFault (slow);
    rig.start();
    rig.thread->requestStop();

    if (! pumpUntil ([&] { return rig.owner.progress.created == 1; }))
        return false;
    const auto start = juce::Time::getMillisecondCounter();
    while (rig.device().flashWriteCount() == 0 && juce::Time::getMillisecondCounter() - start < 10000)
        juce::Thread::sleep (1);
    return rig.device().flashWriteCount() > 0;
}

TEST (HardwareThreadDetach, DeviceUnpluggedAndWindowRemovedDuringTheFlashWrite)
{
    DeviceRig rig;
    ASSERT_TRUE (startSlowWriteBack (rig));

    auto* device = &rig.device();
    rig.lab.lab.unplug (device->uniqueName());
    rig.thread.reset(); // the window goes on the message thread while the thread writes

    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (rig.owner.finished.load(), 0);
    EXPECT_EQ (rig.owner.progress.deleted, 1);
    EXPECT_LT (device->flashWriteCount(), 53);
}

TEST (HardwareThreadDetach, WindowRemovedWhileWritingCompletesTheWrite)
{
    DeviceRig rig;
    ASSERT_TRUE (startSlowWriteBack (rig));

    rig.thread.reset();

    EXPECT_EQ (rig.device().flashWriteCount(), 53);
    EXPECT_TRUE (flashHoldsImage (rig.device(), rig.state.image()));
    EXPECT_EQ (rig.device().flashLockValue(), 0u);
    EXPECT_EQ (rig.owner.progress.deleted, 1);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (rig.owner.finished.load(), 0);
}

TEST (HardwareThreadDetach, DeviceRemovalEndsTheWriteEarlyAndUnlocks)
{
    DeviceRig rig;
    ASSERT_TRUE (startSlowWriteBack (rig));

    rig.thread->abandonWriteBack();
    rig.thread.reset();

    EXPECT_LT (rig.device().flashWriteCount(), 53);
    EXPECT_EQ (rig.device().flashLockValue(), 0u);
    EXPECT_EQ (rig.owner.progress.deleted, 1);
}

TEST (HardwareThreadDetach, DeviceRemovedBeforeTheWriteBackSkipsIt)
{
    DeviceRig rig;
    rig.state.setOutputGain (0, -5.0f);
    rig.start();
    rig.thread->abandonWriteBack();
    rig.thread->requestStop();
    rig.thread.reset();

    EXPECT_EQ (rig.device().flashEraseCount(), 0);
    EXPECT_EQ (rig.owner.progress.created, 0);
}

} // namespace
} // namespace arx::test
