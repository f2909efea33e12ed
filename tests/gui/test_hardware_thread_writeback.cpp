// The session write-back at the end of the hardware thread, checked in the device's flash.

#include "device_test_support.h"
#include "device/FlashLayout.h"
#include "session/SessionStore.h"
#include "unit/test_session_support.h"
#include "sim/SimSessionImage.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>

namespace arx::test
{
namespace
{

constexpr uint32_t catFlash = 1, cmdErase = 0, cmdWrite = 2, cmdSessionBase = 4, cmdLock = 5;

std::vector<uint32_t> eraseAddresses (const std::vector<SentCommand>& sent)
{
    std::vector<uint32_t> result;
    for (const auto& c : sent)
        if (isCommand (c, catFlash, cmdErase))
            result.push_back (c.params.at (0));
    return result;
}

int indexOf (const std::vector<SentCommand>& sent, uint32_t command, int from = 0, bool last = false)
{
    int found = -1;
    for (int i = from; i < (int) sent.size(); ++i)
        if (isCommand (sent[(size_t) i], catFlash, command))
        {
            found = i;
            if (! last)
                break;
        }
    return found;
}

bool flashHoldsImage (sim::SimDevice& device, const SessionImage& image)
{
    const auto area = device.sessionArea();
    return area.size() == SessionImage::byteCount
           && std::memcmp (area.data(), image.bytes(), SessionImage::byteCount) == 0;
}

// Closes the window the way its close button does and waits for the thread's notice.
void closeAndWait (DeviceRig& rig)
{
    rig.thread->requestStop();
    ASSERT_TRUE (pumpUntil ([&] { return rig.owner.finished.load() == 1; }));
    rig.thread->stopThread (4000);
}

TEST (HardwareThreadWriteBack, UnchangedStateWritesNothingAndShowsNoProgress)
{
    DeviceRig rig;
    ASSERT_EQ (rig.readResult, 0);
    const auto before = rig.device().sessionArea();
    rig.device().takeRequestLog();
    rig.start();

    closeAndWait (rig);

    EXPECT_EQ (rig.owner.progress.created, 0);
    EXPECT_TRUE (takeCommands (rig.device()).empty());
    EXPECT_EQ (rig.device().sessionArea(), before);
}

TEST (HardwareThreadWriteBack, ChangedStateReachesFlashAndReadsBackIdentically)
{
    DeviceRig rig;
    ASSERT_EQ (rig.readResult, 0);
    rig.state.setOutputGain (1, -7.5f);
    rig.state.setInputAlias (2, "Kick drum");
    rig.state.setMonitorPan (3, 4, 0.25f);
    rig.device().takeRequestLog();
    rig.start();

    closeAndWait (rig);

    // What the window told the user, on the right thread, and that it went away again.
    EXPECT_TRUE (rig.owner.createdOnMessageThread);
    EXPECT_EQ (rig.owner.progress.created, 1);
    EXPECT_EQ (rig.owner.progress.deleted, 1);
    EXPECT_EQ (rig.owner.progress.statuses, juce::StringArray ({ "erasing...", "writing..." }));
    EXPECT_EQ (rig.owner.progress.minimumSteps, (std::vector<float> { 0.2f, 0.0f }));
    EXPECT_FLOAT_EQ (rig.owner.progress.lastProgress, 1.0f);

    EXPECT_EQ (rig.state.image().imageLength, SessionImage::quadletCount);
    EXPECT_EQ (rig.state.image().imageVersion, SessionImage::writeBackVersion);
    EXPECT_TRUE (flashHoldsImage (rig.device(), rig.state.image()));

    // Lock before the first erase, unlock after the last write; 64-quadlet writes.
    const auto sent = takeCommands (rig.device());
    const int lockOn = indexOf (sent, cmdLock);
    const int firstErase = indexOf (sent, cmdErase);
    const int lastWrite = indexOf (sent, cmdWrite, 0, true);
    const int lockOff = indexOf (sent, cmdLock, lockOn + 1);
    ASSERT_GE (lockOn, 0);
    EXPECT_EQ (sent[(size_t) lockOn].params.at (0), 1u);
    EXPECT_LT (lockOn, firstErase);
    EXPECT_LT (lastWrite, lockOff);
    EXPECT_EQ (sent[(size_t) lockOff].params.at (0), 0u);
    EXPECT_EQ (rig.device().flashLockValue(), 0u);
    EXPECT_EQ (rig.device().flashWriteCount(), 53); // 52 of 64 quadlets and one of 20
    EXPECT_EQ (eraseAddresses (sent), (std::vector<uint32_t> { rig.device().sessionBase() }));

    // A window opened afterwards finds exactly this image, and nothing to write back.
    ConsoleState reopened (rig.lab.device.get());
    ASSERT_EQ (reopened.readFromDevice(), 0);
    EXPECT_EQ (std::memcmp (reopened.image().bytes(), rig.state.image().bytes(), SessionImage::byteCount), 0);
    EXPECT_EQ (reopened.inputAlias (2), "Kick drum");
    EXPECT_FALSE (reopened.hasChanged());
}

TEST (HardwareThreadWriteBack, ErasedSessionAreaGetsAWholeValidImageOnClose)
{
    sim::PlugOptions options;
    options.blankSession = true;
    DeviceRig rig (options);
    EXPECT_EQ (rig.readResult, 1);
    rig.start();

    closeAndWait (rig);

    const auto area = rig.device().sessionArea();
    EXPECT_TRUE (sim::SimSessionImage::isValid (area.data()));
    EXPECT_TRUE (flashHoldsImage (rig.device(), rig.state.image()));
    ConsoleState reopened (rig.lab.device.get());
    EXPECT_EQ (reopened.readFromDevice(), 0);
    EXPECT_EQ (reopened.outputGain (0), 0.0f);
}

TEST (HardwareThreadWriteBack, AWriteThatSkipsTheReadyPollIsRefusedByTheDevice)
{
    // What the write-back does between its commands matters: without the ready poll after the
    // erase, the device refuses the first write and the session stays erased.
    DeviceRig rig (sim::PlugOptions {}, false);
    auto& device = *rig.lab.device;
    const auto base = rig.device().sessionBase();
    const auto* quads = rig.state.image().quadlets();
    ASSERT_EQ (device.flashErase (base), 0);
    EXPECT_EQ (device.flashWrite (base, 64, quads), 2);
    EXPECT_EQ ((int) rig.device().dump()["flash"]["refusedWhileBusy"], 1);
    EXPECT_TRUE ((bool) rig.device().dump()["flash"]["sessionBlank"]);

    bool ready = false;
    for (int i = 0; i < 100 && ! ready; ++i)
        if (device.flashStatus (ready) != 0 || ! ready)
            juce::Thread::sleep (10);
    ASSERT_TRUE (ready);
    EXPECT_EQ (device.flashWrite (base, 64, quads), 0);
    // And the next write waits for the part too.
    bool readyAgain = false;
    for (int i = 0; i < 100 && ! readyAgain; ++i)
        if (device.flashStatus (readyAgain) != 0 || ! readyAgain)
            juce::Thread::sleep (1);
    EXPECT_EQ (device.flashWrite (base + 256, 64, quads + 64), 0);
    EXPECT_EQ ((int) rig.device().dump()["flash"]["refusedWhileBusy"], 1);
}

TEST (HardwareThreadWriteBack, SessionBelowSixtyFourKiBIsErasedInEightKiBBlocks)
{
    sim::PlugOptions options;
    options.profile = "arx-lowbase";
    DeviceRig rig (options);
    ASSERT_EQ (rig.readResult, 0);
    ASSERT_EQ (rig.device().sessionBase(), 0x8000u);
    rig.state.setPlaybackGain (0, -20.0f);
    rig.device().takeRequestLog();
    rig.start();

    closeAndWait (rig);

    EXPECT_EQ (eraseAddresses (takeCommands (rig.device())), (std::vector<uint32_t> { 0x8000, 0xA000 }));
    EXPECT_TRUE (flashHoldsImage (rig.device(), rig.state.image()));
}

TEST (HardwareThreadWriteBack, SessionNotOnABlockBoundaryHasEveryBlockItTouchesErased)
{
    // The device reports a session area that starts inside an 8 KiB block and ends in the
    // third one: all three must be erased or the tail of the image lands on old data.
    sim::PlugOptions options;
    options.profile = "arx-lowbase";
    DeviceRig rig (options);
    rig.lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == catFlash
            && in[packetCommand] == cmdSessionBase)
            out[packetParam0] = 0x9000;
    };
    rig.state.setOutputGain (0, -1.0f);
    rig.device().takeRequestLog();
    rig.start();

    closeAndWait (rig);

    EXPECT_EQ (rig.thread->getSessionBase(), 0x9000u);
    EXPECT_EQ (eraseAddresses (takeCommands (rig.device())), (std::vector<uint32_t> { 0x8000, 0xA000, 0xC000 }));
    const auto written = rig.device().readFlash (0x9000, SessionImage::byteCount);
    EXPECT_EQ (std::memcmp (written.data(), rig.state.image().bytes(), SessionImage::byteCount), 0);
}

TEST (HardwareThreadWriteBack, FailedEraseStillUnlocksAndLeavesTheStoredSession)
{
    DeviceRig rig;
    const auto before = rig.device().sessionArea();
    auto* device = &rig.device();
    rig.lab.hook.before = [device] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == catFlash
            && in[packetCommand] == cmdErase)
        {
            sim::SimFaults error;
            error.errorRetval = 2;
            error.errorCount = 1;
            device->addFault (error);
        }
    };
    rig.state.setOutputGain (0, -4.0f);
    const auto storedBefore = rig.state.storedCrc();
    rig.device().takeRequestLog();
    rig.start();

    closeAndWait (rig);

    const auto sent = takeCommands (rig.device());
    EXPECT_EQ (indexOf (sent, cmdWrite), -1);
    const int lockOn = indexOf (sent, cmdLock);
    ASSERT_GE (lockOn, 0);
    const int lockOff = indexOf (sent, cmdLock, lockOn + 1);
    ASSERT_GT (lockOff, lockOn);
    EXPECT_EQ (sent[(size_t) lockOff].params.at (0), 0u);
    EXPECT_EQ (rig.device().sessionArea(), before);
    EXPECT_EQ (rig.state.storedCrc(), storedBefore); // still counts as unsaved
    EXPECT_EQ (rig.owner.progress.deleted, 1);
}

TEST (HardwareThreadWriteBack, UnreadableSessionBaseIsShownAndNothingIsLocked)
{
    DeviceRig rig;
    rig.state.setOutputGain (0, -4.0f);
    sim::SimFaults error;
    error.errorRetval = 2;
    error.errorCount = 1;
    rig.device().takeRequestLog();
    rig.start();
    rig.device().addFault (error);

    closeAndWait (rig);

    EXPECT_TRUE (rig.owner.progress.statuses.contains ("Unable to read session base address"));
    const auto sent = takeCommands (rig.device());
    EXPECT_EQ (indexOf (sent, cmdLock), -1);
    EXPECT_EQ (indexOf (sent, cmdErase), -1);
}

TEST (HardwareThreadWriteBack, ASessionBaseWithoutRoomForTheSessionIsShownAndNothingIsWritten)
{
    // Near the top of the address space (the write would wrap to address 0), and too close to
    // the end of the flash for the whole session area.
    for (const uint32_t reported : { 0xFFFFE000u, 0x001FE000u })
    {
        DeviceRig rig;
        rig.state.setOutputGain (0, -4.0f);
        sim::SimFaults faults;
        faults.reportedSessionBase = reported;
        rig.device().setFaults (faults);
        const auto before = rig.device().readFlash (0, FlashLayout::bytes);
        rig.device().takeRequestLog();
        rig.start();

        closeAndWait (rig);

        EXPECT_TRUE (rig.owner.progress.statuses.contains (
            juce::String::formatted ("Session base address 0x%08X is outside the flash memory", reported)));
        const auto sent = takeCommands (rig.device());
        for (const auto command : { cmdLock, cmdErase, cmdWrite })
            EXPECT_EQ (indexOf (sent, command), -1) << command;
        EXPECT_TRUE (rig.device().readFlash (0, FlashLayout::bytes) == before);
        EXPECT_NE (rig.state.storedCrc(), rig.state.image().imageCrc) << "still unsaved";
    }
}

TEST (HardwareThreadWriteBack, ALoadOrAResetAfterATornReadWritesTheReadPartAndResetValuesElsewhere)
{
    // The read at start stops part-way; then a legacy session is loaded, or the console is
    // reset, and the window closes. The load follows a read that stopped inside the byte
    // records (which the device sends reversed); the reset one that stopped in the first
    // levels, before the playback channels that have no strip.
    ScratchFolder scratch;
    const auto legacy = scratch.file ("old.ARXsession");
    ASSERT_TRUE (legacy.replaceWithData (legacyFile().getData(), legacyFile().getSize()));
    struct Case
    {
        int blocksRead;
        std::function<void (SessionStore&)> change;
    };
    const Case cases[] {
        { 39, [&] (SessionStore& store) { EXPECT_EQ (store.finishLoad (legacy).message, SessionMessage::none); } },
        { 1, [] (SessionStore& store) { store.resetState(); } },
    };
    static_assert (39 * 256 > SessionImage::reversedRegionStart);

    for (const auto& c : cases)
    {
        LabDevice lab;
        const auto stored = lab.sim->sessionArea();
        lab.failSessionReadAfter (c.blocksRead);
        ConsoleState state (lab.device.get());
        ASSERT_EQ (state.readFromDevice(), 2);
        lab.hook.before = nullptr;
        SessionStore store (state, false);
        c.change (store);

        // What the image should be: the part read as the flash holds it, the reset values of a
        // device without a stored session after it, and the change on top.
        sim::PlugOptions blankOptions;
        blankOptions.blankSession = true;
        LabDevice blank (blankOptions);
        ConsoleState expected (blank.device.get());
        ASSERT_EQ (expected.readFromDevice(), 1);
        std::memcpy (expected.image().bytes(), stored.data(), (size_t) c.blocksRead * 256);
        SessionStore expectedStore (expected, false);
        c.change (expectedStore);

        TestOwner owner;
        auto thread = std::make_unique<HardwareThread> (*lab.device, state, &owner);
        thread->startThread();
        thread->requestStop();
        ASSERT_TRUE (pumpUntil ([&] { return owner.finished.load() == 1; }));
        thread.reset();

        const auto written = lab.sim->sessionArea();
        EXPECT_TRUE (sim::SimSessionImage::isValid (written.data())) << "length and CRC";
        const size_t from = offsetof (SessionImage, flags);
        EXPECT_EQ (std::memcmp (written.data() + from, expected.image().bytes() + from, SessionImage::byteCount - from), 0)
            << c.blocksRead << " blocks read";
    }
}

TEST (HardwareThreadWriteBack, TornImageReadIsNeverWrittenBack)
{
    // The read at start stops part-way through the image: what the state holds is a mix of
    // the device's session and zeros and must not replace the stored one.
    LabDevice lab;
    const auto before = lab.sim->sessionArea();
    lab.failSessionReadAfter (9);
    ConsoleState state (lab.device.get());
    EXPECT_NE (state.readFromDevice(), 0);
    lab.hook.before = nullptr;
    state.setOutputGain (0, -4.0f);

    TestOwner owner;
    auto thread = std::make_unique<HardwareThread> (*lab.device, state, &owner);
    thread->startThread();
    thread->requestStop();
    ASSERT_TRUE (pumpUntil ([&] { return owner.finished.load() == 1; }));
    thread.reset();

    EXPECT_EQ (owner.progress.created, 0);
    EXPECT_EQ (lab.sim->sessionArea(), before);
    EXPECT_EQ (lab.sim->flashEraseCount(), 0);
}

} // namespace
} // namespace arx::test
