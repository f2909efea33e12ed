// The whole mixer page of a real console against a separate device lab, driven through X with
// the mouse and the keyboard: the tabs switch every strip to their pair, the playback and output
// strips' controls reach the device, a ganged output pair moves together, and a volume change
// made by another program shows on the playback fader in both OS generations.

#include "device/GainCode.h"
#include "e2e/ConsoleE2eTest.h"

namespace arx::e2e
{
namespace
{

// Where things are in the content of an "arx" window (13 inputs) with the shipped skin: the
// page starts 30 pixels down; the playback column at x 702, the output column at 810, both
// 167 pixels down; strips 54 pixels apart.
constexpr int playX = 13 * 54, outX = playX + 108, columnY = 30 + 137, stripWidth = 54;

struct Spot
{
    int x, y;
};

Spot tab (const WindowInfo& w, int t) { return { w.x + 3 + 140 * t + 60, w.y + 15 }; }
Spot playValueBox (const WindowInfo& w, int q) { return { w.x + playX + q * stripWidth + 29, w.y + columnY + 325 }; }
Spot playMute (const WindowInfo& w, int q) { return { w.x + playX + q * stripWidth + 30, w.y + columnY + 76 }; }
Spot playSolo (const WindowInfo& w, int q) { return { w.x + playX + q * stripWidth + 30, w.y + columnY + 53 }; }
Spot outValueBox (const WindowInfo& w, int q) { return { w.x + outX + q * stripWidth + 29, w.y + columnY + 325 }; }
Spot outMute (const WindowInfo& w, int q) { return { w.x + outX + q * stripWidth + 30, w.y + columnY + 76 }; }
Spot outFader (const WindowInfo& w, int q, int y) { return { w.x + outX + q * stripWidth + 30, w.y + columnY + 96 + y }; }
Spot gang (const WindowInfo& w, int column) { return { w.x + (column == 0 ? playX : outX) + 56, w.y + columnY + 353 }; }

class MixerPageE2e : public ConsoleE2eTest
{
protected:
    void open()
    {
        name = plugged();
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
    }

    void click (Spot s)
    {
        ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (s.x), std::to_string (s.y), "click", "1" }).exitCode, 0);
    }

    // A level typed into a value box and entered.
    void typeLevel (Spot box, const std::string& text)
    {
        click (box);
        ASSERT_EQ (rig->xdotool ({ "type", "--delay", "30", "--", text }).exitCode, 0);
        ASSERT_EQ (rig->xdotool ({ "key", "Return" }).exitCode, 0);
    }

    void drag (Spot from, Spot to)
    {
        ASSERT_EQ (rig->xdotool ({ "mousemove", "--sync", std::to_string (from.x), std::to_string (from.y), "mousedown", "1",
                                   "mousemove", "--sync", std::to_string (from.x), std::to_string ((from.y + to.y) / 2),
                                   "mousemove", "--sync", std::to_string (to.x), std::to_string (to.y), "mouseup", "1" })
                       .exitCode,
                   0);
    }

    bool deviceHas (const char* table, int channel, juce::int64 value, int timeoutMs = 5000)
    {
        return ConsoleRig::waitUntil ([&] { return rig->dump (name).channel (table, channel) == value; }, timeoutMs, 100);
    }

    // The value boxes of the playback and output strips, as the screen shows them.
    std::string valueBoxes() { return rig->grab (window.x + playX, window.y + columnY + 317, 221, 16); }

    // The screen has shown `expected` in the value boxes for a moment (they repaint when a
    // tab's reads come back).
    bool boxesShow (const std::string& expected)
    {
        return ConsoleRig::waitUntil ([&] { return valueBoxes() == expected; }, 5000, 100);
    }

    std::string name;
    int console = -1;
    WindowInfo window;
};

TEST_F (MixerPageE2e, EachTabShowsItsPairsOwnLevelsAndATypedLevelReachesThatPairOnly)
{
    open();
    ASSERT_EQ (rig->dump (name).channel ("outputGain", 0), unityGainCode);
    const auto firstPair = valueBoxes();
    ASSERT_FALSE (firstPair.empty()) << "no screen grab";

    // HEADPHONES: the left output's and the right playback channel's levels, typed.
    click (tab (window, 1));
    typeLevel (outValueBox (window, 0), "-12.5");
    typeLevel (playValueBox (window, 1), "-20");
    EXPECT_TRUE (deviceHas ("outputGain", 2, gainToCode (-12.5f)));
    EXPECT_TRUE (deviceHas ("playbackGain", 3, gainToCode (-20.0f)));
    const auto d = rig->dump (name);
    for (int c : { 0, 1, 3, 4, 5 })
        EXPECT_EQ (d.channel ("outputGain", c), unityGainCode) << "output " << c;
    for (int c : { 0, 1, 2, 4, 5 })
        EXPECT_EQ (d.channel ("playbackGain", c), unityGainCode) << "playback channel " << c;

    // The boxes show each pair's own levels, and the same again when the tab comes back.
    ConsoleRig::waitUntil ([&] { return valueBoxes() != firstPair; }, 5000, 100);
    const auto secondPair = valueBoxes();
    EXPECT_NE (secondPair, firstPair);
    click (tab (window, 0));
    EXPECT_TRUE (boxesShow (firstPair)) << "the first pair's levels did not come back";
    click (tab (window, 1));
    EXPECT_TRUE (boxesShow (secondPair)) << "the headphones' levels did not come back";
    click (tab (window, 2));
    EXPECT_TRUE (boxesShow (firstPair)) << "S/PDIF is at 0 dB as the first pair was";
    rig->screenshot();
}

TEST_F (MixerPageE2e, AGangedOutputPairMovesTogether)
{
    open();
    // A new console links every pair. A press on the left fader's track and a drag move both.
    drag (outFader (window, 0, 80), outFader (window, 0, 120));
    ASSERT_TRUE (ConsoleRig::waitUntil (
        [&] {
            const auto d = rig->dump (name);
            return d.channel ("outputGain", 0) != unityGainCode && d.channel ("outputGain", 0) == d.channel ("outputGain", 1);
        },
        5000, 100))
        << rig->dump (name).channel ("outputGain", 0) << " " << rig->dump (name).channel ("outputGain", 1);

    // Unlinked, the left one moves alone.
    const auto right = rig->dump (name).channel ("outputGain", 1);
    click (gang (window, 1));
    drag (outFader (window, 0, 120), outFader (window, 0, 40));
    EXPECT_TRUE (ConsoleRig::waitUntil (
        [&] {
            const auto d = rig->dump (name);
            return d.channel ("outputGain", 0) > right;
        },
        5000, 100));
    EXPECT_EQ (rig->dump (name).channel ("outputGain", 1), right);
}

TEST_F (MixerPageE2e, EveryPlaybackAndOutputControlReachesTheDevice)
{
    open();
    click (gang (window, 0));
    click (gang (window, 1));

    click (playSolo (window, 1));
    EXPECT_TRUE (deviceHas ("playbackSolo", 1, 1));
    click (playMute (window, 0));
    EXPECT_TRUE (deviceHas ("playbackMute", 0, 1));
    typeLevel (playValueBox (window, 0), "-6");
    EXPECT_TRUE (deviceHas ("playbackGain", 0, gainToCode (-6.0f)));
    click (outMute (window, 1));
    EXPECT_TRUE (deviceHas ("outputMute", 1, 1));
    typeLevel (outValueBox (window, 0), "-9");
    EXPECT_TRUE (deviceHas ("outputGain", 0, gainToCode (-9.0f)));

    // Each control reached its own channel only.
    const auto d = rig->dump (name);
    EXPECT_EQ (d.channel ("playbackSolo", 0), 0);
    EXPECT_EQ (d.channel ("playbackMute", 1), 0);
    EXPECT_EQ (d.channel ("playbackGain", 1), unityGainCode);
    EXPECT_EQ (d.channel ("outputMute", 0), 0);
    EXPECT_EQ (d.channel ("outputGain", 1), unityGainCode);

    // The session written back at close carries them.
    for (const auto& w : rig->windowsOf (name))
        rig->x().requestClose (w.id);
    ASSERT_TRUE (rig->console (console).waitForExit (15000));
    EXPECT_GE ((int) rig->dump (name).flash ("sessionWrites"), 1);
}

TEST_F (MixerPageE2e, AVolumeChangeByAnotherProgramShowsOnThePlaybackFaderInBothGenerations)
{
    for (bool vista : { false, true })
    {
        SCOPED_TRACE (vista ? "endpoint link" : "legacy mixer link");
        const ScopedGeneration generation (vista);
        name = plugged ("arx", vista ? "Vista-1" : "Legacy-1");
        console = launch();
        ASSERT_TRUE (rig->waitForWindow (name, window)) << rig->consoleLog (console);
        const char* held = vista ? "clients" : "mixerHandles";
        ASSERT_TRUE (ConsoleRig::waitUntil (
            [&] { return (int) rig->dump (name).json["endpoints"][0][held] == 1; }, 10000));

        // The right playback strip's fader and value box.
        const auto fader = [&] { return rig->grab (window.x + playX + stripWidth + 6, window.y + columnY + 96, 36, 237); };
        const auto before = fader();
        ASSERT_FALSE (before.empty());
        const int reads = rig->dump (name).gwc ("6/1");

        ASSERT_EQ (rig->endpoint (name, 1, "--volume", "-18"), 0);
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return rig->dump (name).gwc ("6/1") > reads; }, 5000, 100))
            << "the fader did not read the device again";
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return fader() != before; }, 5000, 100)) << "the fader did not move";

        // Back at 0 dB the fader looks as it did.
        ASSERT_EQ (rig->endpoint (name, 1, "--volume", "0"), 0);
        EXPECT_TRUE (ConsoleRig::waitUntil ([&] { return fader() == before; }, 5000, 100));

        for (const auto& w : rig->windowsOf (name))
            rig->x().requestClose (w.id);
        ASSERT_TRUE (rig->console (console).waitForExit (15000));
        ASSERT_TRUE (rig->unplug (name));
    }
}

} // namespace
} // namespace arx::e2e
