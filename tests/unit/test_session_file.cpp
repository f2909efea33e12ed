// Session files on disk: the saved bytes, the byte-order rule, every check of the loader and a
// save that fails half-way.

#include "session/SessionStore.h"
#include "test_session_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace arx::test
{
namespace
{

struct SessionFiles : ::testing::Test
{
    SessionFiles() { state.setMostRecentFolder (scratch.folder); }

    // A fresh state of the same device, as another console window would hold it.
    std::unique_ptr<ConsoleState> freshState() { return std::make_unique<ConsoleState> (lab.device.get()); }

    juce::File write (const juce::String& name, const juce::MemoryBlock& bytes)
    {
        auto file = scratch.file (name);
        EXPECT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
        return file;
    }

    // Loads `bytes` into a fresh state and says whether the state stayed as it was.
    SessionMessage loadInto (ConsoleState& target, const juce::MemoryBlock& bytes)
    {
        return SessionFile::load (target, write ("probe.ARX session", bytes));
    }

    ScratchFolder scratch;
    LabDevice lab;
    ConsoleState state { lab.device.get() };
    SessionStore store { state, false };
};

TEST_F (SessionFiles, SavedFileHasTheExactSizeTheMagicInLittleEndianAndLoadsBackWhole)
{
    fillState (state, 1);
    ASSERT_EQ (store.finishSave (scratch.file ("mix")), SessionMessage::none);

    const auto saved = scratch.file ("mix.ARX session");
    juce::MemoryBlock bytes;
    ASSERT_TRUE (saved.loadFileAsData (bytes));
    ASSERT_EQ (bytes.getSize(), 13456u);
    const auto* b = static_cast<const uint8_t*> (bytes.getData());
    EXPECT_EQ (juce::String::fromUTF8 ((const char*) b, 4), "oirB"); // 0x4272696F, low byte first
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (b + 4), 13456u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (b + 8), 1883u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (b + 12), 44978u);
    EXPECT_EQ (state.lastSessionName(), "mix");
    EXPECT_EQ (state.mostRecentFolder(), scratch.folder);

    auto other = freshState();
    EXPECT_FALSE (other->isSafeToWriteBack());
    EXPECT_EQ (SessionFile::load (*other, saved), SessionMessage::none);
    EXPECT_TRUE (sameSession (*other, state));
    EXPECT_TRUE (other->isSafeToWriteBack()); // a loaded image goes back to the device's flash

    auto swapped = freshState();
    EXPECT_EQ (loadInto (*swapped, toBigEndian (bytes)), SessionMessage::none);
    EXPECT_TRUE (sameSession (*swapped, state));
}

TEST_F (SessionFiles, ExtensionIsAddedOnlyWhenTheNameLacksIt)
{
    EXPECT_EQ (store.extension(), "ARX session");
    ASSERT_EQ (store.finishSave (scratch.file ("Live.arx SESSION")), SessionMessage::none);
    EXPECT_TRUE (scratch.file ("Live.arx SESSION").existsAsFile());
    ASSERT_EQ (store.finishSave (scratch.file ("take.2")), SessionMessage::none);
    EXPECT_TRUE (scratch.file ("take.2.ARX session").existsAsFile());
    EXPECT_EQ (state.lastSessionName(), "take.2");
    EXPECT_EQ (scratch.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles), 2);
}

TEST_F (SessionFiles, FileOfAnotherModelOrHardwareVersionIsRefused)
{
    for (auto change : { std::function<void (sim::SimProfile&)> ([] (sim::SimProfile& p) { p.hwType = 0xAFB3; }),
                         std::function<void (sim::SimProfile&)> ([] (sim::SimProfile& p) { p.hwVersion = 2; }) })
    {
        LabDevice otherLab (profileWith (change));
        ConsoleState otherState (otherLab.device.get());
        fillState (otherState, 2);
        const auto file = scratch.file ("other.ARX session");
        ASSERT_EQ (SessionFile::save (otherState, file), SessionMessage::none);

        fillState (state, 3);
        auto before = freshState();
        fillState (*before, 3);
        EXPECT_EQ (SessionFile::load (state, file), SessionMessage::headerInvalid);
        EXPECT_TRUE (sameSession (state, *before));
    }
}

TEST_F (SessionFiles, ImageChecksVersionAfterLengthSoOnlyTheVersionMessageShows)
{
    fillState (state, 4);
    const auto good = SessionFile::encode (state);
    const size_t lengthAt = SessionFile::headerBytes, versionAt = SessionFile::headerBytes + 8;

    struct Case
    {
        uint32_t length, version;
        SessionMessage expected;
    };
    for (auto c : { Case { 3348, 512, SessionMessage::none }, Case { 3348, 0, SessionMessage::none },
                    Case { 3348, 513, SessionMessage::wrongVersion }, Case { 3347, 512, SessionMessage::dataInvalid },
                    Case { 3349, 0xFFFFFFFF, SessionMessage::wrongVersion } })
    {
        auto bytes = good;
        putWord (bytes, lengthAt, c.length);
        putWord (bytes, versionAt, c.version);

        for (const auto& form : { bytes, toBigEndian (bytes) })
        {
            auto target = freshState(), untouched = freshState();
            fillState (*target, 5);
            fillState (*untouched, 5);
            EXPECT_EQ (loadInto (*target, form), c.expected) << c.length << " " << c.version;
            EXPECT_EQ (sameSession (*target, *untouched), c.expected != SessionMessage::none);
        }
    }
}

TEST_F (SessionFiles, AnyOtherLengthCannotBeOpened)
{
    const auto good = SessionFile::encode (state);
    auto shorter = good, longer = good;
    shorter.setSize (13455);
    longer.append ("x", 1);

    for (const auto& bytes : { shorter, longer, juce::MemoryBlock() })
        EXPECT_EQ (loadInto (state, bytes), SessionMessage::unableToOpen);
    EXPECT_EQ (SessionFile::load (state, scratch.folder), SessionMessage::unableToOpen);
    EXPECT_EQ (SessionFile::decode (state, good.getData(), 13455), SessionMessage::unableToOpen);
}

// The process may write no file beyond `bytes` while this lives: writes past it fail as on a
// full disk.
struct FileSizeLimit
{
    explicit FileSizeLimit (rlim_t bytes)
    {
        previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        getrlimit (RLIMIT_FSIZE, &previous);
        auto limited = previous;
        limited.rlim_cur = bytes;
        setrlimit (RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);
    }

    rlimit previous {};
    void (*previousHandler) (int) = nullptr;
};

TEST_F (SessionFiles, FailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    fillState (state, 6);
    const auto target = scratch.file ("keep.ARX session");
    ASSERT_EQ (SessionFile::save (state, target), SessionMessage::none);
    juce::MemoryBlock before;
    target.loadFileAsData (before);

    fillState (state, 7);
    SessionMessage message;
    {
        FileSizeLimit limit (4096);
        message = SessionFile::save (state, target);
    }
    EXPECT_EQ (message, SessionMessage::unableToWrite);
    juce::MemoryBlock after;
    target.loadFileAsData (after);
    EXPECT_EQ (after, before);
    EXPECT_EQ (scratch.folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1);

    // A folder where the file should be is not erased; a missing folder gets no file.
    scratch.file ("taken.ARX session").createDirectory();
    EXPECT_EQ (SessionFile::save (state, scratch.file ("taken.ARX session")), SessionMessage::unableToErase);
    EXPECT_TRUE (scratch.file ("taken.ARX session").isDirectory());
    EXPECT_EQ (SessionFile::save (state, scratch.file ("gone/x.ARX session")), SessionMessage::unableToOpen);

    // The store keeps its names when the save fails.
    EXPECT_EQ (store.finishSave (scratch.file ("gone/x")), SessionMessage::unableToOpen);
    EXPECT_TRUE (state.lastSessionName().isEmpty());
}

} // namespace
} // namespace arx::test
