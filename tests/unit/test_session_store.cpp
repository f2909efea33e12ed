// The steps of save, load and reset between the user's choices, and the legacy file of model
// 44978: which loader a chosen file reaches, what it takes and what it leaves alone.

#include "device/GainCode.h"
#include "session/SessionStore.h"
#include "test_session_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

constexpr uint32_t wordAt (const uint8_t* bytes, size_t offset)
{
    return juce::ByteOrder::littleEndianInt (bytes + offset);
}

std::unique_ptr<ConsoleState> copyOf (const ConsoleState& state)
{
    auto copy = std::make_unique<ConsoleState> (state.device());
    copy->copyMixFrom (state);
    copy->setSessionHeaderWord (state.sessionHeaderWord());
    return copy;
}

uint32_t withBit (uint32_t mask, int bit, bool on)
{
    return on ? mask | (1u << bit) : mask & ~(1u << bit);
}

TEST (SessionStoreSteps, DialogsFolderAndTheSaveThatNeedsNoDialog)
{
    ScratchFolder scratch;
    LabDevice lab;
    ConsoleState state (lab.device.get());
    ASSERT_EQ (state.readFromDevice(), 0);
    state.setMostRecentFolder (scratch.file ("sessions"));
    SessionStore store (state, false), vista (state, true);

    auto save = store.beginSave (false);
    ASSERT_TRUE (save.dialog.has_value());
    EXPECT_EQ (save.dialog->title, "Save settings");
    EXPECT_EQ (save.dialog->filter, "*.ARX session");
    EXPECT_TRUE (save.dialog->forSaving);
    EXPECT_EQ (save.dialog->start, scratch.file ("sessions"));
    EXPECT_TRUE (scratch.file ("sessions").isDirectory()); // made when first needed
    EXPECT_EQ (vista.beginSave (false).dialog->start.getFullPathName(),
               scratch.file ("sessions").getFullPathName() + juce::File::getSeparatorString() + "*.ARX session");

    const auto load = vista.beginLoad();
    ASSERT_TRUE (load.dialog.has_value());
    EXPECT_EQ (load.dialog->title, "Load settings");
    EXPECT_EQ (load.dialog->filter, "*.ARX session;*.ARXsession");
    EXPECT_FALSE (load.dialog->forSaving);
    EXPECT_EQ (load.dialog->start.getFileName(), "*.ARX session;*.ARXsession");

    // Once a session has been loaded, Save goes straight to it; Save as still asks.
    ASSERT_EQ (SessionFile::save (state, scratch.file ("sessions/live.ARX session")), SessionMessage::none);
    EXPECT_EQ (store.finishLoad (scratch.file ("sessions/live.ARX session")).message, SessionMessage::none);
    save = store.beginSave (false);
    EXPECT_FALSE (save.dialog.has_value());
    EXPECT_EQ (SessionStore::withExtension (save.target, store.extension()), scratch.file ("sessions/live.ARX session"));
    EXPECT_TRUE (store.beginSave (true).dialog.has_value());

    // A folder that cannot be made.
    scratch.file ("plain").create();
    state.setMostRecentFolder (scratch.file ("plain/sub"));
    EXPECT_EQ (store.beginSave (true).message, SessionMessage::cannotCreateFolder);
    EXPECT_EQ (store.beginLoad().message, SessionMessage::cannotOpenFolder);
}

TEST (SessionStoreSteps, LegacyLoaderOnlyForModel44978AndItsExactExtension)
{
    ScratchFolder scratch;
    const auto legacy = legacyFile();
    for (const auto* name : { "old.ARXsession", "old.arxsession" })
        scratch.file (name).replaceWithData (legacy.getData(), legacy.getSize());

    LabDevice lab;
    ConsoleState state (lab.device.get());
    SessionStore store (state, false);
    auto result = store.finishLoad (scratch.file ("old.ARXsession"));
    EXPECT_EQ (result.message, SessionMessage::none);
    EXPECT_EQ (state.image().sampleRate, wordAt ((const uint8_t*) legacy.getData(), 6896));

    // Another spelling goes to the session file loader, which refuses the length; the names
    // change all the same, as a loader ran.
    state.setLastSessionName ({});
    result = store.finishLoad (scratch.file ("old.arxsession"));
    EXPECT_EQ (result.message, SessionMessage::unableToOpen);
    EXPECT_TRUE (result.loaderRan);
    EXPECT_EQ (state.lastSessionName(), "old");
    EXPECT_EQ (state.mostRecentFolder(), scratch.folder);

    result = store.finishLoad (scratch.file ("missing.ARX session"));
    EXPECT_EQ (result.message, SessionMessage::fileDoesNotExist);
    EXPECT_FALSE (result.loaderRan);
    EXPECT_EQ (state.lastSessionName(), "old");

    LabDevice otherLab (profileWith ([] (sim::SimProfile& p) { p.hwType = 0xAFB3; }));
    ConsoleState other (otherLab.device.get());
    SessionStore otherStore (other, false);
    EXPECT_EQ (otherStore.loadFilter(), "*.ARX session");
    EXPECT_EQ (otherStore.finishLoad (scratch.file ("old.ARXsession")).message, SessionMessage::unableToOpen);
}

TEST (LegacySession, TakesEveryRecordOfTheDevicesChannelsAndLeavesOddOutputsAlone)
{
    LabDevice lab; // 13 inputs, 6 outputs
    ConsoleState state (lab.device.get());
    fillState (state, 11);
    const auto before = copyOf (state);
    const auto file = legacyFile();
    const auto* f = static_cast<const uint8_t*> (file.getData());

    ASSERT_EQ (LegacySessionFile::decode (state, file.getData(), file.getSize()), SessionMessage::none);
    const auto& image = state.image();
    const auto& old = before->image();
    auto inputGangs = before->inputGangs();

    for (int i = 0; i < 13; ++i)
    {
        EXPECT_EQ (std::memcmp (&image.inputChannel[i], f + 44 + 24 * i, 23), 0);
        EXPECT_EQ (image.inputChannel[i].alias[21], 0);
        inputGangs = withBit (inputGangs, i / 2, f[5228 + 12 * i] != 0);

        for (int c = 0; c < 6; c += 2)
        {
            const auto* pair = f + 620 + 192 * i + 8 * c;
            EXPECT_EQ (image.monitorGain[i][c], wordAt (pair, 0));
            EXPECT_EQ (image.monitorPan[i][c], pair[4]);
            const uint8_t flags = uint8_t ((old.monitorFlags[i][c] & ~3) | (pair[5] != 0 ? 2 : 0) | (pair[6] != 0 ? 1 : 0));
            EXPECT_EQ (image.monitorFlags[i][c], flags);
            EXPECT_EQ (image.monitorGain[i][c + 1], old.monitorGain[i][c + 1]);
            EXPECT_EQ (image.monitorPan[i][c + 1], old.monitorPan[i][c + 1]);
            EXPECT_EQ (image.monitorFlags[i][c + 1], old.monitorFlags[i][c + 1]);
        }
    }
    EXPECT_EQ (state.inputGangs(), inputGangs);
    EXPECT_EQ (std::memcmp (&image.inputChannel[13], &old.inputChannel[13], 24), 0);

    auto playbackGangs = before->playbackGangs(), outputGangs = before->outputGangs();
    for (int o = 0; o < 6; ++o)
    {
        const auto* play = f + 5516 + 28 * o;
        const auto* out = f + 6200 + 28 * o;
        EXPECT_EQ (image.playbackGain[o], wordAt (play, 0));
        EXPECT_EQ (image.outputGain[o], wordAt (out, 0));
        EXPECT_EQ (image.playbackChannel[o].mute, play[4]);
        EXPECT_EQ (image.playbackChannel[o].solo, old.playbackChannel[o].solo);
        EXPECT_EQ (image.outputChannel[o].mute, out[4]);
        EXPECT_EQ (image.outputChannel[o].solo, out[5]);
        EXPECT_EQ (std::memcmp (image.outputChannel[o].alias, out + 6, 21), 0);
        EXPECT_EQ (image.playbackChannel[o].alias[21], 0);
        playbackGangs = withBit (playbackGangs, o / 2, f[6188 + o] != 0);
        outputGangs = withBit (outputGangs, o / 2, f[6872 + o] != 0);
    }
    EXPECT_EQ (state.playbackGangs(), playbackGangs);
    EXPECT_EQ (state.outputGangs(), outputGangs);
    EXPECT_EQ (image.flags, wordAt (f, 40));
    EXPECT_EQ (image.reserved4to5[0], wordAt (f, 6884));
    EXPECT_EQ (image.reserved4to5[1], old.reserved4to5[1]);
    EXPECT_EQ (image.clockSource, wordAt (f, 6892));
    EXPECT_EQ (image.imageLength, old.imageLength);
}

TEST (LegacySession, ChecksLengthThenVersionAndLeavesTheStateOnEitherMessage)
{
    LabDevice lab;
    ConsoleState state (lab.device.get());
    fillState (state, 12);
    const auto before = copyOf (state);

    struct Case
    {
        uint32_t length, version;
        SessionMessage expected;
    };
    for (auto c : { Case { 2047, 256, SessionMessage::dataInvalid }, Case { 2048, 257, SessionMessage::wrongVersion },
                    Case { 0, 0, SessionMessage::wrongVersion } })
    {
        auto file = legacyFile();
        putWord (file, 0, c.length);
        putWord (file, 36, c.version);
        EXPECT_EQ (LegacySessionFile::decode (state, file.getData(), file.getSize()), c.expected);
        EXPECT_TRUE (sameSession (state, *before));
    }
    EXPECT_EQ (LegacySessionFile::decode (state, legacyFile().getData(), 8191), SessionMessage::unableToOpen);
}

TEST (LegacySession, DeviceWithFortyChannelsGetsOnlyTheTwentyFourTheFileHolds)
{
    LabDevice lab (profileWith ([] (sim::SimProfile& p) {
        p.inputGroups = { { 0, 20 }, { 1, 20 } };
        p.outputGroups = { { 0, 20 }, { 1, 20 } };
    }));
    ConsoleState state (lab.device.get());
    ASSERT_EQ (state.inputCount(), 40);
    ASSERT_EQ (state.outputCount(), 40);
    fillState (state, 13);
    const auto before = copyOf (state);
    const auto& old = before->image();

    const auto file = legacyFile(); // exactly 8192 bytes on the heap: a read past it trips the sanitizer
    ASSERT_EQ (LegacySessionFile::decode (state, file.getData(), file.getSize()), SessionMessage::none);
    const auto& image = state.image();

    for (int ch = 24; ch < 40; ++ch)
    {
        EXPECT_EQ (std::memcmp (&image.inputChannel[ch], &old.inputChannel[ch], 24), 0);
        EXPECT_EQ (std::memcmp (&image.outputChannel[ch], &old.outputChannel[ch], 24), 0);
        EXPECT_EQ (std::memcmp (&image.playbackChannel[ch], &old.playbackChannel[ch], 24), 0);
        EXPECT_EQ (image.outputGain[ch], old.outputGain[ch]);
        EXPECT_EQ (std::memcmp (image.monitorGain[ch], old.monitorGain[ch], sizeof (image.monitorGain[ch])), 0);
        EXPECT_EQ (image.monitorGain[0][ch], old.monitorGain[0][ch]);
    }
    EXPECT_NE (image.monitorGain[23][22], old.monitorGain[23][22]);
    EXPECT_EQ (state.inputGangs() >> 12, before->inputGangs() >> 12);
    // The gang tables hold twelve channels.
    EXPECT_EQ (state.playbackGangs() >> 6, before->playbackGangs() >> 6);
    EXPECT_EQ (state.outputGangs() >> 6, before->outputGangs() >> 6);
}

TEST (SessionStoreSteps, ResetLeavesGangsNamesAndFolderAlone)
{
    LabDevice lab;
    ConsoleState state (lab.device.get());
    fillState (state, 14);
    state.setLastSessionName ("gig");
    state.setMostRecentFolder (juce::File ("/tmp/arx-gigs"));
    const auto before = copyOf (state);

    SessionStore (state, false).resetState();

    EXPECT_EQ (state.inputGangs(), before->inputGangs());
    EXPECT_EQ (state.playbackGangs(), before->playbackGangs());
    EXPECT_EQ (state.outputGangs(), before->outputGangs());
    EXPECT_EQ (state.lastSessionName(), "gig");
    EXPECT_EQ (state.mostRecentFolder(), juce::File ("/tmp/arx-gigs"));
    EXPECT_EQ (state.inputAlias (12), "");
    EXPECT_EQ (state.playbackAlias (7), "");
    EXPECT_EQ (state.outputAlias (5), "");
    EXPECT_EQ (state.image().monitorGain[12][5], unityGainCode);
    EXPECT_FALSE (state.outputMute (5));
    EXPECT_TRUE (state.isSafeToWriteBack());
}

} // namespace
} // namespace arx::test
