// The hardware thread's queues against a device of the in-process lab.

#include "device_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

constexpr uint32_t catOutput = 4, cmdSetGain = 0, cmdSetMute = 2, cmdGetMute = 3;

bool isOutputGain (const SentCommand& c, uint32_t channel)
{
    return isCommand (c, catOutput, cmdSetGain) && ! c.params.empty() && c.params[0] == channel;
}

bool isOutputMute (const SentCommand& c, uint32_t channel)
{
    return isCommand (c, catOutput, cmdSetMute) && ! c.params.empty() && c.params[0] == channel;
}

TEST (HardwareThreadQueue, ControlQueuedTwiceIsSentOnceAndStoredEachTime)
{
    DeviceRig rig;
    ASSERT_EQ (rig.readResult, 0);
    rig.device().takeRequestLog();

    OutputMuteCtrl mute (*rig.thread, 1);
    OutputMuteCtrl last (*rig.thread, 3);
    rig.thread->queueSet (mute);
    rig.thread->queueSet (mute);
    rig.thread->queueSet (last);
    rig.start();

    ASSERT_TRUE (pumpUntil ([&] { return last.sets.load() == 1; }));
    EXPECT_EQ (mute.sets.load(), 1);
    EXPECT_EQ (mute.stores.load(), 2); // every queueing stores the shown value first

    const auto sent = takeCommands (rig.device());
    ASSERT_EQ (sent.size(), 2u);
    EXPECT_TRUE (isOutputMute (sent[0], 1));
    EXPECT_TRUE (isOutputMute (sent[1], 3));
    EXPECT_EQ (rig.device().mixer().outputMute[1], 1);
}

TEST (HardwareThreadQueue, BankedControlSendsOneBankPerTurnLowestFirst)
{
    DeviceRig rig;
    rig.device().takeRequestLog();

    OutputGainCtrl gains (*rig.thread);
    OutputMuteCtrl muteA (*rig.thread, 0);
    OutputMuteCtrl muteB (*rig.thread, 1);
    rig.state.setOutputGain (0, -6.0f);
    rig.state.setOutputGain (2, -12.0f);
    rig.state.setOutputGain (4, -18.0f);
    gains.markBank (4);
    gains.markBanks (0, 4, 2);
    EXPECT_EQ (gains.getPendingBanks(), 0b10101u);

    rig.thread->queueSet (gains);
    rig.thread->queueSet (muteA);
    rig.thread->queueSet (muteB);
    rig.start();

    ASSERT_TRUE (pumpUntil ([&] { return gains.getPendingBanks() == 0 && muteB.sets.load() == 1; }));
    juce::Thread::sleep (50); // a stray extra command would show up here

    const auto sent = takeCommands (rig.device());
    ASSERT_EQ (sent.size(), 5u);
    EXPECT_TRUE (isOutputGain (sent[0], 0));
    EXPECT_TRUE (isOutputMute (sent[1], 0));
    EXPECT_TRUE (isOutputMute (sent[2], 1));
    EXPECT_TRUE (isOutputGain (sent[3], 2));
    EXPECT_TRUE (isOutputGain (sent[4], 4));

    const auto mixer = rig.device().mixer();
    EXPECT_EQ (mixer.outputGain[0], rig.state.image().outputGain[0]);
    EXPECT_EQ (mixer.outputGain[2], rig.state.image().outputGain[2]);
    EXPECT_EQ (mixer.outputGain[4], rig.state.image().outputGain[4]);
}

TEST (HardwareThreadQueue, TimedOutBankIsRetriedAfterAPauseAndNotLost)
{
    DeviceRig rig;
    rig.device().takeRequestLog();

    OutputGainCtrl gains (*rig.thread);
    rig.state.setOutputGain (0, -3.0f);
    rig.state.setOutputGain (2, -9.0f);
    gains.markBank (0);
    gains.markBank (2);

    sim::SimFaults timeout;
    timeout.ntStatus = 0x102;
    timeout.ntStatusCount = 1;
    rig.device().addFault (timeout);

    rig.thread->queueSet (gains);
    rig.start();

    ASSERT_TRUE (pumpUntil ([&] { return rig.device().mixer().outputGain[2] == rig.state.image().outputGain[2]; }));

    const auto sent = takeCommands (rig.device());
    ASSERT_EQ (sent.size(), 3u);
    EXPECT_TRUE (isOutputGain (sent[0], 0)); // timed out
    EXPECT_TRUE (isOutputGain (sent[1], 0)); // the same bank again, not skipped
    EXPECT_TRUE (isOutputGain (sent[2], 2));
    EXPECT_EQ (rig.device().mixer().outputGain[0], rig.state.image().outputGain[0]);
    // The retry came after the pause, by the device's own log (a pause can only grow longer).
    EXPECT_GE (sent[1].atMs - sent[0].atMs, HardwareThread::retryDelayMs - 1.0);
}

TEST (HardwareThreadQueue, HardErrorDropsTheBankAndGoesOn)
{
    DeviceRig rig;
    rig.device().takeRequestLog();

    OutputGainCtrl gains (*rig.thread);
    rig.state.setOutputGain (0, -3.0f);
    rig.state.setOutputGain (2, -9.0f);
    gains.markBanks (0, 4, 2);

    sim::SimFaults error;
    error.errorRetval = 2;
    error.errorCount = 1;
    rig.device().addFault (error);

    rig.thread->queueSet (gains);
    rig.start();

    ASSERT_TRUE (pumpUntil ([&] { return rig.device().mixer().outputGain[2] == rig.state.image().outputGain[2]; }));
    const auto sent = takeCommands (rig.device());
    ASSERT_EQ (sent.size(), 2u);
    EXPECT_TRUE (isOutputGain (sent[0], 0));
    EXPECT_TRUE (isOutputGain (sent[1], 2));
    EXPECT_NE (rig.device().mixer().outputGain[0], rig.state.image().outputGain[0]);
}

TEST (HardwareThreadQueue, SetQueueIsServedBeforeGetQueue)
{
    DeviceRig rig;
    rig.device().takeRequestLog();

    OutputMuteCtrl reader (*rig.thread, 5);
    OutputMuteCtrl writer (*rig.thread, 5);
    writer.shown = true;
    rig.thread->queueGet (reader);
    rig.thread->queueSet (writer);
    rig.start();

    // The get reads back what the set wrote and tells its component on the message thread.
    ASSERT_TRUE (pumpUntil ([&] { return reader.shownUpdates == 1; }));
    const auto sent = takeCommands (rig.device());
    ASSERT_EQ (sent.size(), 2u);
    EXPECT_TRUE (isCommand (sent[0], catOutput, cmdSetMute));
    EXPECT_TRUE (isCommand (sent[1], catOutput, cmdGetMute));
    EXPECT_TRUE (rig.state.outputMute (5));
}

TEST (HardwareThreadQueue, TimedOutGetIsRetriedAndHardErrorIsNotShown)
{
    DeviceRig rig;
    OutputMuteCtrl reader (*rig.thread, 2);
    rig.start();

    sim::SimFaults timeout;
    timeout.ntStatus = 0x102;
    timeout.ntStatusCount = 1;
    rig.device().addFault (timeout);
    rig.thread->queueGet (reader);
    ASSERT_TRUE (pumpUntil ([&] { return reader.shownUpdates == 1; }));

    sim::SimFaults error;
    error.errorRetval = 2;
    error.errorCount = 1;
    rig.device().addFault (error);
    rig.device().takeRequestLog();
    rig.thread->queueGet (reader);
    ASSERT_TRUE (pumpUntil ([&] { return ! takeCommands (rig.device()).empty(); }));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    EXPECT_EQ (reader.shownUpdates, 1);
}

TEST (HardwareThreadQueue, DetachedThreadServesNothing)
{
    DeviceRig rig;
    rig.device().takeRequestLog();
    OutputMuteCtrl mute (*rig.thread, 0);
    rig.thread->detachWindow();
    rig.thread->queueSet (mute);
    rig.start();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);

    EXPECT_EQ (mute.sets.load(), 0);
    EXPECT_TRUE (takeCommands (rig.device()).empty());
}

} // namespace
} // namespace arx::test
