// Undo and redo in a real console window against the in-process lab: every kind of gesture is
// one step, taken back and made again in the device's values and in the window, and taking
// everything back leaves nothing to write to the device's flash.

#include "mixer/EditPath.h"
#include "mixer/MixerPage.h"
#include "mixer/strips/ChannelFader.h"
#include "mixer/strips/OutputStripBox.h"
#include "mixer/widgets/FaderTextBox.h"
#include "session_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace arx::test
{
namespace
{

const juce::KeyPress ctrlZ ('z', juce::ModifierKeys::commandModifier, 0);
const juce::KeyPress ctrlShiftZ ('z', juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier, 0);
const juce::KeyPress ctrlY ('y', juce::ModifierKeys::commandModifier, 0);
const juce::KeyPress ctrlO ('o', juce::ModifierKeys::commandModifier, 0);

struct Heard : EditPath::Listener
{
    void mixChanged (const std::vector<MixChange>& changes, bool isEdit) override
    {
        for (const auto& c : changes)
            (isEdit ? edits : reports).push_back (c);
    }
    bool editOf (MixChange c) const { return std::find (edits.begin(), edits.end(), c) != edits.end(); }
    bool reportOf (MixChange c) const { return std::find (reports.begin(), reports.end(), c) != reports.end(); }

    std::vector<MixChange> edits, reports;
};

struct Undo : ::testing::Test
{
    Undo()
    {
        EXPECT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
        EXPECT_FALSE (w.state().hasChanged()) << "the lab's stored session is the state at open";
        path().addListener (&heard);
    }
    ~Undo() override { path().removeListener (&heard); }

    EditPath& path() { return *w.content().getEditPath(); }
    OutputStripBox& outputs() { return w.content().getMixerPage()->getOutputStrips(); }

    // Each press is one step back (or forward); the device and the window follow.
    void press (const juce::KeyPress& key)
    {
        w.press (key);
        waitUntilHeld();
    }

    void waitUntilHeld()
    {
        ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); })) << valuesDiffering (w.device().mixer(), w.state());
    }

    void drag (Fader& f, std::initializer_list<double> levels)
    {
        const auto cap = [&f] (double dB) { return juce::Point<float> (f.getWidth() * 0.5f, (float) f.getPositionOfValue (dB)); };
        f.mouseDown (mouseAt (f, cap (f.getValue())));
        // Each move reaches the listeners in a turn of the message loop of its own, as the
        // mouse events of a real drag do.
        for (double dB : levels)
        {
            const auto told = heard.edits.size();
            f.mouseDrag (mouseAt (f, cap (dB), {}, true));
            EXPECT_TRUE (pumpUntil ([&] { return heard.edits.size() > told; }));
        }
        f.mouseUp (mouseAt (f, cap (f.getValue()), {}, true));
    }

    juce::File mixFile (int seed)
    {
        ConsoleState other (w.lab.device.get());
        other.readFromDevice();
        makeMix (other, seed);
        const auto file = w.scratch.file ("mix.ARX session");
        EXPECT_EQ (SessionFile::save (other, file), SessionMessage::none);
        return file;
    }

    SessionWindow w;
    Heard heard;
};

TEST_F (Undo, EachGestureIsOneStepInTheDeviceAndTheWindowAndUndoingAllLeavesNoWriteBack)
{
    auto& fader = w.strip (2).getFader();
    const auto open = w.state().monitorGainCode (2, 0);
    const double shownAtOpen = fader.getValue();

    // A drag through many levels is one step.
    drag (fader, { -3.0, -9.0, -20.0 });
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    const auto dragged = w.state().monitorGainCode (2, 0);
    ASSERT_NE (dragged, open);
    EXPECT_TRUE (pumpUntil ([&] { return heard.editOf ({ MixChange::monitorLevel, 2, 0 }); }));

    // A typed value is one step.
    typeInto (*fader.getTextBox(), "-33.3");

    // A Ctrl-click sets the solo of every input: one step.
    juce::ModifierKeys::currentModifiers = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier);
    w.strip (5).getSolo().triggerClick();
    pumpUntil ([&] { return w.state().monitorSolo (0, 0); });
    juce::ModifierKeys::currentModifiers = {};
    ASSERT_TRUE (w.state().monitorSolo (12, 0));

    // A ganged move of the output faders (ganged as the lab's console left them) is one step,
    // and so is the gang's click.
    auto& left = outputs().getFader (0);
    const auto outputsAtOpen = std::make_pair (w.state().outputGainCode (0), w.state().outputGainCode (1));
    ASSERT_TRUE (w.state().isOutputGanged (0));
    drag (left, { -12.0 });
    ASSERT_TRUE (pumpUntil ([&] { return w.state().outputGainCode (1) != outputsAtOpen.second; }));
    const auto outputsMoved = std::make_pair (w.state().outputGainCode (0), w.state().outputGainCode (1));
    outputs().getGang().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return ! w.state().isOutputGanged (0); }));
    waitUntilHeld();

    // The window shows another tab while the steps are taken back.
    w.content().selectPage (2);
    press (ctrlZ); // the gang
    EXPECT_TRUE (w.state().isOutputGanged (0));
    press (ctrlZ); // the ganged move
    EXPECT_EQ (std::make_pair (w.state().outputGainCode (0), w.state().outputGainCode (1)), outputsAtOpen);
    EXPECT_EQ (std::make_pair (w.device().mixer().outputGain[0], w.device().mixer().outputGain[1]), outputsAtOpen);
    press (ctrlZ); // the Ctrl-click
    for (int k = 0; k < 13; ++k)
        EXPECT_FALSE (w.state().monitorSolo (k, 0)) << k;
    EXPECT_EQ (w.device().mixer().monitorSolo[12][0], 0);
    press (ctrlZ); // the typed value
    EXPECT_EQ (w.state().monitorGainCode (2, 0), dragged);
    press (ctrlZ); // the drag
    EXPECT_EQ (w.state().monitorGainCode (2, 0), open);
    EXPECT_EQ (w.device().mixer().monitorGain[2][0], open);
    EXPECT_FALSE (path().canUndo());
    EXPECT_FALSE (w.state().hasChanged()) << "everything taken back: nothing to write back";

    w.content().selectPage (0);
    EXPECT_DOUBLE_EQ (fader.getValue(), shownAtOpen);

    // Both redo keys make the steps again, in order.
    press (ctrlShiftZ);
    EXPECT_EQ (w.state().monitorGainCode (2, 0), dragged);
    EXPECT_DOUBLE_EQ (fader.getValue(), Fader::shownLevelFor (codeToGain (dragged)));
    press (ctrlY);
    EXPECT_EQ (fader.getTextBox()->getText(), "-33.3");
    EXPECT_EQ (w.device().mixer().monitorGain[2][0], gainToCode (-33.3f));
    press (ctrlY);
    EXPECT_TRUE (w.strip (12).getSolo().getToggleState());
    EXPECT_NE (w.device().mixer().monitorSolo[12][0], 0);
    press (ctrlY);
    EXPECT_EQ (std::make_pair (w.device().mixer().outputGain[0], w.device().mixer().outputGain[1]), outputsMoved);
    press (ctrlY);
    EXPECT_FALSE (outputs().getGang().getToggleState());
    EXPECT_TRUE (w.state().hasChanged());
}

TEST_F (Undo, ASessionLoadAndAResetAreStepsNamesAndGangsIncluded)
{
    const auto nameAtOpen = w.strip (3).getAlias().getText();
    const auto atOpen = MixSnapshot::of (w.state());
    const auto file = mixFile (31);
    typeInto (w.strip (3).getAlias(), "Vox");
    // The typed name is a step of its own once the loop has come round and told the listeners.
    ASSERT_TRUE (pumpUntil ([&] { return heard.editOf ({ MixChange::inputName, 3 }); }));

    w.press (ctrlO);
    ASSERT_TRUE (w.dialogs->isOpen());
    w.dialogs->answer (file);
    ASSERT_EQ (w.strip (3).getAlias().getText(), "in 31/3");
    const auto loaded = MixSnapshot::of (w.state());

    w.box().getResetButton().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return w.strip (3).getAlias().getText() != "in 31/3"; }));
    waitUntilHeld();

    press (ctrlZ); // the reset
    EXPECT_EQ (w.strip (3).getAlias().getText(), "in 31/3");
    EXPECT_TRUE (MixSnapshot::of (w.state()) == loaded);

    press (ctrlZ); // the load
    EXPECT_EQ (w.strip (3).getAlias().getText(), "Vox");
    press (ctrlZ); // the typed name
    EXPECT_EQ (w.strip (3).getAlias().getText(), nameAtOpen);
    EXPECT_TRUE (MixSnapshot::of (w.state()) == atOpen); // all but the sample rate

    press (ctrlY);
    press (ctrlY);
    EXPECT_TRUE (MixSnapshot::of (w.state()) == loaded);
    EXPECT_EQ (w.strip (3).getAlias().getText(), "in 31/3");
    EXPECT_TRUE (heard.editOf ({ MixChange::inputName, 3 }));
}

TEST_F (Undo, ValuesTheDeviceReportsReachTheListenersAndAreNoSteps)
{
    // Another program sets playback channel 0's volume; the window reads it when it shows it.
    ASSERT_TRUE (w.device().applyDriverPlaybackGain (0, gainToCode (-18.0f)));
    PlaybackFader* shown = nullptr;
    for (auto* c = w.content().firstControl(); c != nullptr; c = c->getNextInWindow())
        if (auto* f = dynamic_cast<PlaybackFader*> (c); f != nullptr && f->getChannel() == 0)
            shown = f;
    ASSERT_NE (shown, nullptr);
    w.content().getHardwareThread().queueGet (*shown); // as the system volume link asks it to
    ASSERT_TRUE (pumpUntil ([&] { return heard.reportOf ({ MixChange::playbackLevel, 0 }); }));
    EXPECT_FALSE (heard.editOf ({ MixChange::playbackLevel, 0 }));
    EXPECT_FALSE (path().canUndo());

    // The device's value arrives while a drag is under way: the drag's moves are still edits.
    heard = {};
    auto& dragged = w.strip (4).getFader();
    const auto cap = [&dragged] (double dB) { return juce::Point<float> (dragged.getWidth() * 0.5f, (float) dragged.getPositionOfValue (dB)); };
    dragged.mouseDown (mouseAt (dragged, cap (dragged.getValue())));
    ASSERT_TRUE (w.device().applyDriverPlaybackGain (0, gainToCode (-24.0f)));
    w.content().getHardwareThread().queueGet (*shown);
    // The read is in the state (its report follows at once) before the move is made.
    const auto until = juce::Time::getMillisecondCounter() + 5000;
    while (w.state().playbackGainCode (0) != gainToCode (-24.0f) && juce::Time::getMillisecondCounter() < until)
        std::this_thread::yield();
    dragged.mouseDrag (mouseAt (dragged, cap (-25.0), {}, true));
    ASSERT_TRUE (pumpUntil ([&] { return heard.reportOf ({ MixChange::playbackLevel, 0 }) && heard.edits.size() > 0; }));
    dragged.mouseUp (mouseAt (dragged, cap (-25.0), {}, true));
    EXPECT_TRUE (pumpUntil ([&] { return heard.editOf ({ MixChange::monitorLevel, 4, 0 }); }));
    EXPECT_FALSE (heard.reportOf ({ MixChange::monitorLevel, 4, 0 }));
    press (ctrlZ);
    EXPECT_EQ (w.state().playbackGainCode (0), gainToCode (-24.0f));

    // An edit after it is taken back without taking back the device's value.
    typeInto (*w.strip (1).getFader().getTextBox(), "-7");
    press (ctrlZ);
    EXPECT_EQ (w.state().playbackGainCode (0), gainToCode (-24.0f));
}

} // namespace
} // namespace arx::test
