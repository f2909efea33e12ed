// Snapshot slots in a real console window against the in-process lab: a stored mix comes back
// on the device and in the window as one undo step, survives a restart, and a slot stored by
// another model is not offered.

#include "console/SnapshotBank.h"
#include "mixer/CompareWindow.h"
#include "mixer/EditPath.h"
#include "mixer/SnapshotBar.h"
#include "mixer/SnapshotNameBox.h"
#include "mixer/widgets/FaderTextBox.h"
#include "session_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace arx::test
{
namespace
{

const juce::KeyPress ctrlZ ('z', juce::ModifierKeys::commandModifier, 0);

juce::KeyPress fKey (int slot, bool shift = false)
{
    return juce::KeyPress (juce::KeyPress::F1Key + slot,
                           shift ? juce::ModifierKeys::shiftModifier : juce::ModifierKeys::noModifiers, 0);
}

juce::Image look (juce::Component& c)
{
    return c.createComponentSnapshot (c.getLocalBounds());
}

template <typename Kind>
Kind* topModal()
{
    auto* manager = juce::ModalComponentManager::getInstance();
    return manager->getNumModalComponents() > 0 ? dynamic_cast<Kind*> (manager->getModalComponent (0)) : nullptr;
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

struct Snapshots : ::testing::Test
{
    Snapshots() { EXPECT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); })); }

    SnapshotBar& bar() { return *w.content().getSnapshotBar(); }
    EditPath& path() { return *w.content().getEditPath(); }

    void press (const juce::KeyPress& key)
    {
        w.press (key);
        ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); })) << valuesDiffering (w.device().mixer(), w.state());
    }

    // A mix through the window: a typed level, a name, a mute.
    void makeMixInWindow (const juce::String& level, const juce::String& name, bool mute)
    {
        typeInto (*w.strip (2).getFader().getTextBox(), level);
        typeInto (w.strip (4).getAlias(), name);
        if (w.strip (6).getMute().getToggleState() != mute)
            w.strip (6).getMute().triggerClick();
        ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState() && w.state().monitorMute (6, 0) == mute; }));
        path().flush();
    }

    SessionWindow w;
};

TEST_F (Snapshots, AStoredMixComesBackOnTheDeviceAndInTheWindowAsOneStepAndAfterARestart)
{
    ASSERT_NE (w.content().getSnapshotBar(), nullptr);
    ASSERT_TRUE (bar().showsSlots()) << "the 13-input window has room for eight buttons";
    auto& button = *bar().getSlotButton (2);
    const auto emptyLook = look (button);

    makeMixInWindow ("-12.5", "Kick", true);
    const auto stored = MixSnapshot::of (w.state());

    // Shift+click stores; the slot looks stored from now on.
    juce::ModifierKeys::currentModifiers = juce::ModifierKeys (juce::ModifierKeys::shiftModifier);
    button.triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return w.content().getSnapshots()->isStored (2); }));
    juce::ModifierKeys::currentModifiers = {};
    EXPECT_EQ (w.content().getSnapshots()->name (2), "Snapshot 3");
    EXPECT_FALSE (samePixels (look (button), emptyLook));

    makeMixInWindow ("-40", "Snare", false);
    const auto changed = MixSnapshot::of (w.state());
    ASSERT_TRUE (changed != stored);

    // F3 recalls: the state, the device and the window hold the stored mix, and the slot is lit.
    const auto litBefore = look (button);
    press (fKey (2));
    EXPECT_TRUE (MixSnapshot::of (w.state()) == stored);
    EXPECT_EQ (w.device().mixer().monitorGain[2][0], gainToCode (-12.5f));
    EXPECT_NE (w.device().mixer().monitorMute[6][0], 0);
    EXPECT_EQ (w.strip (2).getFader().getTextBox()->getText(), "-12.5");
    EXPECT_EQ (w.strip (4).getAlias().getText(), "Kick");
    EXPECT_TRUE (w.strip (6).getMute().getToggleState());
    ASSERT_TRUE (pumpUntil ([&] { return bar().markedSlot() == 2; }));
    EXPECT_FALSE (samePixels (look (button), litBefore));

    // One undo step takes the whole recall back; the mark goes with the mix it stood for.
    press (ctrlZ);
    EXPECT_TRUE (MixSnapshot::of (w.state()) == changed);
    EXPECT_EQ (w.device().mixer().monitorGain[2][0], gainToCode (-40.0f));
    EXPECT_EQ (w.strip (4).getAlias().getText(), "Snare");
    EXPECT_TRUE (pumpUntil ([&] { return bar().markedSlot() == -1; }));

    // An empty slot does nothing.
    press (fKey (5));
    EXPECT_TRUE (MixSnapshot::of (w.state()) == changed);

    // A new run of the console finds the slot in the device's preferences.
    w.window.reset();
    w.lab.device->open();
    w.window = std::make_unique<ConsoleWindow> (w.lab.device, &w.listener, w.folder.getFile(), false);
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    ASSERT_TRUE (w.content().getSnapshots()->isStored (2));
    ASSERT_FALSE (w.content().getSnapshots()->isStored (5));
    EXPECT_TRUE (MixSnapshot::of (w.state()) == changed) << "the window read the written-back mix";
    bar().getSlotButton (2)->triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState() && MixSnapshot::of (w.state()) == stored; }));
    EXPECT_EQ (w.device().mixer().monitorGain[2][0], gainToCode (-12.5f));
    EXPECT_EQ (w.strip (4).getAlias().getText(), "Kick");
}

// The device commands the window sends for `key`, once the device holds the mix, each as
// "category/command" and the place it names (input and output, or channel), in order.
std::vector<std::string> commandsFor (SessionWindow& w, const juce::KeyPress& key)
{
    EXPECT_TRUE (waitUntilServed (w));
    takeCommands (w.device());
    w.press (key);
    EXPECT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    EXPECT_TRUE (waitUntilServed (w));
    std::vector<std::string> sent;
    for (const auto& c : takeCommands (w.device()))
    {
        if (isCommand (c, 0, 1))
            continue; // the status and meter poll
        auto text = std::to_string (c.category) + "/" + std::to_string (c.command);
        for (size_t k = 0; k + 1 < c.params.size() && k < (c.category == Device::catMonitor ? 2u : 1u); ++k)
            text += " " + std::to_string (c.params[k]);
        sent.push_back (text);
    }
    std::sort (sent.begin(), sent.end());
    return sent;
}

TEST_F (Snapshots, ARecallItsUndoAndItsRedoSendOnlyTheValuesInWhichTheSlotDiffers)
{
    // The mix on the device with a value of each kind of strip changed (a monitor level on both
    // sides of its pair, a monitor pan, a playback solo, an output level) and the S/PDIF format.
    const auto& now = w.state();
    ConsoleState mix (w.lab.device.get());
    mix.copyMixFrom (now);
    const float level = now.monitorGain (1, 2) > -20.0f ? -30.0f : -6.0f;
    mix.setMonitorGain (1, 2, level);
    mix.setMonitorGain (1, 3, level);
    mix.setMonitorPan (3, 4, now.monitorPan (3, 4) < 0.5f ? 1.0f : 0.0f);
    mix.setPlaybackSolo (2, ! now.playbackSolo (2));
    mix.setOutputGain (5, now.outputGain (5) > -20.0f ? -30.0f : -6.0f);
    const bool professional = now.testFlags (SessionImage::flagSpdifFormat);
    if (professional)
        mix.clearFlags (SessionImage::flagSpdifFormat);
    else
        mix.setFlags (SessionImage::flagSpdifFormat);
    ASSERT_TRUE (w.content().getSnapshots()->store (0, mix));

    // Each way the format goes is a command of its own.
    const std::vector<std::string> recall { "3/3 0", "4/0 5", "6/4 2", "8/0 1 2", "8/6 3 4" },
        back { "3/3 2", "4/0 5", "6/4 2", "8/0 1 2", "8/6 3 4" };
    const auto& differing = professional ? recall : back;
    const auto& differingBack = professional ? back : recall;
    EXPECT_EQ (commandsFor (w, fKey (0)), differing) << "the first recall in a window just opened";
    EXPECT_TRUE (MixSnapshot::of (w.state()) == MixSnapshot::of (mix));
    EXPECT_EQ (commandsFor (w, ctrlZ), differingBack) << "its undo";
    EXPECT_EQ (commandsFor (w, juce::KeyPress ('z', juce::ModifierKeys::commandModifier | juce::ModifierKeys::shiftModifier, 0)),
               differing) << "its redo";
    EXPECT_EQ (commandsFor (w, ctrlZ), differingBack);
    EXPECT_EQ (commandsFor (w, fKey (0)), differing) << "a later recall";
}

TEST_F (Snapshots, ASlotsMenuComparesThatSlotBeforeARecallAndADoubleClickRenamesIt)
{
    makeMixInWindow ("-12.5", "Kick", true);
    press (fKey (3, true));
    makeMixInWindow ("-40", "Snare", false);
    w.content().setLoadWithoutAsking (false);

    // The slot's right-button menu: its compare lists what a recall of that slot changes.
    bool found = false;
    const auto menu = bar().slotMenu (3, true);
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (it.getItem().text == "Compare and recall...")
        {
            found = it.getItem().isEnabled;
            it.getItem().action();
        }
    ASSERT_TRUE (found);
    ASSERT_TRUE (pumpUntil ([] { return topModal<CompareWindow>() != nullptr; }));
    auto& compare = *topModal<CompareWindow>();
    ASSERT_EQ (compare.getNumTicks(), 2);
    EXPECT_TRUE (compare.getTick (0).getButtonText().startsWith ("Outputs 1-2"));
    EXPECT_EQ (compare.getListing (0), "Input 3: level -40.0 dB > -12.5 dB, right level -40.0 dB > -12.5 dB\n"
                                       "Input 7: mute off > on");
    EXPECT_EQ (compare.getTick (1).getButtonText(), "Names");
    EXPECT_EQ (compare.getListing (1), "Input 5: \"Snare\" > \"Kick\"");
    compare.getButton (CompareWindow::loadAll).triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return topModal<CompareWindow>() == nullptr && bar().markedSlot() == 3; }));
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    EXPECT_EQ (w.device().mixer().monitorGain[2][0], gainToCode (-12.5f));
    EXPECT_EQ (w.strip (4).getAlias().getText(), "Kick");

    // A double-click asks for a name; the one typed is the slot's, in the device's preferences.
    auto& button = *bar().getSlotButton (3);
    button.mouseDoubleClick (mouseAt (button, { 4.0f, 4.0f }));
    ASSERT_TRUE (pumpUntil ([] { return topModal<SnapshotNameBox>() != nullptr; }));
    auto& box = *topModal<SnapshotNameBox>();
    EXPECT_EQ (box.getEditor().getText(), "Snapshot 4");
    box.getEditor().selectAll();
    box.getEditor().insertTextAtCaret ("Vocal take");
    box.getButton (true).triggerClick();
    ASSERT_TRUE (pumpUntil ([] { return topModal<SnapshotNameBox>() == nullptr; }));
    EXPECT_EQ (w.content().getSnapshots()->name (3), "Vocal take");
    EXPECT_TRUE (button.getTooltip().startsWith ("Vocal take, stored "));

    w.window.reset();
    w.lab.device->open();
    w.window = std::make_unique<ConsoleWindow> (w.lab.device, &w.listener, w.folder.getFile(), false);
    ASSERT_TRUE (pumpUntil ([&] { return w.content().getSnapshotBar() != nullptr; }));
    EXPECT_EQ (w.content().getSnapshots()->name (3), "Vocal take");
    EXPECT_TRUE (bar().getSlotButton (3)->getTooltip().startsWith ("Vocal take, stored "));
}

TEST (SnapshotsOfAnotherModel, AreNotOffered)
{
    // The device's preferences hold a slot that a device of another model stored.
    WindowRig w ("arx", [] (juce::PropertiesFile& prefs) {
        ConsoleState mix (nullptr);
        mix.setMonitorGain (0, 0, -30.0f);
        SnapshotBank other (prefs, 0x1234);
        other.store (0, mix);
    });
    ASSERT_TRUE (pumpUntil ([&] { return w.content().getHardwareThreadIfMade() != nullptr; }));
    auto* snapshots = w.content().getSnapshots();
    ASSERT_NE (snapshots, nullptr);
    EXPECT_FALSE (snapshots->isStored (0));

    const auto before = MixSnapshot::of (w.state());
    w.content().getCommandManager().getKeyMappings()->keyPressed (fKey (0), &w.content());
    EXPECT_FALSE (w.content().recallSnapshot (0));
    EXPECT_TRUE (MixSnapshot::of (w.state()) == before);
}

} // namespace
} // namespace arx::test
