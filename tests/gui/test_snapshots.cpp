// Snapshot slots in a real console window against the in-process lab: a stored mix comes back
// on the device and in the window as one undo step, survives a restart, and a slot stored by
// another model is not offered.

#include "console/SnapshotBank.h"
#include "mixer/EditPath.h"
#include "mixer/SnapshotBar.h"
#include "mixer/widgets/FaderTextBox.h"
#include "session_test_support.h"

#include <gtest/gtest.h>

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
