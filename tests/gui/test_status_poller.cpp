// The console window's status poller against a device of the in-process lab.

#include "device_test_support.h"
#include "mixer/StatusPoller.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{
constexpr const char* driverInfoKey = "3"; // the lab's count of driver information requests

class CountingContent : public juce::Component
{
public:
    void handleCommandMessage (int) override { ++messages; }
    int messages = 0;
};

struct PollerRig : DeviceRig
{
    // As while the settings page is shown: the driver's information on every poll.
    PollerRig()
    {
        poller.setDriverInfoEveryPoll (true);
        start();
    }
    // The thread goes before the poller it may still be running.
    ~PollerRig() { thread.reset(); }

    // Queues one poll and waits until the device has answered all of it.
    void poll (int expectedMessages)
    {
        device().takeRequestLog();
        thread->queueGet (poller);
        ASSERT_TRUE (pumpUntil ([&] { return ! thread->isThreadRunning() || sentAll(); }));
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_EQ (content.messages, expectedMessages);
    }

    bool sentAll()
    {
        for (const auto& r : device().takeRequestLog())
            if (r.code == platform::IOCTL_ARX_DRIVER_REQUEST
                || (r.code == platform::IOCTL_ARX_GWC_TRANSACTION && failMeters))
                return true;
        return false;
    }

    CountingContent content;
    StatusPoller poller { *thread, *lab.device, content };
    bool failMeters = false;
};

TEST (StatusPoller, GoodPollTellsTheContentAndFailuresClearTheFlag)
{
    PollerRig rig;
    rig.poll (1);
    EXPECT_TRUE (rig.poller.isDataValid());

    // Driver information fails: no message, flag cleared.
    auto* device = &rig.device();
    rig.lab.hook.before = [device] (uint32_t code, const uint32_t*) {
        if (code == platform::IOCTL_ARX_DRIVER_REQUEST)
        {
            sim::SimFaults fail;
            fail.failCount = 1;
            device->addFault (fail);
        }
    };
    rig.poll (1);
    EXPECT_FALSE (rig.poller.isDataValid());
    rig.lab.hook.before = nullptr;

    rig.poll (2);
    EXPECT_TRUE (rig.poller.isDataValid());

    // The meter poll fails: the driver is not even asked.
    sim::SimFaults error;
    error.errorRetval = 2;
    error.errorCount = 1;
    rig.device().addFault (error);
    rig.failMeters = true;
    rig.poll (2);
    EXPECT_FALSE (rig.poller.isDataValid());
}

// The hardware thread paces the poll itself while polling is on, and the content hears only
// of values that changed (and of unchanged ones once a second).
struct PacedRig : DeviceRig
{
    static constexpr int intervalMs = 20;

    PacedRig()
    {
        thread->setPoller (poller, intervalMs);
        start();
    }
    ~PacedRig() { thread.reset(); }

    int polls() { return device().requestCount ("0/1"); }
    void setSilent (bool silent)
    {
        auto faults = device().faults();
        faults.silentMeters = silent;
        device().setFaults (faults);
    }

    CountingContent content;
    StatusPoller poller { *thread, *lab.device, content };
};

TEST (StatusPoller, TheThreadPollsWhileOnAndTheContentHearsOnlyOfChanges)
{
    PacedRig rig;
    rig.setSilent (true);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (5 * PacedRig::intervalMs);
    EXPECT_EQ (rig.polls(), 0) << "polling starts off";

    rig.thread->setPolling (true);
    ASSERT_TRUE (pumpUntil ([&] { return rig.polls() >= 8; }));
    EXPECT_EQ (rig.content.messages, 1) << "still meters: only the first poll is news";

    rig.setSilent (false);
    ASSERT_TRUE (pumpUntil ([&] { return rig.content.messages >= 4; }));

    {
        const HardwareThread::PollPause pause;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (2 * PacedRig::intervalMs);
        const int before = rig.polls();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (6 * PacedRig::intervalMs);
        EXPECT_EQ (rig.polls(), before) << "a firmware update has the device to itself";
    }
    ASSERT_TRUE (pumpUntil ([&, resumed = rig.polls()] { return rig.polls() >= resumed + 3; }));

    // The mixer pages do not show the driver's information: read once a second of polls, not
    // on each.
    const int pollsBefore = rig.polls(), infoBefore = rig.device().requestCount (driverInfoKey);
    ASSERT_TRUE (pumpUntil ([&] { return rig.polls() >= pollsBefore + 30; }));
    const int infoReads = rig.device().requestCount (driverInfoKey) - infoBefore;
    EXPECT_GE (infoReads, 2);
    EXPECT_LE (infoReads, 4);

    rig.thread->setPolling (false);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (2 * PacedRig::intervalMs);
    const int stopped = rig.polls();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (6 * PacedRig::intervalMs);
    EXPECT_EQ (rig.polls(), stopped);
}

TEST (StatusPoller, SetTellsTheDeviceTheWindowIsActive)
{
    PollerRig rig;
    rig.device().takeRequestLog();
    rig.thread->queueSet (rig.poller);
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().requestCount ("3/5") == 1; }));
}

} // namespace
} // namespace arx::test
