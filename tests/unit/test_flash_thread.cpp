// The flash update against a device of the in-process lab: what reaches the flash, in which
// order, what the progress window is told and what the user reads at the end, with the
// device's faults and with the faults of the procedure itself mended.

#include "firmware/FirmwareCheck.h"
#include "device/FlashLayout.h"
#include "firmware/FlashThread.h"
#include "sim/SimFirmware.h"
#include "unit/test_console_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace arx
{
namespace
{
using test::LabDevice;
using test::packetCategory;
using test::packetCommand;
using test::packetParam0;

const char* const completeText = "Flash update complete.  Please disconnect the power cable from your ARX and then plug it back in.";

// What the progress window was told, kept beyond the update.
class RecordedProgress : public FlashProgress
{
public:
    void setTitle (const juce::String& t) override { add (titles, t); }
    void setStatus (const juce::String& t) override { add (statuses, t); }
    void setDescription (const juce::String& t) override { add (descriptions, t); }
    void setMinimumStep (float) override {}
    void setProgress (float v) override
    {
        progress = v;
        if (v > highest)
            highest = v;
    }
    void resetProgress() override { progress = 0.0f; }

    juce::StringArray get (const juce::StringArray& list) const
    {
        const juce::ScopedLock sl (lock);
        return list;
    }

    juce::StringArray titles, statuses, descriptions;
    std::atomic<float> progress { 0.0f }, highest { 0.0f };

private:
    void add (juce::StringArray& list, const juce::String& text)
    {
        const juce::ScopedLock sl (lock);
        list.add (text);
    }
    juce::CriticalSection lock;
};

// Flash commands as the device received them: category 1 only.
struct FlashCommand
{
    uint32_t command, address, count;
};

class FlashThreadTest : public ::testing::Test
{
protected:
    void plug (const juce::String& profile)
    {
        sim::PlugOptions options;
        options.profile = profile;
        options.uniqueName = "Studio";
        lab = std::make_unique<LabDevice> (options);
        ASSERT_NE (lab->device, nullptr);
        lab->hook.before = [this] (uint32_t code, const uint32_t* in) {
            if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == Device::catFlash)
            {
                const juce::ScopedLock sl (commandLock);
                const uint32_t length = in[1]; // 6 + parameters: status requests carry none
                commands.push_back ({ in[packetCommand], length > 6 ? in[packetParam0] : 0u,
                                      length > 7 ? in[packetParam0 + 1] : 0u });
            }
        };
    }

    juce::File writeDat (const juce::String& name, const juce::String& text)
    {
        auto file = folder.getFile().getChildFile (name + ".dat");
        folder.getFile().createDirectory();
        EXPECT_TRUE (file.replaceWithText (text));
        return file;
    }

    juce::Array<juce::File> labImages (uint32_t version)
    {
        EXPECT_TRUE (sim::SimFirmware::writeDatFiles (folder.getFile(), version));
        juce::Array<juce::File> files;
        for (auto& layout : sim::SimFirmware::images())
            files.add (folder.getFile().getChildFile (juce::String (layout.name) + ".dat"));
        return files;
    }

    // Runs the update to its end; the bound only keeps a broken build from hanging.
    juce::String flash (const juce::Array<juce::File>& files)
    {
        juce::WaitableEvent done;
        FlashThread thread (lab->device, progress, files, [&done] { done.signal(); });
        thread.startThread();
        EXPECT_TRUE (done.wait (120000));
        succeeded = thread.succeeded();
        return thread.getResultText();
    }

    std::vector<FlashCommand> sent (uint32_t command)
    {
        const juce::ScopedLock sl (commandLock);
        std::vector<FlashCommand> out;
        for (auto& c : commands)
            if (c.command == command)
                out.push_back (c);
        return out;
    }

    std::vector<uint8_t> wholeFlash() { return lab->sim->readFlash (0, FlashLayout::bytes); }

    // Every byte outside the sectors [start, end) of `erased` is as it was `before`.
    void expectUnchangedOutside (const std::vector<uint8_t>& before, std::vector<std::pair<uint32_t, uint32_t>> erased)
    {
        const auto after = wholeFlash();
        ASSERT_EQ (after.size(), before.size());
        for (uint32_t a = 0; a < FlashLayout::bytes; a += 4)
        {
            const bool inErased = std::any_of (erased.begin(), erased.end(), [a] (auto& r) { return a >= r.first && a < r.second; });
            if (! inErased && std::memcmp (after.data() + a, before.data() + a, 4) != 0)
            {
                ADD_FAILURE() << "flash changed at 0x" << std::hex << a;
                return;
            }
        }
    }

    uint32_t flashWord (uint32_t address)
    {
        const auto bytes = lab->sim->readFlash (address, 4);
        return (uint32_t) bytes[0] | ((uint32_t) bytes[1] << 8) | ((uint32_t) bytes[2] << 16) | ((uint32_t) bytes[3] << 24);
    }

    juce::TemporaryFile folder;
    std::unique_ptr<LabDevice> lab;
    RecordedProgress progress;
    juce::CriticalSection commandLock;
    std::vector<FlashCommand> commands;
    bool succeeded = false;
};

TEST_F (FlashThreadTest, AnOutOfDateDeviceGetsBothImagesItsSettingsErasedAndIsCurrentAfterAPowerCycle)
{
    plug ("arx-old");
    ASSERT_TRUE (FirmwareCheck::of (lab->device->info(), false, {}).ask);

    EXPECT_EQ (flash (labImages (0x05020000)), completeText);
    EXPECT_TRUE (succeeded);

    const auto titles = progress.get (progress.titles);
    EXPECT_EQ (titles, juce::StringArray ({ "Studio - Updating image 1 of 2", "Studio - Updating image 2 of 2" }));
    EXPECT_EQ (progress.get (progress.descriptions), juce::StringArray ({ "ARM code 5.2", "FPGA 5.2" }));
    const juce::StringArray onePass { "reading...", "erasing...", "writing...", "verifying..." };
    auto both = onePass;
    both.addArray (onePass);
    EXPECT_EQ (progress.get (progress.statuses), both);
    EXPECT_FLOAT_EQ (progress.highest.load(), 1.0f);

    // Both images lie in flash as the lab builds them; the stored settings are gone.
    for (auto& layout : sim::SimFirmware::images())
    {
        const auto expected = sim::SimFirmware::flashQuads (layout, 0x05020000);
        EXPECT_EQ (flashWord (layout.address), expected.front());
        EXPECT_EQ (flashWord (layout.address + 4 * (layout.paddedQuads - 2)), 0x05020000u);
    }
    EXPECT_TRUE ((bool) lab->sim->dump()["flash"]["sessionBlank"]);
    EXPECT_EQ (lab->sim->flashLockValue(), 1u);

    // Writes go in blocks of 64; every command waits for the flash to be ready, so the part
    // never had to refuse one.
    EXPECT_EQ (lab->sim->refusedWhileBusy(), 0);
    const auto writes = sent (2);
    EXPECT_EQ (writes.size(), (size_t) (0x2000 + 0x4000) / 64);
    const auto statusPolls = sent (3).size();
    std::cout << "[ figures ] two-image update: " << commands.size() << " flash transactions (" << writes.size()
              << " writes, " << sent (0).size() << " erases, " << sent (1).size() << " reads, " << statusPolls
              << " status polls, " << sent (5).size() << " locks, " << sent (4).size() << " session base); "
              << "minimum for the data: " << writes.size() + 2 << " (writes and sector erases)\n";

    // The description follows the flash once the device powers up again.
    auto* again = lab->lab.powerCycle ("Studio");
    ASSERT_NE (again, nullptr);
    HardwareInfo info;
    const auto* caps = again->hwinfoValue();
    ASSERT_NE (caps, nullptr);
    ASSERT_TRUE (info.decode (caps->getData(), caps->getSize()));
    EXPECT_EQ (info.armVersion(), 0x05020000u);
    EXPECT_EQ (info.fpgaVersion(), 0x05020000u);
    EXPECT_FALSE (FirmwareCheck::of (info, false, {}).ask);
}

TEST_F (FlashThreadTest, ImagesAlreadyInFlashAreOnlyReadAndTheSettingsAreStillErased)
{
    plug ("arx");
    EXPECT_EQ (flash (labImages (0x05020000)), completeText);
    EXPECT_EQ (progress.get (progress.statuses), juce::StringArray ({ "reading...", "reading..." }));
    EXPECT_TRUE (sent (2).empty());
    // The one erase is the settings sector's.
    const auto erases = sent (0);
    ASSERT_EQ (erases.size(), 1u);
    EXPECT_EQ (erases[0].address, lab->sim->sessionBase());
}

TEST_F (FlashThreadTest, SectorGeometryFollowsTheAddressAndWritesAreSplitIn64Quads)
{
    plug ("arx");
    std::vector<uint32_t> data (0x2000, 0x12345678u);
    auto low = writeDat ("low", sim::SimFirmware::datText (1, 0x8000, data));
    auto high = writeDat ("high", sim::SimFirmware::datText (3, 0x10000, data));
    std::vector<uint32_t> hundred (100, 0x0BADF00Du);
    auto small = writeDat ("small", sim::SimFirmware::datText (1, 0x40000, hundred));

    const auto before = wholeFlash();
    ASSERT_EQ (flash ({ low, high, small }), completeText);

    std::vector<uint32_t> erased;
    for (auto& e : sent (0))
        erased.push_back (e.address);
    const uint32_t base = lab->sim->sessionBase();
    EXPECT_EQ (erased, (std::vector<uint32_t> { 0x8000, 0xA000, 0xC000, 0xE000, 0x10000, 0x40000, base }));

    std::vector<uint32_t> lastWrites;
    for (auto& w : sent (2))
        if (w.address >= 0x40000 && w.address < 0x50000)
            lastWrites.push_back (w.count);
    EXPECT_EQ (lastWrites, (std::vector<uint32_t> { 64, 36 }));

    // The 64 KiB sector at 0x10000 is blank-checked only where the image goes: 0x2000 quads.
    uint32_t checked = 0;
    bool inHighErase = false;
    for (auto& c : commands)
    {
        if (c.command == 0)
            inHighErase = c.address == 0x10000;
        else if (c.command == 2)
            inHighErase = false;
        else if (c.command == 1 && inHighErase)
            checked += c.count;
    }
    EXPECT_EQ (checked, 0x2000u);
    EXPECT_EQ (flashWord (0xFFFC), 0x12345678u);
    EXPECT_EQ (flashWord (0x40000 + 99 * 4), 0x0BADF00Du);
    EXPECT_EQ (flashWord (0x40000 + 100 * 4), 0xFFFFFFFFu);

    // Outside the sectors erased for the images and the settings nothing moved: the FPGA image
    // right after the 64 KiB sector at 0x10000 is whole.
    expectUnchangedOutside (before, { { 0x8000, 0x20000 }, { 0x40000, 0x50000 }, { base, base + FlashLayout::largeSector } });
}

TEST_F (FlashThreadTest, AnImageOffASectorBoundaryIsRefusedBeforeAnythingIsErased)
{
    // Its first sector would be erased whole and the bytes before the image lost: in a small
    // sector, and in the large sector that holds the start of the FPGA image. Listed after the
    // device's own images, which are not written either.
    for (const uint32_t start : { 0x9000u, 0x21000u })
    {
        plug ("arx-old");
        auto files = labImages (0x05020000);
        const auto odd = writeDat ("odd", sim::SimFirmware::datText (3, start, std::vector<uint32_t> (0x800, 0x600DC0DEu)));
        files.add (odd);
        const auto before = wholeFlash();
        commands.clear();

        EXPECT_EQ (flash (files), "DAT file error\n\n" + odd.getFullPathName() + "\n\nStart address 0x"
                                      + juce::String::toHexString ((juce::int64) start).paddedLeft ('0', 8)
                                      + " is not at the start of a flash sector.");
        EXPECT_FALSE (succeeded);
        EXPECT_TRUE (sent (0).empty()) << "no erase";
        EXPECT_TRUE (sent (2).empty()) << "no write";
        EXPECT_TRUE (wholeFlash() == before);
    }
}

TEST_F (FlashThreadTest, ASessionBaseThatDoesNotLeaveRoomForTheSessionIsNeverErased)
{
    // Near the top of the address space (the sector address wraps), past the end of the flash,
    // and inside it but too close to its end for the session area.
    for (const uint32_t reported : { 0xFFFFF000u, 0x00200000u, 0x001FE000u })
    {
        plug ("arx-old");
        sim::SimFaults faults;
        faults.reportedSessionBase = reported;
        lab->sim->setFaults (faults);
        const auto before = wholeFlash();
        commands.clear();

        const auto text = flash (labImages (0x05020000));
        EXPECT_TRUE (succeeded) << "the images are in: the update did its work";
        EXPECT_EQ (text, completeText + juce::String::formatted ("\n\nThe stored mixer settings were not erased: the ARX "
                                                                 "reports them at 0x%08X, outside its flash memory.",
                                                                 reported));
        for (auto& e : sent (0))
            EXPECT_LT (e.address, 0x30000u) << "only the images' sectors";
        expectUnchangedOutside (before, { { 0x10000, 0x30000 } });
    }
}

TEST_F (FlashThreadTest, TimeoutsAndBusyAnswersDuringEraseAndWriteAreSurvived)
{
    plug ("arx-old");
    sim::SimFaults faults;
    faults.ntStatus = platform::STATUS_TIMEOUT;
    faults.ntStatusShare = 0.3;
    faults.busyCount = 8;
    lab->sim->setFaults (faults);

    EXPECT_EQ (flash (labImages (0x05020000)), completeText);
    lab->sim->setFaults ({});
    for (auto& layout : sim::SimFirmware::images())
        EXPECT_EQ (flashWord (layout.address + 4 * (layout.paddedQuads - 2)), 0x05020000u);
}

TEST_F (FlashThreadTest, ADeviceThatStopsAnsweringFailsTheUpdateInsteadOfCompletingIt)
{
    plug ("arx-old");
    // Every transaction times out from the first erase on: the erase pass is cut short by its
    // watchdog, which must not count as success.
    const auto files = labImages (0x05020000);
    lab->hook.before = [this] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == Device::catFlash && in[packetCommand] == 0)
        {
            sim::SimFaults f;
            f.ntStatus = platform::STATUS_TIMEOUT;
            f.ntStatusShare = 1.0;
            lab->sim->setFaults (f);
        }
    };
    const auto text = flash (files);
    EXPECT_EQ (text, "The ARX stopped answering, so the flash update did not finish.  Please try again.");
    EXPECT_FALSE (succeeded);
    lab->sim->setFaults ({});
    EXPECT_FALSE ((bool) lab->sim->dump()["flash"]["sessionBlank"]) << "the settings stay when an image fails";
}

TEST_F (FlashThreadTest, ADifferenceFoundWhenVerifyingFailsTheImage)
{
    plug ("arx-old");
    std::atomic<bool> written { false };
    lab->hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == Device::catFlash && in[packetCommand] == 2)
            written = true;
    };
    // The flash reads back one bit off once the image is written.
    lab->hook.after = [&] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t& returned) {
        if (written && code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == Device::catFlash
            && in[packetCommand] == 1 && returned >= 40)
            out[9] ^= 1u;
    };
    EXPECT_EQ (flash (labImages (0x05020000)), "Verification failed - the flash memory does not hold the image");
    EXPECT_FALSE (succeeded);
    EXPECT_EQ (progress.get (progress.titles).size(), 1) << "the second image is not touched";
}

TEST_F (FlashThreadTest, AFlashThatStaysBusyOrAnUpdateThatIsStoppedFailsInPlainWords)
{
    plug ("arx-old");
    sim::SimFaults faults;
    faults.busyCount = 100000; // every answer says busy, the status polls' too
    lab->sim->setFaults (faults);
    EXPECT_EQ (flash (labImages (0x05020000)),
               "The flash memory of the ARX stayed busy, so the flash update did not finish.  Please try again.");
    EXPECT_FALSE (succeeded);
    lab->sim->setFaults ({});

    // Stopped half-way (the program ends): that is no completed update either.
    juce::WaitableEvent done;
    FlashThread thread (lab->device, progress, labImages (0x05020000), [&done] { done.signal(); });
    std::atomic<int> writes { 0 };
    lab->hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == Device::catFlash && in[packetCommand] == 2)
            if (++writes == 20)
                thread.signalThreadShouldExit();
    };
    thread.startThread();
    ASSERT_TRUE (done.wait (60000));
    EXPECT_EQ (thread.getResultText(), "Flash update interrupted");
    EXPECT_FALSE (thread.succeeded());
    EXPECT_EQ (writes.load(), 20);
}

TEST_F (FlashThreadTest, AFailedFirstReadFailsTheImageInsteadOfSkippingIt)
{
    plug ("arx-old");
    sim::SimFaults faults;
    faults.errorRetval = 5;
    faults.errorCount = 1;
    lab->sim->setFaults (faults);
    EXPECT_EQ (flash (labImages (0x05020000)), "Unable to read flash memory");
    EXPECT_FALSE (succeeded);
    EXPECT_TRUE (sent (0).empty());
    EXPECT_TRUE (sent (2).empty());
}

TEST_F (FlashThreadTest, AnUnplugInTheMiddleEndsWithTheStepThatFailed)
{
    plug ("arx-old");
    int writes = 0;
    lab->hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == Device::catFlash
            && in[packetCommand] == 2 && ++writes == 50)
            lab->lab.unplug ("Studio");
    };
    EXPECT_EQ (flash (labImages (0x05020000)), "Unable to write flash memory");
    EXPECT_FALSE (succeeded);
    EXPECT_EQ (lab->lab.find ("Studio"), nullptr);
}

TEST_F (FlashThreadTest, ARejectedImageIsNeitherErasedNorWrittenAndTheSettingsStay)
{
    plug ("arx-old");
    auto files = labImages (0x05020000);
    auto bad = writeDat ("arxfpga", sim::SimFirmware::datText (3, 0x1F0000, std::vector<uint32_t> (4, 1), 1, 0x8000));
    // The second's padded length runs past the flash: every file is checked before the first
    // erase, so the first image is not written alone either.
    EXPECT_EQ (flash (files), "DAT file error\n\n" + bad.getFullPathName()
                                  + "\n\nPadded image goes past physical end of flash memory.");
    EXPECT_TRUE (sent (0).empty());
    EXPECT_TRUE (sent (2).empty());
    EXPECT_FALSE ((bool) lab->sim->dump()["flash"]["sessionBlank"]);
}

//==============================================================================
TEST (FirmwareCheck, QuestionsFollowTheVersionsTheLockBitAndTheForceFlag)
{
    auto check = [] (std::function<void (sim::SimProfile&)> change, bool force, const juce::String& question = {}) {
        HardwareInfo info;
        const auto caps = test::hwinfoWith (std::move (change));
        EXPECT_TRUE (info.decode (caps.getData(), caps.getSize()));
        return FirmwareCheck::of (info, force, question);
    };
    const juce::String outOfDate = "\nThe firmware for your ARX is out of date.\n";
    const juce::String standard = "\nWould you like to update your firmware now?";

    // No requirement for another model: never asked, not even when forced.
    EXPECT_FALSE (check ([] (auto& p) { p.hwType = 0xAFB3; }, true).ask);
    EXPECT_EQ (check ([] (auto& p) { p.vendorId = 0x1234; }, true).row, nullptr);

    // Exactly the required version is current; backup code never is.
    EXPECT_FALSE (check ([] (auto&) {}, false).ask);
    const auto backup = check ([] (auto& p) { p.armVersion = 0x0502000E; }, false);
    EXPECT_TRUE (backup.ask);
    EXPECT_EQ (backup.question, outOfDate + standard);

    // Forced while current: the question without the out-of-date line, in the caller's words.
    const auto forced = check ([] (auto&) {}, true, "\nAbout box words");
    EXPECT_TRUE (forced.ask);
    EXPECT_EQ (forced.question, "\nAbout box words");

    // With the flash lock in use the DSP version is not judged; without it, it is.
    EXPECT_FALSE (check ([] (auto& p) { p.dspVersion = 0; }, false).ask);
    EXPECT_TRUE (check ([] (auto& p) { p.dspVersion = 0; p.flags |= HardwareInfo::flagNoFlashLock; }, false).ask);
    EXPECT_TRUE (check ([] (auto& p) { p.armVersion = 0x0501FFFF; }, false).ask);
}

} // namespace
} // namespace arx
