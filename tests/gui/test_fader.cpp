// Faders and their value boxes on the input strips of a real console window against the
// in-process lab: typed levels, ganged drags, the Ctrl reset and the Tab ring.

#include "device/GainCode.h"
#include "mixer/MixerPage.h"
#include "mixer/strips/OutputStripBox.h"
#include "mixer/strips/PlaybackStripBox.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/FaderTextBox.h"
#include "mixer/widgets/ShownValue.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace arx::test
{
namespace
{

constexpr uint32_t monitorCategory = 8, setMonitorGainCommand = 0;

// Collects the lab's commands until `count` of the wanted kind have arrived.
std::vector<SentCommand> waitForCommands (sim::SimDevice& device, uint32_t category, uint32_t command, size_t count)
{
    std::vector<SentCommand> found;
    pumpUntil ([&] {
        for (auto& c : takeCommands (device))
            if (isCommand (c, category, command))
                found.push_back (c);
        return found.size() >= count;
    });
    return found;
}

struct GangedPair
{
    explicit GangedPair (WindowRig& r)
        : rig (r), a (strip (0).getFader()), b (strip (1).getFader()), gang (r.content())
    {
        gang.setToggleState (true, juce::dontSendNotification);
        a.setGang (&gang, &b);
        b.setGang (&gang, &a);
    }

    InputStrip& strip (int k) { return *rig.content().getInputStrips()->getStrip (k); }

    // As a session load or a device read would show them.
    void show (float levelA, float levelB)
    {
        rig.state().setMonitorGain (0, 0, levelA);
        rig.state().setMonitorGain (1, 0, levelB);
        a.refresh (rig.state(), false);
        b.refresh (rig.state(), false);
    }

    juce::Point<float> capOf (Fader& f, double dB)
    {
        return { f.getWidth() * 0.5f, (float) f.getPositionOfValue (dB) };
    }

    void dragA (std::initializer_list<double> levels)
    {
        a.mouseDown (mouseAt (a, capOf (a, a.getValue())));
        for (double dB : levels)
            a.mouseDrag (mouseAt (a, capOf (a, dB), {}, true));
        a.mouseUp (mouseAt (a, capOf (a, a.getValue()), {}, true));
    }

    WindowRig& rig;
    MonitorFader& a;
    MonitorFader& b;
    TestGang gang;
};

TEST (FaderTextEntry, TypedLevelsAreClampedSnappedShownAndSent)
{
    WindowRig rig;
    auto& fader = rig.content().getInputStrips()->getStrip (4)->getFader();
    auto& box = *fader.getTextBox();
    EXPECT_EQ (box.getName(), "fader text");

    struct Case
    {
        const char* typed;
        const char* shown;
    };
    for (const auto& c : { Case { "-12.34", "-12.3" }, Case { "-0.06", "-0.1" },
                           Case { "-0.04", "0.0" }, Case { "-70", "-60.0" }, Case { "5", "0.0" },
                           Case { " -7.5 dB", "-7.5" } })
    {
        rig.device().takeRequestLog();
        typeInto (box, c.typed);
        EXPECT_EQ (box.getText(), c.shown) << c.typed;

        // Every Return sends the level, also when it did not change: setMonitorGain(4, 0, dB).
        const auto sent = waitForCommands (rig.device(), monitorCategory, setMonitorGainCommand, 1);
        ASSERT_EQ (sent.size(), 1u) << c.typed;
        EXPECT_EQ (sent[0].params[0], 4u);
        EXPECT_EQ (sent[0].params[1], 0u);
        EXPECT_EQ (sent[0].params[2], gainToCode (juce::String (c.shown).getFloatValue())) << c.typed;
        EXPECT_EQ (rig.state().monitorGain (4, 1), rig.state().monitorGain (4, 0));
    }
}

TEST (FaderTextEntry, TextThatIsNoNumberKeepsTheLevelAndTheBoxShowsItAgain)
{
    WindowRig rig;
    auto& mixer = *rig.content().getMixerPage();
    auto& monitor = mixer.getInputStrips().getStrip (4)->getFader();
    auto& playback = mixer.getPlayStrips().getStrip (1)->getFader();
    auto& output = mixer.getOutputStrips().getFader (0);
    const auto levelsInState = [&] {
        const auto& s = rig.state();
        return std::vector<uint32_t> { s.monitorGainCode (4, 0), s.monitorGainCode (4, 1), s.playbackGainCode (1),
                                       s.outputGainCode (0) };
    };
    for (Fader* fader : { static_cast<Fader*> (&monitor), static_cast<Fader*> (&playback), static_cast<Fader*> (&output) })
        typeInto (*fader->getTextBox(), "-12");
    const auto before = levelsInState();
    ASSERT_EQ (before[0], gainToCode (-12.0f));

    for (Fader* fader : { static_cast<Fader*> (&monitor), static_cast<Fader*> (&playback), static_cast<Fader*> (&output) })
    {
        SCOPED_TRACE (fader->getName().toStdString());
        for (const char* typed : { "x", "", "abc", "-", " .", "dB -3" })
        {
            typeInto (*fader->getTextBox(), typed);
            EXPECT_EQ (fader->getTextBox()->getText(), "-12.0") << '"' << typed << '"';
            EXPECT_EQ (fader->getValue(), -12.0) << '"' << typed << '"';
        }
    }
    EXPECT_EQ (levelsInState(), before);

    // Nothing went to the device: a level typed after them is sent after whatever they sent.
    typeInto (*mixer.getInputStrips().getStrip (0)->getFader().getTextBox(), "-9");
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().mixer().monitorGain[0][0] == gainToCode (-9.0f); }));
    const auto m = rig.device().mixer();
    EXPECT_EQ (m.monitorGain[4][0], before[0]);
    EXPECT_EQ (m.playbackGain[1], before[2]);
    EXPECT_EQ (m.outputGain[0], before[3]);
}

TEST (FaderGang, ADragKeepsTheDifferenceFromItsStartAndThePartnerClamps)
{
    WindowRig rig;
    GangedPair pair (rig);
    pair.show (-10.0f, -20.0f);

    pair.dragA ({ -5.0 });
    EXPECT_NEAR (pair.b.getValue(), -15.0, 1e-9);

    pair.dragA ({ 0.0 });
    EXPECT_NEAR (pair.b.getValue(), -10.0, 1e-9);

    // Down to the floor: the partner stops at -60 and comes back by the same amount.
    pair.show (-10.0f, -20.0f);
    pair.dragA ({ -60.0, -5.0 });
    EXPECT_NEAR (pair.a.getValue(), -5.0, 1e-9);
    EXPECT_NEAR (pair.b.getValue(), -15.0, 1e-9);
    pair.dragA ({ -60.0 });
    EXPECT_NEAR (pair.b.getValue(), -60.0, 1e-9);

    // The partner's level is stored and sent, for its own bank.
    EXPECT_TRUE (pumpUntil ([&] { return rig.device().mixer().monitorGain[1][0] == gainToCode (-60.0f); }));
    EXPECT_EQ (pair.b.getTextBox()->getText(), "-60.0");
}

TEST (FaderGang, CtrlClickResetsToZeroAndThePartnerFollows)
{
    WindowRig rig;
    GangedPair pair (rig);
    pair.show (-10.0f, -20.0f);

    const auto at = pair.capOf (pair.a, -10.0);
    pair.a.mouseDown (mouseAt (pair.a, at, juce::ModifierKeys::ctrlModifier));
    pair.a.mouseUp (mouseAt (pair.a, at, juce::ModifierKeys::ctrlModifier));

    EXPECT_EQ (pair.a.getValue(), 0.0);
    EXPECT_NEAR (pair.b.getValue(), -10.0, 1e-9);
    EXPECT_TRUE (pumpUntil ([&] {
        const auto m = rig.device().mixer();
        return m.monitorGain[0][0] == unityGainCode && m.monitorGain[1][0] == gainToCode (-10.0f);
    }));
}

TEST (FaderGang, ChangesOutsideADragNeverJumpThePartner)
{
    WindowRig rig;
    GangedPair pair (rig);

    // Shown levels, not the ones of the window's first display, are where a change starts.
    pair.show (-10.0f, -20.0f);
    pair.a.setValue (-12.0, juce::sendNotificationSync); // the value interface: no drag start
    EXPECT_NEAR (pair.b.getValue(), -22.0, 1e-9);

    // A typed level does not move the partner, nor does it leave a stale start behind.
    typeInto (*pair.a.getTextBox(), "-30");
    EXPECT_NEAR (pair.b.getValue(), -22.0, 1e-9);

    const auto wheelBefore = pair.a.getValue();
    juce::MouseWheelDetails wheel {};
    wheel.deltaY = 0.2f;
    pair.a.mouseWheelMove (mouseAt (pair.a, pair.capOf (pair.a, wheelBefore)), wheel);
    const auto step = pair.a.getValue() - wheelBefore;
    EXPECT_GT (step, 0.0);
    EXPECT_NEAR (pair.b.getValue(), -22.0 + step, 1e-9);
}

TEST (FaderTextBox, TabWalksTheRingOfBoxesInCreationOrderAcrossStrips)
{
    WindowRig rig;
    auto& box = *rig.content().getInputStrips();
    auto* first = rig.content().firstTextBox();
    ASSERT_EQ (first, box.getStrip (0)->getFader().getTextBox());

    auto* third = box.getStrip (2)->getFader().getTextBox();
    auto traverser = third->createKeyboardFocusTraverser();
    EXPECT_EQ (traverser->getNextComponent (third), box.getStrip (3)->getFader().getTextBox());
    EXPECT_EQ (traverser->getPreviousComponent (third), box.getStrip (1)->getFader().getTextBox());

    // From the last input the ring runs on through the playback and output strips, and wraps
    // at both ends.
    auto& page = *rig.content().getMixerPage();
    std::vector<FaderTextBox*> rest { box.getStrip (box.getNumStrips() - 1)->getFader().getTextBox(),
                                      page.getPlayStrips().getStrip (0)->getFader().getTextBox(),
                                      page.getPlayStrips().getStrip (1)->getFader().getTextBox(),
                                      page.getOutputStrips().getFader (0).getTextBox(),
                                      page.getOutputStrips().getFader (1).getTextBox(), first };
    for (size_t k = 0; k + 1 < rest.size(); ++k)
    {
        EXPECT_EQ (rest[k]->createKeyboardFocusTraverser()->getNextComponent (rest[k]), rest[k + 1]) << k;
        EXPECT_EQ (rest[k + 1]->createKeyboardFocusTraverser()->getPreviousComponent (rest[k + 1]), rest[k]) << k;
    }

    // From the editor of a box being edited, too.
    third->showEditor();
    auto* editor = third->getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->createKeyboardFocusTraverser()->getNextComponent (editor),
               box.getStrip (3)->getFader().getTextBox());
    third->hideEditor (true);

    // A box that cannot take the focus is passed over.
    box.getStrip (3)->setVisible (false);
    EXPECT_EQ (traverser->getNextComponent (third), box.getStrip (4)->getFader().getTextBox());
}

TEST (ShownValue, BankAndValueAreAlwaysReadAsThePairThatWasWritten)
{
    // The message thread switches banks while the hardware thread stores: a store must never
    // see one bank's value with another bank.
    ShownValue shown (0, 0.0f);
    std::atomic<bool> done { false };
    std::atomic<int> torn { 0 };
    std::thread reader ([&] {
        while (! done)
        {
            const auto s = shown.get();
            if (s.value != -(float) s.bank)
                ++torn;
        }
    });
    for (int i = 0; i < 200000; ++i)
        shown.set (2 * (i % 20), -(float) (2 * (i % 20)));
    done = true;
    reader.join();
    EXPECT_EQ (torn.load(), 0);

    // A device read for a bank the control no longer shows is dropped.
    shown.set (4, 1.0f);
    EXPECT_FALSE (shown.replaceIfBank (2, 0.0f));
    EXPECT_TRUE (shown.replaceIfBank (4, 0.0f));
    EXPECT_EQ (shown.value(), 0.0f);
}

} // namespace
} // namespace arx::test
