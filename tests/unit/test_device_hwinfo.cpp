// The description record: decoding, derived channel maps, names and version texts, and the
// gain/pan codes shared by the device commands and the console state.

#include "device/GainCode.h"
#include "device/HardwareInfo.h"
#include "sim/SimProfiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace arx
{
namespace
{

std::vector<uint8_t> profileBytes (const sim::SimProfile& profile)
{
    const auto block = sim::SimProfiles::buildHwinfo (profile, 0);
    const auto* p = static_cast<const uint8_t*> (block.getData());
    return { p, p + block.getSize() };
}

sim::SimProfile arxProfile()
{
    return *sim::SimProfiles::find ("arx");
}

void putWord (std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    std::memcpy (bytes.data() + offset, &value, 4);
}

HardwareInfo decoded (const std::vector<uint8_t>& bytes)
{
    HardwareInfo info;
    EXPECT_TRUE (info.decode (bytes.data(), bytes.size()));
    return info;
}

TEST (HardwareInfo, DecodesTheDefaultProfile)
{
    const auto profile = arxProfile();
    const auto info = decoded (profileBytes (profile));

    EXPECT_EQ (info.vendorId(), 0x75Bu);
    EXPECT_EQ (info.guid() >> 40, 0x75Bu);
    EXPECT_EQ (info.hwType(), profile.hwType);
    EXPECT_EQ (info.modelName(), "ARX");
    EXPECT_EQ (info.inputCount(), profile.inputCount());
    EXPECT_EQ (info.outputCount(), profile.outputCount());
    EXPECT_EQ (info.minSampleRate(), 32000u);
    EXPECT_EQ (info.maxSampleRate(), 192000u);
    EXPECT_TRUE (info.hasFpga());
    EXPECT_FALSE (info.noFlashLock());
    EXPECT_TRUE (info.hasSpdifOutput());
    EXPECT_TRUE (info.hasExternalClocks()); // S/PDIF
    EXPECT_TRUE (info.clockAvailable (3));
    EXPECT_FALSE (info.clockAvailable (2));

    for (int ch = 0; ch < HardwareInfo::maxMappedChannels; ++ch)
    {
        EXPECT_EQ (info.inputKind (ch), profile.inputKind (ch)) << ch;
        EXPECT_EQ (info.outputKind (ch), profile.outputKind (ch)) << ch;
    }
    EXPECT_EQ (info.inputGroupName (1), "Guitar");
    EXPECT_EQ (info.outputGroupName (1), "Headphones");
    EXPECT_EQ (info.outputGroupShortName (1), "H");
}

TEST (HardwareInfo, MapsNumberChannelsAcrossGroupsAndSkipEmptyGroups)
{
    auto profile = arxProfile();
    profile.inputGroups = { { 0, 2 }, { 7, 0 }, { 9, 3 } };
    const auto info = decoded (profileBytes (profile));

    EXPECT_EQ (info.inputGroupCount(), 3);
    EXPECT_EQ (info.inputGroupChannels (1), 0);
    EXPECT_EQ (info.inputGroupOf (2), 2); // the empty group still takes its index
    EXPECT_EQ (info.inputIndexInGroup (4), 2);
    EXPECT_EQ (info.inputKind (4), 9);
    EXPECT_EQ (info.inputKind (5), 0xFF);
    EXPECT_EQ (info.inputGroupOf (5), 0xFF);
    EXPECT_EQ (info.inputKind (-1), 0xFF);
    EXPECT_EQ (info.inputKind (64), 0xFF);
}

TEST (HardwareInfo, MapsHoldAtMostSixtyFourChannels)
{
    auto profile = arxProfile();
    profile.outputGroups = { { 0, 40 }, { 2, 40 } };
    const auto info = decoded (profileBytes (profile));

    EXPECT_EQ (info.outputGroupOf (63), 1);
    EXPECT_EQ (info.outputIndexInGroup (63), 23);
    EXPECT_EQ (info.outputKind (63), 2);
    EXPECT_EQ (info.outputKind (64), 0xFF);
    // The stored record agrees: entry 63 of the output map at byte 452 + 3 * 63.
    EXPECT_EQ (info.bytes()[452 + 63 * 3], 2);
    EXPECT_EQ (info.bytes()[452 + 63 * 3 + 2], 23);
}

TEST (HardwareInfo, GroupCountsAboveEightAreClamped)
{
    auto bytes = profileBytes (arxProfile());
    // The word after the eighth output group is the input group count: read as a ninth output
    // group it would be 4 channels of kind 200.
    putWord (bytes, 124, 0x04C8); // inputGroupCount
    putWord (bytes, 104, 9);      // outputGroupCount
    const auto info = decoded (bytes);

    EXPECT_EQ (info.inputGroupCount(), 8);
    EXPECT_EQ (info.outputGroupCount(), 8);
    EXPECT_EQ (info.inputGroupChannels (8), 0);
    EXPECT_EQ (info.inputGroupName (8), "Input");
    // Each map comes from the eight stored groups only: for the inputs bytes 144.. are not group
    // entries, for the outputs the ninth slot (which holds channels here) is not one.
    const auto mapped = [] (auto kindOf) {
        int n = 0;
        while (n < 64 && kindOf (n) != 0xFF)
            ++n;
        return n;
    };
    const auto stored = [&bytes] (size_t groupsAt) {
        int n = 0;
        for (size_t g = 0; g < 8; ++g)
            n += bytes[groupsAt + 2 * g + 1];
        return std::min (n, 64);
    };
    EXPECT_EQ (mapped ([&] (int c) { return info.inputKind (c); }), stored (128));
    EXPECT_EQ (mapped ([&] (int c) { return info.outputKind (c); }), stored (108));
}

TEST (HardwareInfo, ShortValueReadsZeroAndLongValueIsRejected)
{
    const auto bytes = profileBytes (arxProfile());

    HardwareInfo shortInfo;
    ASSERT_TRUE (shortInfo.decode (bytes.data(), 16));
    EXPECT_EQ (shortInfo.vendorId(), 0x75Bu);
    EXPECT_EQ (shortInfo.inputCount(), 0);
    EXPECT_EQ (shortInfo.modelName(), "");
    EXPECT_EQ (shortInfo.inputKind (0), 0xFF);

    std::vector<uint8_t> tooLong (bytes);
    tooLong.push_back (0);
    HardwareInfo longInfo;
    EXPECT_FALSE (longInfo.decode (tooLong.data(), tooLong.size()));
    EXPECT_EQ (longInfo.vendorId(), 0u);
}

TEST (HardwareInfo, ModelNameWithoutTerminatorStopsAtThirtyTwoBytes)
{
    auto bytes = profileBytes (arxProfile());
    std::memset (bytes.data() + 52, 'M', 32);
    bytes[84] = 'X'; // clockMask follows directly
    const auto info = decoded (bytes);
    EXPECT_EQ (info.modelName(), juce::String::repeatedString ("M", 32));

    bytes[52] = char (0xE9); // not UTF-8: taken byte by byte
    bytes[53] = 0;
    EXPECT_EQ (decoded (bytes).modelName(), juce::String::charToString (juce::juce_wchar (0xE9)));
}

TEST (HardwareInfo, PlaybackCountFollowsTheRate)
{
    auto profile = arxProfile();
    profile.playbackCount1x = 10;
    profile.playbackCount2x = 6;
    profile.playbackCount4x = 2;
    const auto info = decoded (profileBytes (profile));

    EXPECT_EQ (info.playbackCount (50000), 10);
    EXPECT_EQ (info.playbackCount (50001), 6);
    EXPECT_EQ (info.playbackCount (100000), 6);
    EXPECT_EQ (info.playbackCount (100001), 2);
}

TEST (HardwareInfo, ClocksAndSpdif)
{
    auto profile = arxProfile();
    profile.clockMask = 0x43; // Internal, FireWire and bit 6 only
    profile.outputGroups = { { 0, 2 }, { 5, 2 } };
    const auto info = decoded (profileBytes (profile));
    EXPECT_FALSE (info.hasExternalClocks());
    EXPECT_FALSE (info.hasSpdifOutput());

    EXPECT_EQ (HardwareInfo::clockName (0), "Internal");
    EXPECT_EQ (HardwareInfo::clockName (5), "ADAT B");
    EXPECT_EQ (HardwareInfo::clockName (6), "");
}

TEST (HardwareInfo, KindNames)
{
    EXPECT_EQ (HardwareInfo::inputKindShortName (9), "S");
    EXPECT_EQ (HardwareInfo::inputKindShortName (1), "S");
    EXPECT_EQ (HardwareInfo::inputKindName (9), "String");
    EXPECT_EQ (HardwareInfo::inputKindName (8), "Piezo");
    EXPECT_EQ (HardwareInfo::inputKindShortName (6), "");
    EXPECT_EQ (HardwareInfo::inputKindShortName (5), "In");
    EXPECT_EQ (HardwareInfo::inputKindName (42), "Input");
    EXPECT_EQ (HardwareInfo::outputKindName (5), "Headphones");
    EXPECT_EQ (HardwareInfo::outputKindShortName (6), "");
    EXPECT_EQ (HardwareInfo::outputKindShortName (7), "Out");
    EXPECT_EQ (HardwareInfo::outputKindName (2), "ADAT");
}

TEST (HardwareInfo, VersionText)
{
    EXPECT_EQ (HardwareInfo::versionText (0x03020100), "3.2.1");
    EXPECT_EQ (HardwareInfo::versionText (0x0302001E), "3.2.1E");
    EXPECT_EQ (HardwareInfo::versionText (0x01000000), "1.0");
    EXPECT_EQ (HardwareInfo::versionText (0x0502030D), "5.2.3"); // build kind 13 adds nothing
    EXPECT_EQ (HardwareInfo::versionText (0xFF0A0C2E), "255.10.12.2E");
}

TEST (GainCode, ConvertsBothWays)
{
    EXPECT_EQ (gainToCode (0.0f), 0x01000000u);
    EXPECT_EQ (gainToCode (-6.0f), uint32_t (std::nearbyint (std::pow (10.0f, -0.3f) * 16777216.0f)));
    EXPECT_EQ (gainToCode (-400.0f), 0u);
    EXPECT_EQ (gainToCode (400.0f), 0xFFFFFFFFu);
    EXPECT_EQ (gainToCode (std::nanf ("")), 0u);
    EXPECT_FLOAT_EQ (codeToGain (0), -144.0f);
    EXPECT_FLOAT_EQ (codeToGain (0x01000000), 0.0f);
    EXPECT_NEAR (codeToGain (gainToCode (-22.2f)), -22.2f, 1.0e-4f);

    EXPECT_EQ (panToCode (0.0f), 0);
    EXPECT_EQ (panToCode (0.5f), 128); // 127.5 rounds to even
    EXPECT_EQ (panToCode (1.0f), 255);
    EXPECT_EQ (panToCode (-1.0f), 0);
    EXPECT_EQ (panToCode (2.0f), 255);
    EXPECT_FLOAT_EQ (codeToPan (255), 1.0f);
    EXPECT_EQ (panToCode (codeToPan (77)), 77);
}

} // namespace
} // namespace arx
