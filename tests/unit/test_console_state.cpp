#include "console/ConsoleState.h"
#include "console/Crc32.h"
#include "test_console_fixture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace arx
{
namespace
{

TEST (ConsoleStateValues, GainCodesRoundTripThroughDecibels)
{
    ConsoleState state (nullptr);

    state.setMonitorGain (2, 7, 0.0f);
    EXPECT_EQ (state.image().monitorGain[2][7], 0x01000000u);
    EXPECT_EQ (state.image().quadlets()[8 + 40 * 2 + 7], 0x01000000u);

    state.setOutputGain (3, -6.0f);
    EXPECT_EQ (state.image().outputGain[3], 8408526u);
    EXPECT_NEAR (state.outputGain (3), -6.0f, 1.0e-4f);

    state.setPlaybackGain (39, 6.0f);
    EXPECT_NEAR (state.playbackGain (39), 6.0f, 1.0e-4f);

    state.image().monitorGain[0][0] = 0;
    EXPECT_EQ (state.monitorGain (0, 0), -144.0f);
}

TEST (ConsoleStateValues, PanMuteAndSoloCoverTheWholeOutputPair)
{
    ConsoleState state (nullptr);

    state.setMonitorPan (3, 5, 1.0f);
    EXPECT_EQ (state.image().monitorPan[3][4], 255);
    EXPECT_EQ (state.image().monitorPan[3][5], 255);
    EXPECT_EQ (state.image().monitorPan[3][6], 0);
    EXPECT_EQ (state.monitorPan (3, 4), 1.0f);
    EXPECT_EQ (state.monitorPan (3, 5), 1.0f);

    state.setMonitorPan (0, 0, 0.5f);
    EXPECT_EQ (state.image().monitorPan[0][1], 128); // 127.5 rounds to even

    // Only the even channel is read back.
    state.image().monitorPan[1][3] = 51;
    EXPECT_EQ (state.monitorPan (1, 3), 0.0f);

    state.setMonitorSolo (6, 9, true);
    state.setMonitorMute (6, 8, true);
    EXPECT_EQ (state.image().monitorFlags[6][8], 3);
    EXPECT_EQ (state.image().monitorFlags[6][9], 3);
    state.setMonitorMute (6, 9, false);
    EXPECT_EQ (state.image().monitorFlags[6][8], 2);
    EXPECT_TRUE (state.monitorSolo (6, 9));
    EXPECT_FALSE (state.monitorMute (6, 8));

    state.setPlaybackMute (4, true);
    state.setPlaybackSolo (5, true);
    state.setOutputMute (1, true);
    EXPECT_EQ (state.image().playbackChannel[4].mute, 1);
    EXPECT_EQ (state.image().playbackChannel[5].solo, 1);
    EXPECT_EQ (state.image().outputChannel[1].mute, 1);
    EXPECT_TRUE (state.playbackMute (4));
    EXPECT_FALSE (state.playbackMute (5));
}

TEST (ConsoleStateValues, AliasesAreCutAndNeverOverrunTheirField)
{
    ConsoleState state (nullptr);
    const juce::String thirty ("abcdefghijklmnopqrstuvwxyz0123");

    std::memset (state.image().inputChannel[2].alias, 'Z', ChannelRecord::aliasFieldSize);
    state.image().inputChannel[3].mute = 0x5A;

    state.setInputAlias (2, thirty);
    EXPECT_EQ (state.inputAlias (2), thirty.substring (0, 21));
    EXPECT_EQ (state.image().inputChannel[2].alias[21], 0);
    EXPECT_EQ (state.image().inputChannel[3].mute, 0x5A);

    // A record whose field has no terminator still reads as at most 21 characters.
    std::memset (state.image().outputChannel[0].alias, 'Q', ChannelRecord::aliasFieldSize);
    EXPECT_EQ (state.outputAlias (0), juce::String::repeatedString ("Q", 21));

    // 8-bit text: Latin-1 characters survive, wider ones become '?'.
    state.setPlaybackAlias (7, juce::String (juce::CharPointer_UTF8 ("Caf\xc3\xa9 \xe2\x82\xac")));
    EXPECT_EQ ((uint8_t) state.image().playbackChannel[7].alias[3], 0xE9);
    EXPECT_EQ (state.image().playbackChannel[7].alias[5], '?');
    EXPECT_EQ (state.playbackAlias (7), juce::String (juce::CharPointer_UTF8 ("Caf\xc3\xa9 ?")));

    state.setPlaybackAlias (7, {});
    EXPECT_TRUE (state.playbackAlias (7).isEmpty());
}

TEST (ConsoleStateValues, GangBitsAreSharedByAPair)
{
    ConsoleState state (nullptr);

    state.setPlaybackGang (5, true);
    EXPECT_EQ (state.playbackGangs(), 1u << 2);
    EXPECT_TRUE (state.isPlaybackGanged (4));
    EXPECT_FALSE (state.isPlaybackGanged (6));

    state.setOutputGangs (0xFFFFFFFFu);
    state.setOutputGang (38, false);
    EXPECT_EQ (state.outputGangs(), ~(1u << 19));
    EXPECT_FALSE (state.isOutputGanged (39));

    state.setInputGang (0, true);
    EXPECT_TRUE (state.isInputGanged (1));
    EXPECT_EQ (state.outputGangs() & 1u, 1u);
}

TEST (ConsoleStateValues, FlagsAndGuitarSetting)
{
    ConsoleState state (nullptr);
    state.image().flags = 0x80000001u; // bits the console does not own stay

    state.setFlags (SessionImage::flagSpdifFormat);
    EXPECT_TRUE (state.testFlags (2));
    state.setGuitarSetting (true, 120);
    EXPECT_TRUE (state.guitarEnabled());
    EXPECT_EQ (state.guitarSetting(), 120u);
    state.clearFlags (SessionImage::flagSpdifFormat);
    state.setGuitarSetting (false, 60);
    EXPECT_FALSE (state.guitarEnabled());
    EXPECT_EQ (state.image().flags, 0x80000001u);
}

TEST (ConsoleStateCrc, StandardCheckValueAndImageRange)
{
    EXPECT_EQ (crc32 ("123456789", 9), 0xCBF43926u);
    EXPECT_EQ (crc32 ("", 0), 0u);

    ConsoleState state (nullptr);
    const auto crc = state.computeCrc();
    EXPECT_EQ (state.image().imageCrc, crc);
    EXPECT_EQ (crc, crc32 (state.image().bytes() + 8, SessionImage::byteCount - 8));

    // The length and CRC words are outside the range; the last byte is inside.
    state.image().imageLength = 1234;
    EXPECT_EQ (state.computeCrc(), crc);
    state.image().outputChannel[39].alias[21] = 1;
    EXPECT_NE (state.computeCrc(), crc);
}

TEST (ConsoleStateCrc, HasChangedComparesWithTheStoredCrcOnceTheImageIsWhole)
{
    ConsoleState state (nullptr);
    state.setStoredCrc (state.computeCrc());

    state.setOutputGain (0, -3.0f);
    EXPECT_FALSE (state.hasChanged()); // never read: nothing may be written back

    state.markImageReplaced();
    EXPECT_TRUE (state.hasChanged());
    state.image().outputGain[0] = 0;
    EXPECT_FALSE (state.hasChanged());
}

TEST (ConsoleStateSession, HeaderCarriesIdentityAndGangs)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());
    state.setInputGangs (0x80000005u);
    state.setPlaybackGangs (6);
    state.setOutputGangs (7);
    state.setSessionHeaderWord (99);

    SessionHeader header;
    header.fill (0xEEEEEEEEu);
    state.fillSessionHeader (header);
    EXPECT_EQ (header[0], 0x4272696Fu);
    EXPECT_EQ (header[1], 13456u);
    EXPECT_EQ (header[2], 1883u);
    EXPECT_EQ (header[3], 0xAFB2u);
    EXPECT_EQ (header[4], lab.device->info().hwVersion());
    EXPECT_EQ (header[7], 0x80000005u);
    EXPECT_EQ (header[8], 6u);
    EXPECT_EQ (header[9], 7u);
    EXPECT_EQ (header[10], 99u);
    for (int w : { 5, 6, 11, 12, 13, 14, 15 })
        EXPECT_EQ (header[(size_t) w], 0u) << w;

    ConsoleState other (lab.device.get());
    other.applySessionHeader (header);
    EXPECT_EQ (other.inputGangs(), 0x80000005u);
    EXPECT_EQ (other.playbackGangs(), 6u);
    EXPECT_EQ (other.outputGangs(), 7u);
    EXPECT_EQ (other.sessionHeaderWord(), 99u);
}

TEST (ConsoleStateCounts, CountsAboveFortyAreUsedAsForty)
{
    sim::PlugOptions options;
    options.hwinfoOverride = test::hwinfoWith ([] (sim::SimProfile& p)
    {
        p.inputGroups = { { 0, 30 }, { 2, 24 } };
        p.outputGroups = { { 0, 2 } };
        p.playbackCount1x = 64;
    });
    test::LabDevice lab (options);
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());

    EXPECT_EQ (lab.device->info().inputCount(), 54);
    EXPECT_EQ (state.inputCount(), 40);
    EXPECT_EQ (state.outputCount(), 2);
    EXPECT_EQ (state.playbackCount(), 40);
    EXPECT_EQ (ConsoleState::clampChannelCount (-3), 0);
}

TEST (ConsoleStateReset, DefaultsFollowTheChannelKinds)
{
    test::LabDevice lab; // Analog 2, Guitar 2, Piezo 1, String 6, S/PDIF 2 in; Analog 2, Headphones 2, S/PDIF 2 out
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());
    std::memset (&state.image(), 0x5A, sizeof (SessionImage));
    state.setInputGangs (3);
    state.setInputAlias (0, "Vox");

    state.resetToDefaults();

    EXPECT_TRUE (state.isSafeToWriteBack());
    const auto& image = state.image();
    for (int i = 0; i < 13; ++i)
    {
        for (int o = 0; o < 6; ++o)
        {
            EXPECT_EQ (image.monitorGain[i][o], 0x01000000u);
            const bool heard = i < 2 && o < 2;
            EXPECT_EQ (image.monitorFlags[i][o] & 3, heard ? 0 : 1) << i << " " << o;
        }
    }
    EXPECT_EQ (image.monitorPan[0][3], 0);
    EXPECT_EQ (image.monitorPan[1][3], 255);
    for (int i = 2; i < 11; ++i)
        EXPECT_EQ (image.monitorPan[i][0], 128) << i; // guitar, piezo and string inputs
    EXPECT_EQ (image.monitorPan[11][0], 0) << "S/PDIF 1 left, though its index is odd";
    EXPECT_EQ (image.monitorPan[12][5], 255);

    for (int c = 0; c < 6; ++c)
    {
        EXPECT_EQ (image.outputGain[c], 0x01000000u);
        EXPECT_EQ (image.playbackGain[c], 0x01000000u);
        EXPECT_EQ (image.outputChannel[c].mute, 0);
        EXPECT_EQ (image.playbackChannel[c].mute, 0);
        EXPECT_EQ (image.playbackChannel[c].solo, 0);
    }

    EXPECT_FALSE (state.testFlags (SessionImage::flagSpdifFormat | SessionImage::flagGuitarHexMode));
    EXPECT_TRUE (state.guitarEnabled());
    EXPECT_EQ (state.guitarSetting(), 300u);
    EXPECT_TRUE (state.testFlags (1u << 4)); // not the console's: kept
    EXPECT_EQ (state.inputGangs(), 3u);
    EXPECT_EQ (state.inputAlias (0), "Vox");
}

TEST (ConsoleStateReset, EveryProfilePansThePairsOfEachInputGroupLeftAndRight)
{
    for (const auto& name : sim::SimProfiles::names())
    {
        const auto& profile = *sim::SimProfiles::find (name);
        if (! profile.hasHwinfo)
            continue;
        sim::PlugOptions options;
        options.profile = name;
        test::LabDevice lab (options);
        ASSERT_NE (lab.device, nullptr) << name;
        ConsoleState state (lab.device.get());
        state.resetToDefaults();
        // A new device comes with the same pans.
        const auto factory = lab.factoryImage();
        const auto* factoryPan = factory.data() + offsetof (SessionImage, monitorPan);

        int in = 0;
        for (const auto& group : profile.inputGroups)
            for (int k = 0; k < group.channels; ++k, ++in)
            {
                const bool centred = group.kind == 7 || group.kind == 8 || group.kind == 9; // guitar, piezo, string
                const int expected = centred ? 128 : (k % 2 == 0 ? 0 : 255);
                for (int o = 0; o < state.outputCount(); ++o)
                {
                    EXPECT_EQ (state.image().monitorPan[in][o], expected) << name << " input " << in << " output " << o;
                    EXPECT_EQ (factoryPan[SessionImage::maxChannels * in + o], expected) << name << " input " << in;
                }
            }
    }
}

TEST (ConsoleStateFolders, SessionsFolderIsNamedAfterTheModel)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());

    EXPECT_EQ (state.sessionsFolder(),
               juce::File::getSpecialLocation (juce::File::userDocumentsDirectory).getChildFile ("ARX sessions"));

    const juce::TemporaryFile temp;
    const auto nested = temp.getFile().getChildFile ("a").getChildFile ("b");
    state.setMostRecentFolder (nested);
    EXPECT_EQ (state.sessionsFolder(), nested);
    EXPECT_EQ (state.sessionDialogFolder(), nested);
    EXPECT_TRUE (nested.isDirectory());
    temp.getFile().deleteRecursively();

    // A folder below a plain file cannot be made.
    const juce::TemporaryFile blocker;
    ASSERT_TRUE (blocker.getFile().replaceWithText ("x"));
    state.setMostRecentFolder (blocker.getFile().getChildFile ("sessions"));
    EXPECT_EQ (state.sessionDialogFolder(), juce::File());
}

} // namespace
} // namespace arx
