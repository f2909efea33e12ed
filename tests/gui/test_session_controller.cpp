// The session box, the session commands and the operations behind them in a real console
// window: its strips, settings page and hardware thread against a device of the in-process lab.

#include "mixer/MixerPage.h"
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
    // A session file of this device model, saved by another console.
    juce::File mixFile (const juce::String& name, int seed)
    {
        ConsoleState other (w.lab.device.get());
        other.readFromDevice();
        makeMix (other, seed);
        const auto file = w.scratch.file (name + ".ARX session");
        EXPECT_EQ (SessionFile::save (other, file), SessionMessage::none);
        return file;
    }

    void load (const juce::File& file)
    {
        w.press (ctrlO);
        ASSERT_TRUE (w.dialogs->isOpen());
        w.dialogs->answer (file);
    }

    SessionWindow w;
    AnsweredDialogs& dialogs = *w.dialogs;
};

TEST_F (SessionCommands, BoxSitsOnTheMixerPageAndItsCommandButtonsAreLive)
{
    auto& box = w.box();
    EXPECT_EQ (box.getParentComponent(), w.content().getMixerPage());
    EXPECT_EQ (box.getBounds(), w.window->getSkin().sessionBoxBounds());
    EXPECT_EQ (box.getName(), "session box");

    // The command buttons ask the window's command target whether they may run.
    ASSERT_TRUE (pumpUntil ([&] { return box.getLoadButton().isEnabled() && box.getSaveButton().isEnabled(); }, 2000))
        << "no command target: the session buttons stay disabled";

    juce::ApplicationCommandInfo info (0);
    struct Command
    {
        int id;
        const char* name;
        char key;
    };
    for (auto [id, name, key] : { Command { 1, "Save", 's' }, Command { 2, "Save as", 0 }, Command { 3, "Load", 'o' } })
    {
        ASSERT_NE (w.content().getCommandManager().getCommandForID (id), nullptr);
        w.content().getCommandInfo (id, info = juce::ApplicationCommandInfo (id));
        EXPECT_EQ (info.shortName, name);
        EXPECT_EQ (info.categoryName, "Session");
        const auto keys = w.content().getCommandManager().getKeyMappings()->getKeyPressesAssignedToCommand (id);
        EXPECT_EQ (keys.size(), key != 0 ? 1 : 0);
        if (key != 0)
        {
            EXPECT_EQ (keys[0], juce::KeyPress (key, juce::ModifierKeys::commandModifier, 0));
        }
    }
}

TEST_F (SessionCommands, ButtonsOpenTheirDialogsAndTheWindowIsDisabledMeanwhile)
{
    ASSERT_TRUE (pumpUntil ([&] { return w.box().getSaveButton().isEnabled(); }, 2000));
    w.box().getSaveButton().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return dialogs.isOpen(); }));
    EXPECT_EQ (dialogs.opened.back().title, "Save settings");
    EXPECT_TRUE (dialogs.parentDisabled);
    EXPECT_FALSE (w.window->isEnabled());

    w.press (ctrlO); // dropped while a dialog is open
    EXPECT_EQ (dialogs.opened.size(), 1u);
    dialogs.answer ({});
    EXPECT_TRUE (w.window->isEnabled());
    EXPECT_TRUE (dialogs.messages.isEmpty()); // cancelled: nothing to say
    EXPECT_TRUE (w.scratch.folder.findChildFiles (juce::File::findFiles, false).isEmpty());

    w.box().getLoadButton().triggerClick();
    ASSERT_TRUE (pumpUntil ([&] { return dialogs.isOpen(); }));
    EXPECT_EQ (dialogs.opened.back().title, "Load settings");
    EXPECT_EQ (dialogs.opened.back().filter, "*.ARX session;*.ARXsession");
    dialogs.answer (w.scratch.file ("nowhere.ARX session"));
    EXPECT_EQ (dialogs.messages, juce::StringArray { "The specified file does not exist." });
}

TEST_F (SessionCommands, CtrlSAfterALoadWritesTheLoadedFileWithoutADialog)
{
    const auto file = mixFile ("gig", 21);
    load (file);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    EXPECT_EQ (w.state().lastSessionName(), "gig");

    w.state().setMonitorGain (3, 0, -7.0f);
    w.press (ctrlS);
    EXPECT_EQ (dialogs.opened.size(), 1u);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    auto& save = w.box().getSaveButton();
    EXPECT_EQ (save.getState(), juce::Button::buttonDown);

    ConsoleState reread (w.lab.device.get());
    ASSERT_EQ (SessionFile::load (reread, file), SessionMessage::none);
    EXPECT_TRUE (sameSession (reread, w.state()));
    EXPECT_EQ (reread.image().monitorGain[3][0], gainToCode (-7.0f));

    EXPECT_TRUE (pumpUntil ([&] { return ! save.isFlashing(); }));
    EXPECT_EQ (save.getState(), juce::Button::buttonNormal);
}

TEST_F (SessionCommands, SaveAsksAboutTheFileItWritesWhenOnlyItsNameWasTyped)
{
    // "gig" is typed; the save writes "gig.ARX session", which holds another mix.
    const auto existing = mixFile ("gig", 24);
    juce::MemoryBlock before;
    ASSERT_TRUE (existing.loadFileAsData (before));
    w.state().setMonitorGain (1, 0, -9.0f);
    auto saveAs = [&] (const juce::String& typed) {
        w.controller().perform (SessionController::saveAsCommand);
        ASSERT_TRUE (dialogs.isOpen());
        dialogs.answer (w.scratch.file (typed));
    };

    saveAs ("gig");
    ASSERT_TRUE (dialogs.isAsking());
    EXPECT_EQ (dialogs.replaceQuestions, juce::Array<juce::File> { existing });
    EXPECT_FALSE (w.window->isEnabled()) << "the question holds the window as the dialog did";
    w.press (ctrlO);
    EXPECT_EQ (dialogs.opened.size(), 1u) << "dropped while the question is open";
    dialogs.answerQuestion (false);
    EXPECT_TRUE (w.window->isEnabled());
    juce::MemoryBlock after;
    ASSERT_TRUE (existing.loadFileAsData (after));
    EXPECT_EQ (after, before) << "kept when the answer is no";
    EXPECT_TRUE (w.state().lastSessionName().isEmpty());

    saveAs ("gig");
    ASSERT_TRUE (dialogs.isAsking());
    dialogs.answerQuestion (true);
    ConsoleState reread (w.lab.device.get());
    ASSERT_EQ (SessionFile::load (reread, existing), SessionMessage::none);
    EXPECT_TRUE (sameSession (reread, w.state()));
    EXPECT_EQ (w.state().lastSessionName(), "gig");

    // A name no session has yet: written without a question.
    saveAs ("encore");
    EXPECT_FALSE (dialogs.isAsking());
    EXPECT_EQ (dialogs.replaceQuestions.size(), 2);
    EXPECT_TRUE (w.scratch.file ("encore.ARX session").existsAsFile());
    EXPECT_TRUE (dialogs.messages.isEmpty());
}

TEST_F (SessionCommands, LoadedSessionReachesTheStripsTheSettingsPageAndTheDevice)
{
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    const auto file = mixFile ("show", 22);
    w.state().setInputGangs (0);

    load (file);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    EXPECT_EQ (w.strip (12).getAlias().getText(), "in 22/12");
    EXPECT_NE (w.state().inputGangs(), 0u);
    EXPECT_DOUBLE_EQ (w.strip (4).getFader().getValue(), w.state().monitorGain (4, 0));
    EXPECT_EQ (w.strip (6).getMute().getToggleState(), w.state().monitorMute (6, 0));
    EXPECT_EQ (w.content().getSettingsPage()->getSpdifFormat()->isProfessional(),
               w.state().testFlags (SessionImage::flagSpdifFormat));

    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); })) << valuesDiffering (w.device().mixer(), w.state());
    EXPECT_TRUE (w.refusals.isEmpty());
    EXPECT_TRUE (w.state().hasChanged()); // and goes to the device's flash at close
}

// Monitor commands the device received since the last look.
int monitorCommandsSent (sim::SimDevice& device)
{
    int n = 0;
    for (auto& c : takeCommands (device))
        n += c.category == 8 ? 1 : 0;
    return n;
}

TEST_F (SessionCommands, ALoadSendsWhatTheDeviceMayNotHoldEvenAfterASendFailed)
{
    const auto file = mixFile ("a", 25);
    load (file);
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));

    // The same mix again: the device holds every monitor value already.
    takeCommands (w.device());
    load (file);
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    EXPECT_EQ (monitorCommandsSent (w.device()), 0);

    // A level whose send the device refused: it still holds the old one, the state the new.
    sim::SimFaults refuse;
    refuse.errorRetval = 2;
    refuse.errorCount = 1;
    w.device().addFault (refuse);
    auto& fader = w.strip (0).getFader();
    const auto before = w.device().mixer().monitorGain[0][0];
    const double moved = fader.getValue() > -50.0 ? fader.getValue() - 5.0 : fader.getValue() + 5.0;
    fader.setValue (moved, juce::sendNotificationSync);
    ASSERT_TRUE (pumpUntil ([&] { return w.allSent(); }));
    ASSERT_EQ (w.device().mixer().monitorGain[0][0], before);

    // A session holding that very level is sent, although the console sent it before.
    ConsoleState withMove (w.lab.device.get());
    ASSERT_EQ (SessionFile::load (withMove, file), SessionMessage::none);
    withMove.setMonitorGain (0, 0, (float) moved);
    const auto movedFile = w.scratch.file ("moved.ARX session");
    ASSERT_EQ (SessionFile::save (withMove, movedFile), SessionMessage::none);
    takeCommands (w.device());
    load (movedFile);
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); })) << valuesDiffering (w.device().mixer(), w.state());
    EXPECT_EQ (w.device().mixer().monitorGain[0][0], gainToCode ((float) moved));
    EXPECT_EQ (monitorCommandsSent (w.device()), 1);
}

TEST_F (SessionCommands, RefusedFileLeavesTheStateButIsSentAgainAndNamesTheSession)
{
    const auto file = mixFile ("short", 23);
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    file.replaceWithData (bytes.getData(), bytes.getSize() - 1);
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    ConsoleState before (nullptr);
    std::memcpy (before.image().bytes(), w.state().image().bytes(), SessionImage::byteCount);
    takeCommands (w.device());

    load (file);
    EXPECT_EQ (dialogs.messages, juce::StringArray { "Unable to open the file." });
    EXPECT_EQ (std::memcmp (before.image().bytes(), w.state().image().bytes(), SessionImage::byteCount), 0);
    EXPECT_EQ (w.state().lastSessionName(), "short");

    // The console showed and sent its state again, whole.
    ASSERT_TRUE (pumpUntil ([&] { return w.allSent(); }));
    EXPECT_EQ (monitorCommandsSent (w.device()), 13 * 3 * 4);
}

TEST_F (SessionCommands, ResetSendsEveryDefaultButLeavesGangsAndTheSessionName)
{
    const auto file = mixFile ("mix", 24);
    load (file);
    w.state().setLastSessionName ("kept");
    const auto gangs = w.state().inputGangs();
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    // An audio application holds the driver: the buffer size the reset sends again is refused.
    sim::SimFaults refuse;
    refuse.refuseBufferSize = true;
    w.device().addFault (refuse);

    w.box().getResetButton().triggerClick(); // delivered as a message, as a user's click
    ASSERT_TRUE (pumpUntil ([&] { return w.strip (3).getAlias().getText() == "In G2"; }));
    ASSERT_TRUE (pumpUntil ([&] { return w.deviceHoldsState(); }));
    EXPECT_EQ (w.state().inputGangs(), gangs);
    EXPECT_EQ (w.state().lastSessionName(), "kept");
    EXPECT_TRUE (dialogs.opened.size() == 1u && dialogs.messages.isEmpty());

    const auto& mixer = w.device().mixer();
    EXPECT_EQ (mixer.monitorGain[12][4], unityGainCode);
    EXPECT_EQ (mixer.monitorPan[0][2], 0);
    EXPECT_EQ (mixer.monitorPan[1][2], 255);
    EXPECT_EQ (mixer.monitorPan[5][0], 128);
    EXPECT_EQ (mixer.monitorMute[1][0], 0);
    EXPECT_NE (mixer.monitorMute[1][2], 0);
    EXPECT_EQ (mixer.monitorSolo[7][0], 0);
    EXPECT_EQ (mixer.flags & SessionImage::flagSpdifFormat, 0u);
    EXPECT_FALSE (w.content().getSettingsPage()->getSpdifFormat()->isProfessional());
    EXPECT_TRUE (pumpUntil ([&] { return w.refusals.size() == 1; }));
}

TEST_F (SessionCommands, HostileImageIsTakenAsItIsAndServedWithinTheArrays)
{
    ConsoleState hostile (w.lab.device.get());
    std::memset (hostile.image().bytes(), 0xFF, SessionImage::byteCount);
    hostile.image().imageLength = SessionImage::quadletCount;
    hostile.image().imageVersion = 0;
    hostile.setInputGangs (~0u);
    hostile.setPlaybackGangs (~0u);
    hostile.setOutputGangs (~0u);
    const auto file = w.scratch.file ("hostile.ARX session");
    ASSERT_EQ (SessionFile::save (hostile, file), SessionMessage::none);

    load (file);
    EXPECT_TRUE (dialogs.messages.isEmpty());
    EXPECT_EQ (w.state().outputGangs(), ~0u);
    for (int k = 0; k < 13; ++k)
        EXPECT_EQ (w.strip (k).getAlias().getText().length(), 21); // a name field without its end stops at 21

    // Everything is sent, and nothing addresses a channel the device does not have.
    ASSERT_TRUE (pumpUntil ([&] { return w.allSent(); }));
    EXPECT_EQ ((int) w.device().dump()["requests"]["refusedChannels"], 0);
}

} // namespace
} // namespace arx::test
