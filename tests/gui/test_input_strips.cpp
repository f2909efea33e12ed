// The input strips of a real console window against the in-process lab: numbers, names and
// header, the pair switch, mutes and solos alone, ganged and across all strips, the reset
// routing, and a device with more inputs than the box shows.

#include "mixer/MixerPage.h"
#include "device/GainCode.h"
#include "look/ConsoleLookAndFeel.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/FaderTextBox.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

constexpr uint32_t monitorCategory = 8;
constexpr uint32_t setGain = 0, setMute = 2, setSolo = 4, setPan = 6;

InputStripBox& strips (WindowRig& rig)
{
    return *rig.content().getInputStrips();
}

// Collects the lab's commands of one category until `count` have arrived.
std::vector<SentCommand> waitForMonitorCommands (sim::SimDevice& device, size_t count)
{
    std::vector<SentCommand> found;
    pumpUntil ([&] {
        for (auto& c : takeCommands (device))
            if (c.category == monitorCategory)
                found.push_back (c);
        return found.size() >= count;
    });
    // Anything beyond the expected commands would arrive right behind them.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    for (auto& c : takeCommands (device))
        if (c.category == monitorCategory)
            found.push_back (c);
    return found;
}

// The lab's monitor commands `command` until one has arrived, and any right behind it.
std::vector<SentCommand> waitForMonitorSets (sim::SimDevice& device, uint32_t command)
{
    std::vector<SentCommand> found;
    const auto collect = [&] {
        for (auto& c : takeCommands (device))
            if (isCommand (c, monitorCategory, command))
                found.push_back (c);
        return ! found.empty();
    };
    pumpUntil (collect);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    collect();
    return found;
}

TEST (InputStrips, NumbersNamesAndHeadersFollowTheInputGroups)
{
    WindowRig rig;
    auto& box = strips (rig);
    ASSERT_EQ (box.getNumStrips(), 13);
    EXPECT_EQ (box.getBounds(), juce::Rectangle<int> (0, 0, 13 * 54, 465 + 41));
    EXPECT_EQ (rig.content().getMixerPage()->getBounds(), juce::Rectangle<int> (0, 30, 13 * 54 + 221, 506));

    const char* numbers[] = { "1", "2", "1", "2", nullptr, "6", "5", "4", "3", "2", "1", "1", "2" };
    const char* names[] = { "In A1", "In A2", "In G1", "In G2", "Piezo", "Low E", "A",
                            "D",     "G",     "B",     "High E", "In S1", "In S2" };
    for (int k = 0; k < 13; ++k)
    {
        auto& strip = *box.getStrip (k);
        EXPECT_EQ (strip.getBounds(), juce::Rectangle<int> (k * 54, 41, 54, 465));
        if (numbers[k] == nullptr)
            EXPECT_EQ (strip.getNumberLabel(), nullptr) << "a group of one channel has no number";
        else
        {
            ASSERT_NE (strip.getNumberLabel(), nullptr) << k;
            EXPECT_EQ (strip.getNumberLabel()->getText(), numbers[k]) << k;
            EXPECT_EQ (strip.getNumberLabel()->getName(), juce::String::formatted ("upper label %d", k));
        }
        EXPECT_EQ (strip.getAlias().getText(), names[k]) << k;
        EXPECT_EQ (rig.state().inputAlias (k), "") << "a default name is shown, not stored";
        EXPECT_EQ (strip.getAlias().getName(), "alias");
        EXPECT_EQ (strip.getFader().getName(), juce::String::formatted ("mon fader %d", k));
        EXPECT_EQ (strip.getSolo().getName(), juce::String::formatted ("mon solo %d", k));
        EXPECT_EQ (strip.getMute().getName(), "mon mute");
        EXPECT_EQ (strip.getPanKnob().getName(), "pan");
    }

    // One label per group, centred over the group's strips.
    auto& header = box.getHeader();
    ASSERT_EQ (header.getNumLabels(), 5);
    const char* groups[] = { "ANALOG", "GUITAR", "PIEZO", "STRING", "S/PDIF" };
    const int centres[] = { 54, 3 * 54, 4 * 54 + 27, 8 * 54, 12 * 54 };
    for (int g = 0; g < 5; ++g)
    {
        EXPECT_EQ (header.getLabel (g).getText(), groups[g]);
        EXPECT_EQ (header.getLabel (g).getBounds().getCentreX(), centres[g]) << groups[g];
    }
}

TEST (InputStrips, ADeviceWithMoreThan16InputsShowsItsFirst16)
{
    sim::PlugOptions plug;
    plug.hwinfoOverride = hwinfoWith ([] (sim::SimProfile& p) { p.inputGroups = { { 0, 8 }, { 2, 8 }, { 1, 4 } }; });
    WindowRig rig (plug);
    ASSERT_EQ (rig.state().inputCount(), 20);

    auto& box = strips (rig);
    EXPECT_EQ (box.getNumStrips(), 16);
    EXPECT_EQ (box.getStrip (16), nullptr);
    EXPECT_EQ (box.getWidth(), 16 * 54);
    EXPECT_EQ (rig.content().getWidth(), 16 * 54 + 221);
    EXPECT_EQ (rig.window->getWidth(), 16 * 54 + 221);

    // The last group is named over the part that is shown.
    auto& header = box.getHeader();
    ASSERT_EQ (header.getNumLabels(), 2);
    EXPECT_LE (header.getLabel (1).getRight(), box.getWidth());
}

TEST (InputStrips, AMoveOnPair3To4WritesThatPairAndSendsItsBankOnly)
{
    WindowRig rig;
    rig.content().selectPage (2);
    const float before0 = rig.state().monitorGain (2, 0), before4 = rig.state().monitorGain (2, 4);
    rig.device().takeRequestLog();

    auto& fader = strips (rig).getStrip (2)->getFader();
    fader.setValue (-20.0, juce::sendNotificationSync);

    EXPECT_FLOAT_EQ (rig.state().monitorGain (2, 2), -20.0f);
    EXPECT_FLOAT_EQ (rig.state().monitorGain (2, 3), -20.0f);
    EXPECT_EQ (rig.state().monitorGain (2, 0), before0);
    EXPECT_EQ (rig.state().monitorGain (2, 4), before4);

    const auto sent = waitForMonitorCommands (rig.device(), 1);
    ASSERT_EQ (sent.size(), 1u);
    EXPECT_TRUE (isCommand (sent[0], monitorCategory, setGain));
    EXPECT_EQ (sent[0].params, (std::vector<uint32_t> { 2, 2, gainToCode (-20.0f) }));
}

TEST (InputStrips, SwitchingPairsShowsEachPairsOwnValues)
{
    WindowRig rig;
    auto& strip = *strips (rig).getStrip (0);

    // Pair 1-2: a move, a mute and a pan made here stay with this pair.
    strip.getFader().setValue (-10.0, juce::sendNotificationSync);
    strip.getMute().setToggleState (true, juce::sendNotification);
    strip.getPanKnob().setValue (0.25, juce::sendNotificationSync);

    rig.content().selectPage (2);
    EXPECT_FLOAT_EQ (rig.state().monitorGain (0, 0), -10.0f);
    EXPECT_TRUE (rig.state().monitorMute (0, 1));
    EXPECT_EQ (strip.getFader().getValue(), juce::jlimit (-60.0, 0.0, (double) rig.state().monitorGain (0, 2)));
    EXPECT_EQ (strip.getMute().getToggleState(), rig.state().monitorMute (0, 2));
    EXPECT_EQ (strip.getFader().getTextBox()->getText(), Fader::formatLevel (strip.getFader().getValue()));

    strip.getFader().setValue (-30.0, juce::sendNotificationSync);
    rig.content().selectPage (0);
    EXPECT_NEAR (strip.getFader().getValue(), -10.0, 1e-6);
    EXPECT_TRUE (strip.getMute().getToggleState());
    EXPECT_NEAR (strip.getPanKnob().getValue(), 0.25, 1.0 / 255);
    rig.content().selectPage (2);
    EXPECT_NEAR (strip.getFader().getValue(), -30.0, 1e-6);
}

TEST (InputStrips, CtrlClickSetsThatButtonOfEveryInputForTheShownPairOnly)
{
    WindowRig rig;
    rig.content().selectPage (2);
    rig.device().takeRequestLog();
    ASSERT_FALSE (rig.state().monitorSolo (0, 0));

    // A Ctrl-click as JUCE delivers it: the click message, with Ctrl held.
    auto& solo = strips (rig).getStrip (5)->getSolo();
    juce::ModifierKeys::currentModifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    solo.triggerClick();
    pumpUntil ([&] { return solo.getShownState(); });
    juce::ModifierKeys::currentModifiers = {};

    const auto sent = waitForMonitorCommands (rig.device(), 13);
    ASSERT_EQ (sent.size(), 13u);
    std::set<uint32_t> inputs;
    for (auto& c : sent)
    {
        EXPECT_TRUE (isCommand (c, monitorCategory, setSolo));
        EXPECT_EQ (c.params[1], 2u) << "only the shown pair";
        EXPECT_NE (c.params[2], 0u);
        inputs.insert (c.params[0]);
    }
    EXPECT_EQ (inputs.size(), 13u);
    for (int k = 0; k < 13; ++k)
    {
        EXPECT_TRUE (strips (rig).getStrip (k)->getSolo().getToggleState());
        EXPECT_TRUE (rig.state().monitorSolo (k, 3));
        EXPECT_FALSE (rig.state().monitorSolo (k, 0));
    }

    // Without Ctrl only the button itself changes.
    rig.device().takeRequestLog();
    auto& mute = strips (rig).getStrip (7)->getMute();
    const bool wasMuted = mute.getShownState();
    mute.triggerClick();
    const auto one = waitForMonitorCommands (rig.device(), 1);
    ASSERT_EQ (one.size(), 1u);
    EXPECT_TRUE (isCommand (one[0], monitorCategory, setMute));
    EXPECT_EQ (one[0].params, (std::vector<uint32_t> { 7, 2, wasMuted ? 0u : 1u }));
}

TEST (InputStrips, AGangedPairOfMutesInDifferentStatesEndsInTheClickedState)
{
    WindowRig rig;
    auto& a = strips (rig).getStrip (0)->getMute();
    auto& b = strips (rig).getStrip (1)->getMute();
    TestGang gang (rig.content());
    gang.setToggleState (true, juce::dontSendNotification);
    a.setGang (&gang, &b);

    a.setToggleState (false, juce::dontSendNotification);
    a.commitState();
    b.setToggleState (true, juce::dontSendNotification);
    b.commitState();
    rig.device().takeRequestLog();

    a.setToggleState (true, juce::sendNotification); // the click
    EXPECT_TRUE (a.getShownState());
    EXPECT_TRUE (b.getShownState());
    EXPECT_TRUE (b.getToggleState());
    const auto sent = waitForMonitorCommands (rig.device(), 2);
    ASSERT_EQ (sent.size(), 2u);
    EXPECT_EQ (sent[0].params, (std::vector<uint32_t> { 0, 0, 1 }));
    EXPECT_EQ (sent[1].params, (std::vector<uint32_t> { 1, 0, 1 }));
}

TEST (InputStrips, ADeviceReadReachesTheButtonOnlyThroughItsMessage)
{
    WindowRig rig;
    auto& mute = strips (rig).getStrip (4)->getMute();
    const bool shown = mute.getShownState();
    const bool stored = rig.state().monitorMute (4, 0);
    ASSERT_EQ (rig.lab.device->setMonitorMute (4, 0, ! shown), 0); // changed behind the console's back

    mute.getThread().queueGet (mute);
    const auto deadline = juce::Time::getMillisecondCounter() + 10000;
    while (mute.getShownState() == shown && juce::Time::getMillisecondCounter() < deadline)
        juce::Thread::sleep (1);
    ASSERT_NE (mute.getShownState(), shown);
    EXPECT_EQ (mute.getToggleState(), shown) << "the hardware thread touched the button";
    EXPECT_EQ (rig.state().monitorMute (4, 0), stored) << "a read leaves the state alone";

    ASSERT_TRUE (pumpUntil ([&] { return mute.getToggleState() != shown; }));
    EXPECT_EQ (mute.getToggleState(), mute.getShownState());
}

TEST (InputStrips, AnEditMadeWhileTheDeviceIsReadWinsOverTheAnswer)
{
    WindowRig rig;
    ASSERT_TRUE (waitUntilServed (rig)); // the window's first reads
    auto& strip = *strips (rig).getStrip (1);
    auto& thread = rig.content().getHardwareThread();
    const uint32_t getMute = 3, getGain = 1;

    // A mute read that the device is slow to answer; the user clicks the mute meanwhile.
    auto& mute = strip.getMute();
    const bool wasMuted = mute.getShownState();
    {
        HeldRequest held (rig.lab.hook, [&] (uint32_t code, const uint32_t* in) {
            return isPacket (code, in, monitorCategory, getMute, { 1, 0 });
        });
        thread.queueGet (mute);
        ASSERT_TRUE (held.waitUntilHeld());
        mute.setToggleState (! wasMuted, juce::sendNotification); // the click
        rig.device().takeRequestLog();
    }
    auto sent = waitForMonitorSets (rig.device(), setMute);
    ASSERT_TRUE (runPostedMessages()); // the read's message came before the click's command
    ASSERT_EQ (sent.size(), 1u);
    EXPECT_EQ (sent[0].params, (std::vector<uint32_t> { 1, 0, wasMuted ? 0u : 1u }));
    EXPECT_NE (mute.getToggleState(), wasMuted);
    EXPECT_NE (rig.state().monitorMute (1, 0), wasMuted);
    rig.content().selectPage (2); // stores the shown state
    EXPECT_NE (rig.state().monitorMute (1, 0), wasMuted);
    rig.content().selectPage (0);

    // The same for a level: a move while the level is read.
    auto& fader = strip.getFader();
    {
        HeldRequest held (rig.lab.hook, [&] (uint32_t code, const uint32_t* in) {
            return isPacket (code, in, monitorCategory, getGain, { 1, 0 });
        });
        thread.queueGet (fader);
        ASSERT_TRUE (held.waitUntilHeld());
        fader.setValue (-21.5, juce::sendNotificationSync);
        rig.device().takeRequestLog();
    }
    sent = waitForMonitorSets (rig.device(), setGain);
    ASSERT_TRUE (runPostedMessages());
    ASSERT_EQ (sent.size(), 1u);
    EXPECT_EQ (sent[0].params, (std::vector<uint32_t> { 1, 0, gainToCode (-21.5f) }));
    EXPECT_EQ (fader.getValue(), -21.5);
    EXPECT_EQ (rig.state().monitorGainCode (1, 0), gainToCode (-21.5f));
    EXPECT_EQ (rig.state().monitorGainCode (1, 1), gainToCode (-21.5f));
}

TEST (InputStrips, ResetRoutesTheAnalogPairToTheAnalogOutputsAndCentresTheGuitar)
{
    WindowRig rig;
    rig.device().takeRequestLog();

    // As the reset button does it for every control: the strips' controls reset, then go to the
    // device.
    std::vector<DeviceControl*> controls;
    for (int k = 0; k < strips (rig).getNumStrips(); ++k)
    {
        auto& strip = *strips (rig).getStrip (k);
        controls.insert (controls.end(), { &strip.getFader(), &strip.getPanKnob(), &strip.getMute(), &strip.getSolo() });
    }
    for (auto* c : controls)
        c->reset();
    for (auto* c : controls)
        c->getThread().queueSet (*c);

    // 13 inputs, 3 pairs, gain, pan, mute and solo.
    const auto sent = waitForMonitorCommands (rig.device(), 13 * 3 * 4);
    EXPECT_EQ (sent.size(), 13u * 3 * 4);

    const auto m = rig.device().mixer();
    for (int i = 0; i < 13; ++i)
        for (int o = 0; o < 6; o += 2)
        {
            const bool heard = i < 2 && o == 0;
            EXPECT_EQ (m.monitorMute[i][o] != 0, ! heard) << i << " into " << o;
            EXPECT_EQ (rig.state().monitorMute (i, o + 1), ! heard);
            EXPECT_EQ (m.monitorSolo[i][o], 0);
            EXPECT_EQ (m.monitorGain[i][o], unityGainCode);
            // Guitar, piezo and strings centred; each pair of its group left and right: analog
            // inputs 0 and 1, S/PDIF 11 and 12.
            const uint8_t pan = (i >= 2 && i <= 10) ? 128 : (i == 1 || i == 12 ? 255 : 0);
            EXPECT_EQ (m.monitorPan[i][o], pan) << i;
        }

    // The strips show it.
    EXPECT_FALSE (strips (rig).getStrip (1)->getMute().getToggleState());
    EXPECT_TRUE (strips (rig).getStrip (2)->getMute().getToggleState());
    EXPECT_EQ (strips (rig).getStrip (4)->getPanKnob().getTextFromValue (strips (rig).getStrip (4)->getPanKnob().getValue()), "C");
}

TEST (InputStrips, NamesAreCutToWhatTheStateKeepsAndAnEmptiedNameComesBackAsTheDefault)
{
    WindowRig rig;
    auto& alias = strips (rig).getStrip (5)->getAlias();

    typeInto (alias, "A very long name for a string pickup");
    EXPECT_EQ (rig.state().inputAlias (5), "A very long name for ");
    EXPECT_EQ (alias.getText(), "A very long name for ");

    typeInto (alias, "");
    EXPECT_EQ (rig.state().inputAlias (5), "");
    EXPECT_EQ (alias.getText(), "");
    alias.resetName();
    alias.updateText();
    EXPECT_EQ (alias.getText(), "Low E");
}

TEST (InputStrips, ShowingAndSwitchingPairsChangeNothingTheUserDidNotMove)
{
    WindowRig rig;
    EXPECT_FALSE (rig.state().hasChanged()) << "opening the window changed the session";

    // Levels a fader cannot show as they are: silence, below its floor, and off its grid.
    auto& gains = rig.state().image().monitorGain;
    gains[3][0] = gains[3][1] = 0;
    rig.state().setMonitorGain (3, 2, -12.34f);
    const auto offGrid = gains[3][2];
    for (auto* c = rig.content().firstControl(); c != nullptr; c = c->getNextInWindow())
        c->refresh (rig.state(), false);
    rig.state().setStoredCrc (rig.state().computeCrc());

    auto& fader = strips (rig).getStrip (3)->getFader();
    EXPECT_EQ (fader.getTextBox()->getText(), "-60.0");
    for (int bank : { 2, 0, 4, 0 })
        rig.content().selectPage (bank);
    EXPECT_EQ (gains[3][0], 0u);
    EXPECT_EQ (gains[3][2], offGrid);
    EXPECT_FALSE (rig.state().hasChanged()) << "nothing was moved, nothing may be written back";

    // A move from the floor stores the new level for the pair.
    fader.setValue (-50.0, juce::sendNotificationSync);
    EXPECT_EQ (gains[3][0], gainToCode (-50.0f));
    EXPECT_EQ (gains[3][1], gainToCode (-50.0f));
    EXPECT_TRUE (rig.state().hasChanged());
}

TEST (PanKnob, TextCtrlGesturesAndFrames)
{
    WindowRig rig;
    auto& knob = strips (rig).getStrip (2)->getPanKnob();
    EXPECT_EQ (knob.getTextFromValue (0.0), "L 31");
    EXPECT_EQ (knob.getTextFromValue (0.25), "L 16");
    EXPECT_EQ (knob.getTextFromValue (0.5), "C");
    EXPECT_EQ (knob.getTextFromValue (1.0), "R 31");

    // The sweep runs over the whole filmstrip: frame 0 full left, 19 centre, 38 full right.
    const auto params = knob.getRotaryParameters();
    const auto frame = [&] (float p) {
        return ConsoleLookAndFeel::knobFrame (p, params.startAngleRadians, params.endAngleRadians, 39);
    };
    EXPECT_EQ (frame (0.0f), 0);
    EXPECT_EQ (frame (0.5f), 19);
    EXPECT_EQ (frame (1.0f), 38);

    // Ctrl on the knob centres it and keeps it there while dragged.
    knob.setValue (0.1, juce::sendNotificationSync);
    rig.device().takeRequestLog();
    const juce::Point<float> at (20.0f, 20.0f);
    knob.mouseDown (mouseAt (knob, at, juce::ModifierKeys::ctrlModifier));
    EXPECT_EQ (knob.getValue(), 0.5);
    knob.mouseDrag (mouseAt (knob, at.translated (0.0f, -30.0f), juce::ModifierKeys::ctrlModifier, true));
    EXPECT_EQ (knob.getValue(), 0.5);
    knob.mouseUp (mouseAt (knob, at, juce::ModifierKeys::ctrlModifier, true));
    EXPECT_EQ (rig.state().monitorPan (2, 1), rig.state().monitorPan (2, 0));
    EXPECT_TRUE (pumpUntil ([&] { return rig.device().mixer().monitorPan[2][0] == 128; }));
}

TEST (SkinToggle, HoverHighlightIsInsetOnTogglesAndCoversGangButtons)
{
    WindowRig rig;
    auto& mute = strips (rig).getStrip (0)->getMute();
    const auto& off = rig.window->getSkin().muteImages().off;
    mute.setToggleState (false, juce::dontSendNotification);
    mute.commitState();

    const auto draw = [] (auto& b, int w, int h) {
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics g (image);
        b.paintButton (g, true, false);
        return image;
    };
    const auto hovered = draw (mute, off.getWidth(), off.getHeight());
    EXPECT_EQ (hovered.getPixelAt (1, 1), off.image().getPixelAt (1, 1)) << "outside the inset";
    EXPECT_NE (hovered.getPixelAt (10, 8), off.image().getPixelAt (10, 8)) << "inside the inset";

    TestGang gang (rig.content());
    const auto& gangOff = rig.window->getSkin().gangImages().off;
    const auto gangHovered = draw (gang, gangOff.getWidth(), gangOff.getHeight());
    EXPECT_NE (gangHovered.getPixelAt (1, 1), gangOff.image().getPixelAt (1, 1));
    EXPECT_EQ (gang.getName(), "console_gang_button");
}

} // namespace
} // namespace arx::test
