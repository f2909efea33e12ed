// The session box, the session commands and the operations behind them, on a content with a
// real hardware thread and real controls against a device of the in-process lab.

#include "session_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

const juce::KeyPress ctrlS ('s', juce::ModifierKeys::commandModifier, 0);
const juce::KeyPress ctrlO ('o', juce::ModifierKeys::commandModifier, 0);

struct SessionCommands : ::testing::Test
{
    SessionCommands() { content.state().setMostRecentFolder (scratch.folder); }

    void press (const juce::KeyPress& key) { content.commands.getKeyMappings()->keyPressed (key, &content); }

    // A session file of this device model, saved by another console.
    juce::File mixFile (const juce::String& name, int seed)
    {
        ConsoleState other (content.rig.lab.device.get());
        other.readFromDevice();
        makeMix (other, seed);
        const auto file = scratch.file (name + ".ARX session");
        EXPECT_EQ (SessionFile::save (other, file), SessionMessage::none);
        return file;
    }

    bool deviceShowsState()
    {
        return content.allSent() && valuesDiffering (content.device().mixer(), content.state()) == 0;
    }

    ScratchFolder scratch;
    SessionTestContent content;
    AnsweredDialogs& dialogs = *content.dialogs;
};

TEST_F (SessionCommands, BoxHoldsThreeImageButtonsOnItsDarkFill)
{
    auto& box = content.session->getSessionBox();
    EXPECT_EQ (box.getName(), "session box");
    EXPECT_EQ (box.getLocalBounds(), juce::Rectangle<int> (0, 0, 108, 114));

    juce::Button* buttons[] = { &box.getLoadButton(), &box.getSaveButton(), &box.getResetButton() };
    const char* names[] = { "LoadButton", "SaveButton", "ResetButton" };
    for (int k = 0; k < 3; ++k)
    {
        EXPECT_EQ (buttons[k]->getName(), names[k]);
        EXPECT_EQ (buttons[k]->getBounds(), juce::Rectangle<int> (24, 19 + 25 * k, 60, 25));
        EXPECT_TRUE (buttons[k]->getTooltip().isEmpty());
    }
    const auto snapshot = box.createComponentSnapshot (box.getLocalBounds());
    EXPECT_EQ (snapshot.getPixelAt (2, 2).withAlpha (1.0f), juce::Colour (15, 15, 15));

    juce::ApplicationCommandInfo info (0);
    struct Command
    {
        int id;
        const char* name;
        char key;
    };
    for (auto [id, name, key] : { Command { 1, "Save", 's' }, Command { 2, "Save as", 0 }, Command { 3, "Load", 'o' } })
    {
        SessionController::getCommandInfo (id, info = juce::ApplicationCommandInfo (id));
        EXPECT_EQ (info.shortName, name);
        EXPECT_EQ (info.categoryName, "Session");
        EXPECT_EQ (info.defaultKeypresses.size(), key != 0 ? 1 : 0);
        if (key != 0)
        {
            EXPECT_EQ (info.defaultKeypresses[0], juce::KeyPress (key, juce::ModifierKeys::commandModifier, 0));
        }
    }
}

TEST_F (SessionCommands, ButtonsOpenTheirDialogsAndTheWindowIsDisabledMeanwhile)
{
    content.session->getSessionBox().getSaveButton().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return dialogs.isOpen(); }));
    EXPECT_EQ (dialogs.opened.back().title, "Save settings");
    EXPECT_TRUE (dialogs.parentDisabled);
    EXPECT_FALSE (content.isEnabled());

    press (ctrlO); // dropped while a dialog is open
    EXPECT_EQ (dialogs.opened.size(), 1u);
    dialogs.answer ({});
    EXPECT_TRUE (content.isEnabled());
    EXPECT_TRUE (dialogs.messages.isEmpty()); // cancelled: nothing to say
    EXPECT_TRUE (scratch.folder.findChildFiles (juce::File::findFiles, false).isEmpty());

    content.session->getSessionBox().getLoadButton().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return dialogs.isOpen(); }));
    EXPECT_EQ (dialogs.opened.back().title, "Load settings");
    EXPECT_EQ (dialogs.opened.back().filter, "*.ARX session;*.ARXsession");
    dialogs.answer (scratch.file ("nowhere.ARX session"));
    EXPECT_EQ (dialogs.messages, juce::StringArray { "The specified file does not exist." });
    EXPECT_EQ (content.applied, 0);
}

TEST_F (SessionCommands, CtrlSAfterALoadWritesTheLoadedFileWithoutADialog)
{
    const auto file = mixFile ("gig", 21);
    press (ctrlO);
    ASSERT_TRUE (dialogs.isOpen());
    dialogs.answer (file);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    EXPECT_EQ (content.state().lastSessionName(), "gig");

    content.state().setOutputGain (3, -7.0f);
    press (ctrlS);
    EXPECT_EQ (dialogs.opened.size(), 1u);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    auto& save = content.session->getSessionBox().getSaveButton();
    EXPECT_EQ (save.getState(), juce::Button::buttonDown);

    ConsoleState reread (content.rig.lab.device.get());
    ASSERT_EQ (SessionFile::load (reread, file), SessionMessage::none);
    EXPECT_TRUE (sameSession (reread, content.state()));
    EXPECT_EQ (reread.image().outputGain[3], gainToCode (-7.0f));

    EXPECT_TRUE (pumpUntil ([&] { return ! save.isFlashing(); }));
    EXPECT_EQ (save.getState(), juce::Button::buttonNormal);
}

TEST_F (SessionCommands, LoadedSessionReachesTheControlsAndTheDevice)
{
    ASSERT_TRUE (pumpUntil ([&] { return deviceShowsState(); }));
    const auto file = mixFile ("show", 22);
    content.state().setInputGangs (0);

    press (ctrlO);
    dialogs.answer (file);
    EXPECT_EQ (content.applied, 1);
    EXPECT_EQ (content.aliases[12]->getText(), "in 22/12");
    EXPECT_EQ (content.gangs[3]->getToggleState(), content.state().isInputGanged (6));
    EXPECT_NE (content.state().inputGangs(), 0u);
    for (auto& control : content.controls)
        EXPECT_EQ (control->refreshes, 1);

    ASSERT_TRUE (pumpUntil ([&] { return deviceShowsState(); }));
    EXPECT_TRUE (content.state().hasChanged()); // and goes to the device's flash at close
}

TEST_F (SessionCommands, RefusedFileStillRefreshesAndNamesTheSession)
{
    const auto file = mixFile ("short", 23);
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    file.replaceWithData (bytes.getData(), bytes.getSize() - 1);
    ConsoleState before (nullptr);
    std::memcpy (before.image().bytes(), content.state().image().bytes(), SessionImage::byteCount);

    press (ctrlO);
    dialogs.answer (file);
    EXPECT_EQ (dialogs.messages, juce::StringArray { "Unable to open the file." });
    EXPECT_EQ (std::memcmp (before.image().bytes(), content.state().image().bytes(), SessionImage::byteCount), 0);
    EXPECT_EQ (content.applied, 1);
    EXPECT_EQ (content.state().lastSessionName(), "short");
}

TEST_F (SessionCommands, ResetButtonResetsEveryControlButLeavesGangsAndTheSessionName)
{
    makeMix (content.state(), 24);
    content.state().setLastSessionName ("kept");
    const auto gangs = content.state().inputGangs();

    content.session->getSessionBox().getResetButton().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return content.resets == 1; }));
    for (auto& control : content.controls)
        EXPECT_EQ (control->resets, 1);
    EXPECT_EQ (content.state().inputGangs(), gangs);
    EXPECT_EQ (content.state().lastSessionName(), "kept");
    EXPECT_EQ (content.aliases[3]->getText(), "");
    EXPECT_TRUE (dialogs.opened.empty());

    ASSERT_TRUE (pumpUntil ([&] { return deviceShowsState(); }));
    EXPECT_EQ (content.device().mixer().monitorGain[12][5], unityGainCode);
}

TEST_F (SessionCommands, HostileImageIsTakenAsItIsAndServedWithinTheArrays)
{
    ConsoleState hostile (content.rig.lab.device.get());
    std::memset (hostile.image().bytes(), 0xFF, SessionImage::byteCount);
    hostile.image().imageLength = SessionImage::quadletCount;
    hostile.image().imageVersion = 0;
    hostile.setInputGangs (~0u);
    hostile.setPlaybackGangs (~0u);
    hostile.setOutputGangs (~0u);
    const auto file = scratch.file ("hostile.ARX session");
    ASSERT_EQ (SessionFile::save (hostile, file), SessionMessage::none);

    press (ctrlO);
    dialogs.answer (file);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    EXPECT_EQ (content.state().outputGangs(), ~0u);
    EXPECT_EQ (content.state().image().flags, ~0u);
    for (auto* alias : content.aliases)
        EXPECT_EQ (alias->getText().length(), 21); // a name field without its end stops at 21
    for (auto* gang : content.gangs)
        EXPECT_TRUE (gang->getToggleState());

    // The device refuses what it cannot take; everything else is sent and nothing is left over.
    ASSERT_TRUE (pumpUntil ([&] { return content.allSent(); }));
    EXPECT_EQ (content.device().mixer().outputGain[5], 0xFFFFFFFFu);
}

} // namespace
} // namespace arx::test
