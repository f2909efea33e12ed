// The compare before a session load, in a real console window against the in-process lab: the
// window lists exactly what the file would change, "Load ticked" changes only the ticked groups
// on the device (one undo step, the session name kept), Cancel changes nothing, and a file that
// changes nothing loads nothing.

#include "mixer/CompareWindow.h"
#include "mixer/EditPath.h"
#include "session_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

const juce::KeyPress ctrlO ('o', juce::ModifierKeys::commandModifier, 0);
const juce::KeyPress ctrlZ ('z', juce::ModifierKeys::commandModifier, 0);
constexpr int headphones = 2; // the arx profile's second output pair

template <typename Kind>
Kind* topModal()
{
    auto* manager = juce::ModalComponentManager::getInstance();
    return manager->getNumModalComponents() > 0 ? dynamic_cast<Kind*> (manager->getModalComponent (0)) : nullptr;
}

// Every value the device holds against `state`'s: the monitor mix on every output, playback and
// outputs; 0 when the device holds them all.
int deviceDiffers (const sim::SimMixer& m, const ConsoleState& s)
{
    const auto& image = s.image();
    int n = 0;
    for (int i = 0; i < s.inputCount(); ++i)
        for (int o = 0; o < s.outputCount(); o += 2)
        {
            n += m.monitorGain[i][o] != image.monitorGain[i][o];
            n += m.monitorPan[i][o] != image.monitorPan[i][o];
            n += (m.monitorMute[i][o] != 0) != s.monitorMute (i, o);
            n += (m.monitorSolo[i][o] != 0) != s.monitorSolo (i, o);
        }
    for (int c = 0; c < s.outputCount(); ++c)
    {
        n += m.playbackGain[c] != image.playbackGain[c];
        n += (m.playbackMute[c] != 0) != s.playbackMute (c);
        n += (m.playbackSolo[c] != 0) != s.playbackSolo (c);
        n += m.outputGain[c] != image.outputGain[c];
        n += (m.outputMute[c] != 0) != s.outputMute (c);
    }
    n += m.clockSource != image.clockSource;
    n += ((m.flags ^ image.flags) & SessionImage::flagSpdifFormat) != 0;
    return n;
}

struct LoadCompare : ::testing::Test
{
    LoadCompare()
    {
        EXPECT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
        w.content().setLoadWithoutAsking (false);
        w.state().setLastSessionName ("before");
    }

    // The mix now, with the headphone pair's levels of inputs 1 and 4 and one output name changed.
    juce::File headphoneFile()
    {
        ConsoleState file (w.lab.device.get());
        file.copyMixFrom (w.state());
        for (int in : { 0, 3 })
            for (int o : { headphones, headphones + 1 })
                file.setMonitorGain (in, o, file.monitorGain (in, o) > -20.0f ? -30.0f : -6.0f);
        file.setOutputAlias (0, "Mains");
        const auto f = w.scratch.file ("phones.ARX session");
        EXPECT_EQ (SessionFile::save (file, f), SessionMessage::none);
        return f;
    }

    CompareWindow& chooseFile (const juce::File& f)
    {
        w.press (ctrlO);
        EXPECT_TRUE (w.dialogs->isOpen());
        w.dialogs->answer (f);
        EXPECT_TRUE (pumpUntil ([] { return topModal<CompareWindow>() != nullptr; }));
        return *topModal<CompareWindow>();
    }

    void close (CompareWindow& window, CompareWindow::Choice choice)
    {
        window.getButton (choice).triggerClick();
        ASSERT_TRUE (pumpUntil ([] { return topModal<CompareWindow>() == nullptr; }));
        ASSERT_TRUE (waitUntilServed (w));
        ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    }

    SessionWindow w;
};

TEST_F (LoadCompare, ListsWhatChangesAndLoadTickedChangesOnlyTheTickedGroupsOnTheDevice)
{
    const auto file = headphoneFile();
    ConsoleState before (nullptr), wanted (w.lab.device.get());
    before.copyMixFrom (w.state());
    SessionFile::load (wanted, file);

    auto& window = chooseFile (file);
    ASSERT_EQ (window.getNumTicks(), 2);
    EXPECT_TRUE (window.getTick (0).getButtonText().startsWith ("Outputs 3-4"));
    EXPECT_EQ (juce::StringArray::fromLines (window.getListing (0)).size(), 2) << window.getListing (0);
    EXPECT_TRUE (window.getListing (0).startsWith ("Input 1: level ")) << window.getListing (0);
    EXPECT_TRUE (window.getListing (0).contains ("Input 4: level "));
    EXPECT_EQ (window.getTick (1).getButtonText(), "Names");
    EXPECT_TRUE (window.getListing (1).contains ("Output 1:") && window.getListing (1).contains ("\"Mains\""));

    // Only the headphone pair.
    window.getTick (1).setToggleState (false, juce::dontSendNotification);
    close (window, CompareWindow::loadTicked);

    ConsoleState expected (w.lab.device.get());
    expected.copyMixFrom (before);
    for (int in = 0; in < expected.inputCount(); ++in)
        for (int o : { headphones, headphones + 1 })
            expected.image().monitorGain[in][o] = wanted.image().monitorGain[in][o];
    EXPECT_TRUE (MixSnapshot::of (w.state()) == MixSnapshot::of (expected));
    EXPECT_EQ (deviceDiffers (w.device().mixer(), expected), 0);
    EXPECT_NE (w.device().mixer().monitorGain[0][headphones], before.image().monitorGain[0][headphones]);
    EXPECT_EQ (w.state().outputAlias (0), before.outputAlias (0));
    EXPECT_EQ (w.state().lastSessionName(), "before") << "a partial load is not the file's session";

    // One step takes it back.
    w.press (ctrlZ);
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState() && MixSnapshot::of (w.state()) == MixSnapshot::of (before); }));
    EXPECT_EQ (deviceDiffers (w.device().mixer(), before), 0);
}

TEST_F (LoadCompare, CancelChangesNothingLoadAllLoadsTheSessionAndAnEqualFileLoadsNothing)
{
    const auto file = headphoneFile();
    const auto atOpen = MixSnapshot::of (w.state());

    close (chooseFile (file), CompareWindow::cancel);
    EXPECT_TRUE (MixSnapshot::of (w.state()) == atOpen);
    EXPECT_EQ (deviceDiffers (w.device().mixer(), w.state()), 0);
    EXPECT_FALSE (w.content().getEditPath()->canUndo());
    EXPECT_EQ (w.state().lastSessionName(), "before");

    close (chooseFile (file), CompareWindow::loadAll);
    EXPECT_EQ (w.state().outputAlias (0), "Mains");
    EXPECT_EQ (w.state().lastSessionName(), "phones");
    const auto loaded = MixSnapshot::of (w.state());

    // The same file again: it says so and loads nothing.
    w.press (ctrlO);
    w.dialogs->answer (file);
    EXPECT_EQ (topModal<CompareWindow>(), nullptr);
    ASSERT_EQ (w.dialogs->messages.size(), 1);
    EXPECT_TRUE (w.dialogs->messages[0].contains ("nothing to load"));
    EXPECT_TRUE (MixSnapshot::of (w.state()) == loaded);
}

TEST_F (LoadCompare, ASampleRateTheLoadWouldSetIsListedWithTheSettingsAndOnlyLoadAllSetsIt)
{
    const auto rate = w.state().image().sampleRate;
    const uint32_t other = rate == 96000 ? 48000 : 96000;
    ConsoleState file (w.lab.device.get());
    file.copyMixFrom (w.state());
    file.image().sampleRate = other;
    file.setMonitorGain (0, headphones, file.monitorGain (0, headphones) > -20.0f ? -30.0f : -6.0f);
    const auto f = w.scratch.file ("fast.ARX session");
    ASSERT_EQ (SessionFile::save (file, f), SessionMessage::none);

    auto& window = chooseFile (f);
    ASSERT_EQ (window.getNumTicks(), 2);
    EXPECT_EQ (window.getTick (1).getButtonText(), "Settings page");
    EXPECT_EQ (window.getListing (1), "Sample rate: " + juce::String (rate) + " Hz > " + juce::String (other) + " Hz (Load all only)");

    // A partial load (one undo step, which no rate is part of) leaves the rate.
    window.getTick (1).setToggleState (false, juce::dontSendNotification);
    close (window, CompareWindow::loadTicked);
    EXPECT_EQ (w.device().mixer().sampleRate, rate);
    EXPECT_EQ (w.state().image().sampleRate, rate);

    // Now the rate is all that differs; "Load all" sets it, as a load without the compare does.
    auto& again = chooseFile (f);
    ASSERT_EQ (again.getNumTicks(), 1);
    close (again, CompareWindow::loadAll);
    EXPECT_EQ (w.device().mixer().sampleRate, other);
}

} // namespace
} // namespace arx::test
