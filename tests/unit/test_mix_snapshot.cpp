// What one edit step holds: the words of the state that changed, applied either way without
// touching the rest, and the places a listener is told of.

#include "console/ConsoleState.h"
#include "console/MixSnapshot.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

TEST (MixDiff, AStepNamesItsPlacesAndTakesBackOnlyItsOwnWords)
{
    ConsoleState state (nullptr);
    const auto before = MixSnapshot::of (state);

    state.setMonitorGain (3, 5, -12.0f);
    state.setMonitorPan (2, 4, 0.25f);
    state.setMonitorSolo (7, 0, true);
    state.setPlaybackMute (6, true);
    state.setOutputAlias (9, "Booth");
    state.setOutputGain (1, -3.0f);
    state.setPlaybackGangs (0x4);
    state.setFlags (SessionImage::flagSpdifFormat);
    state.image().sampleRate = 96000; // never part of a step

    const auto diff = MixDiff::between (before, MixSnapshot::of (state));
    const std::vector<MixChange> expected {
        { MixChange::setting },
        { MixChange::monitorLevel, 3, 5 },
        { MixChange::outputLevel, 1 },
        { MixChange::monitorPan, 2, 4 },
        { MixChange::monitorPan, 2, 5 },
        { MixChange::monitorSolo, 7, 0 },
        { MixChange::monitorSolo, 7, 1 },
        { MixChange::playbackMute, 6 },
        { MixChange::outputName, 9 },
        { MixChange::gangs, 2 },
    };
    EXPECT_EQ (diff.changes(), expected);
    EXPECT_TRUE (diff.touchesSettings());

    // The device changed another value meanwhile: taking the step back leaves it.
    state.setPlaybackGain (0, -20.0f);
    diff.apply (state, true);
    EXPECT_EQ (state.monitorGainCode (3, 5), 0u);
    EXPECT_TRUE (state.outputAlias (9).isEmpty());
    EXPECT_FALSE (state.testFlags (SessionImage::flagSpdifFormat));
    EXPECT_EQ (state.playbackGangs(), 0u);
    EXPECT_FLOAT_EQ (state.playbackGain (0), -20.0f);
    EXPECT_EQ (state.image().sampleRate, 96000u);

    diff.apply (state, false);
    EXPECT_EQ (state.outputAlias (9), "Booth");
    EXPECT_TRUE (state.monitorSolo (7, 0));
}

} // namespace
} // namespace arx::test
