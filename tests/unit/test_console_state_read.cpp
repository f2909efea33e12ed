#include "console/ConsoleState.h"
#include "sim/SimSessionImage.h"
#include "test_console_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace arx
{
namespace
{

using test::isSessionBlockRequest;

std::vector<uint8_t> imageBytes (const ConsoleState& state)
{
    return { state.image().bytes(), state.image().bytes() + SessionImage::byteCount };
}

// Block replies: parameter 1 is the count delivered, the quadlets follow.
constexpr int replyCount = test::packetParam0 + 1;
constexpr int replyData = test::packetParam0 + 2;

TEST (ConsoleStateRead, ReadsTheFactoryImageAndUndoesTheByteReversal)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());

    EXPECT_EQ (state.readFromDevice(), 0);
    EXPECT_EQ (imageBytes (state), lab.factoryImage());
    EXPECT_EQ (imageBytes (state), lab.sim->sessionArea());
    EXPECT_TRUE (state.isSafeToWriteBack());

    // The pans live in the reversed half: a right-panned odd input proves the order.
    EXPECT_EQ (state.image().monitorPan[1][0], 255);
    EXPECT_EQ (state.image().monitorPan[0][0], 0);

    EXPECT_FALSE (state.hasChanged());
    state.setOutputGain (2, -10.0f);
    EXPECT_TRUE (state.hasChanged());
    state.setOutputGain (2, 0.0f);
    EXPECT_FALSE (state.hasChanged());
}

TEST (ConsoleStateRead, AsksForAtMostSixtyFourQuadletsPerBlock)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    std::vector<uint32_t> asked;
    lab.hook.before = [&] (uint32_t code, const uint32_t* in)
    {
        if (isSessionBlockRequest (code, in))
            asked.push_back (in[test::packetParam0 + 1]);
    };

    ConsoleState state (lab.device.get());
    ASSERT_EQ (state.readFromDevice(), 0);

    ASSERT_EQ (asked.size(), 53u); // 52 full blocks and 20 quadlets
    EXPECT_EQ (asked.front(), 64u);
    EXPECT_EQ (asked.back(), 3348u - 52u * 64u);
}

TEST (ConsoleStateRead, AliasesTakenFromTheDeviceAreTerminated)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    // The device's session has a first input record of 24 'A's and a CRC that covers them.
    auto stored = lab.factoryImage();
    std::memset (stored.data() + 7312, 'A', 24);
    const auto crc = sim::SimSessionImage::crcOf (stored.data());
    lab.hook.after = [crc] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&)
    {
        if (! isSessionBlockRequest (code, in))
            return;
        if (in[test::packetParam0] == 0)
            out[replyData + 1] = crc;
        if (in[test::packetParam0] * 4 <= 7312 && (in[test::packetParam0] + 64) * 4 > 7312 + 24)
        {
            const auto first = (7312 - in[test::packetParam0] * 4) / 4;
            std::memset (out + replyData + first, 'A', 24);
        }
    };

    ConsoleState state (lab.device.get());
    ASSERT_EQ (state.readFromDevice(), 0);
    EXPECT_EQ (state.image().inputChannel[0].alias[21], 0);
    EXPECT_EQ (state.inputAlias (0), juce::String::repeatedString ("A", 21));
}

TEST (ConsoleStateRead, TimeOutsAreRepeated)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    sim::SimFaults faults;
    faults.ntStatus = platform::STATUS_TIMEOUT;
    faults.ntStatusShare = 0.3;
    lab.sim->setFaults (faults);

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), 0);
    EXPECT_EQ (imageBytes (state), lab.factoryImage());
    EXPECT_FALSE (state.hasChanged());
}

TEST (ConsoleStateRead, ADeviceThatKeepsTimingOutGivesTheTimeOutCode)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    sim::SimFaults faults;
    faults.ntStatus = platform::STATUS_RETRY_LATER;
    faults.ntStatusShare = 1.0;
    lab.sim->setFaults (faults);

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), -1);
    EXPECT_FALSE (state.isSafeToWriteBack());
}

TEST (ConsoleStateRead, AHardErrorMidwayKeepsThePartialImageButForbidsTheWriteBack)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    lab.failSessionReadAfter (19, 5);

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), 2);

    const auto factory = lab.factoryImage();
    const auto image = imageBytes (state);
    EXPECT_TRUE (std::equal (image.begin(), image.begin() + 19 * 64 * 4, factory.begin()));
    EXPECT_EQ (state.image().imageLength, 3348u);
    EXPECT_EQ (state.image().outputGain[0], 0x01000000u) << "never arrived: the reset value";

    EXPECT_FALSE (state.isSafeToWriteBack());
    state.setOutputGain (0, 0.0f);
    EXPECT_FALSE (state.hasChanged());

    // A session load or a reset makes the state whole again.
    state.resetToDefaults();
    EXPECT_TRUE (state.isSafeToWriteBack());
    EXPECT_TRUE (state.hasChanged());
}

TEST (ConsoleStateRead, ABlockReplyClaimingMoreThanAskedIsCut)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&)
    {
        if (isSessionBlockRequest (code, in))
            out[replyCount] = in[test::packetParam0 + 1] + 40;
    };

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), 0);
    EXPECT_EQ (imageBytes (state), lab.factoryImage());
}

TEST (ConsoleStateRead, ShortBlocksAreFollowedUp)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&)
    {
        if (isSessionBlockRequest (code, in) && out[replyCount] > 7)
            out[replyCount] = 7;
    };

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), 0);
    EXPECT_EQ (imageBytes (state), lab.factoryImage());
}

TEST (ConsoleStateRead, ADeviceThatDeliversNothingDoesNotHangTheRead)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&)
    {
        if (isSessionBlockRequest (code, in))
            out[replyCount] = 0;
    };

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), -1);
    EXPECT_FALSE (state.isSafeToWriteBack());
}

// Quadlet `at` of every session block reply reads `value`.
std::function<void (uint32_t, const uint32_t*, uint32_t*, uint32_t&)> replaceQuadlet (uint32_t at, uint32_t value)
{
    return [at, value] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&) {
        const auto offset = in[test::packetParam0];
        if (isSessionBlockRequest (code, in) && at >= offset && at < offset + 64)
            out[replyData + (at - offset)] = value;
    };
}

TEST (ConsoleStateRead, ASessionOfAnotherLengthOrCrcStartsFromTheResetValues)
{
    // A wrong length, and a torn image: the tail of a write-back that was cut short.
    for (auto [at, value] : { std::pair<uint32_t, uint32_t> { 0, 3347 }, { 3000, 0xFFFFFFFFu } })
    {
        test::LabDevice lab;
        ASSERT_NE (lab.device, nullptr);
        lab.hook.after = replaceQuadlet (at, value);
        ConsoleState reset (lab.device.get());
        reset.resetToDefaults();

        ConsoleState state (lab.device.get());
        EXPECT_EQ (state.readFromDevice(), 1);
        EXPECT_EQ (state.image().imageLength, SessionImage::quadletCount);
        EXPECT_EQ (state.image().imageVersion, SessionImage::writeBackVersion);
        EXPECT_EQ (state.image().quadlets()[3000], reset.image().quadlets()[3000]);
        EXPECT_TRUE (state.isSafeToWriteBack());
        EXPECT_TRUE (state.hasChanged()) << "closing must write a valid session back";
    }
}

TEST (ConsoleStateRead, ErasedSessionReadsAsTheResetValuesNotAsErasedBytes)
{
    sim::PlugOptions options;
    options.blankSession = true;
    test::LabDevice lab (options);
    ASSERT_NE (lab.device, nullptr);
    ASSERT_TRUE ((bool) lab.sim->dump()["flash"]["sessionBlank"]);

    ConsoleState state (lab.device.get());
    EXPECT_EQ (state.readFromDevice(), 1);

    EXPECT_EQ (state.outputGain (0), 0.0f);
    EXPECT_EQ (state.playbackGain (7), 0.0f);
    EXPECT_EQ (state.monitorGain (12, 5), 0.0f);
    EXPECT_EQ (state.monitorPan (1, 0), 1.0f);
    EXPECT_EQ (state.image().monitorPan[2][0], 128); // a guitar input: centred
    EXPECT_FALSE (state.monitorMute (0, 0));
    EXPECT_TRUE (state.monitorMute (2, 0));
    EXPECT_FALSE (state.outputMute (3));
    EXPECT_EQ (state.inputAlias (0), "");
    EXPECT_EQ (state.outputAlias (5), "");
    EXPECT_EQ (state.guitarSetting(), ConsoleState::defaultGuitarDelay);
    EXPECT_TRUE (state.guitarEnabled());
    EXPECT_EQ (state.image().sampleRate, 48000u); // the clock the device runs on
    EXPECT_EQ (state.storedCrc(), 0xFFFFFFFFu);
    EXPECT_TRUE (state.hasChanged());
}

TEST (ConsoleStateRead, StoredCrcComesFromTheSessionArea)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    ConsoleState state (lab.device.get());
    ASSERT_EQ (state.readFromDevice(), 0);

    const auto stored = lab.sim->sessionArea();
    uint32_t crcWord = 0;
    std::memcpy (&crcWord, stored.data() + 4, 4);
    EXPECT_EQ (state.storedCrc(), crcWord);
    EXPECT_EQ (state.image().imageCrc, crcWord);
}

} // namespace
} // namespace arx
