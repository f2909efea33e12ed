#pragma once

// Session tests on a real console window: its content with the strips, the settings page and
// the session box on a device of the in-process lab, and file dialogs the test answers.

#include "console/ConsoleState.h"
#include "device/GainCode.h"
#include "mixer/strips/InputStrip.h"
#include "mixer/strips/InputStripBox.h"
#include "session/SessionController.h"
#include "settings/BufferSize.h"
#include "settings/SettingsPage.h"
#include "settings/SpdifFormat.h"
#include "unit/test_session_support.h"
#include "window_test_support.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace arx::test
{

// File dialogs that the test answers, and the messages they were asked to show.
class AnsweredDialogs final : public SessionDialogs
{
public:
    void chooseFile (const SessionStore::FileDialog& dialog, juce::Component* parent,
                     std::function<void (const juce::File&)> done) override
    {
        opened.push_back (dialog);
        parentDisabled = parent != nullptr && ! parent->isEnabled();
        pending = std::move (done);
    }
    void askToReplace (const juce::File& file, juce::Component*, std::function<void (bool)> done) override
    {
        replaceQuestions.add (file);
        pendingQuestion = std::move (done);
    }
    void showMessage (const juce::String& text, juce::Component*) override { messages.add (text); }

    bool isOpen() const { return pending != nullptr; }
    bool isAsking() const { return pendingQuestion != nullptr; }
    // The user answers the question before a file is replaced.
    void answerQuestion (bool replace)
    {
        auto done = std::move (pendingQuestion);
        pendingQuestion = nullptr;
        done (replace);
    }
    // The user picks `file` (File() cancels).
    void answer (const juce::File& file)
    {
        auto done = std::move (pending);
        pending = nullptr;
        done (file);
    }

    std::vector<SessionStore::FileDialog> opened;
    juce::Array<juce::File> replaceQuestions;
    juce::StringArray messages;
    bool parentDisabled = false;
    std::function<void (const juce::File&)> pending;
    std::function<void (bool)> pendingQuestion;
};

// How many device values differ from the state, over the values the window's controls send: the
// monitor mix of each input into each output pair (sent for the pair's left output), the clock
// and the S/PDIF format. The fewest commands that could bring the device to the state.
inline int valuesDiffering (const sim::SimMixer& mixer, const ConsoleState& state)
{
    const auto& image = state.image();
    const int inputs = state.inputCount(), outputs = state.outputCount();
    int n = 0;
    for (int i = 0; i < inputs; ++i)
        for (int o = 0; o < outputs; o += 2)
        {
            n += mixer.monitorGain[i][o] != image.monitorGain[i][o];
            n += mixer.monitorPan[i][o] != image.monitorPan[i][o];
            n += (mixer.monitorMute[i][o] != 0) != ((image.monitorFlags[i][o] & 1) != 0);
            n += (mixer.monitorSolo[i][o] != 0) != ((image.monitorFlags[i][o] & 2) != 0);
        }
    n += mixer.clockSource != image.clockSource;
    n += mixer.sampleRate != image.sampleRate;
    n += ((mixer.flags ^ image.flags) & SessionImage::flagSpdifFormat) != 0;
    return n;
}

// A console window of the in-process lab, never on the desktop, whose session dialogs the test
// answers and whose buffer size refusals are recorded rather than shown.
struct SessionWindow : WindowRig
{
    explicit SessionWindow (sim::PlugOptions options = {}) : WindowRig (std::move (options))
    {
        auto answered = std::make_unique<AnsweredDialogs>();
        dialogs = answered.get();
        controller().setDialogs (std::move (answered));
        content().getSettingsPage()->getBufferSize().setMessageBox (
            [this] (const juce::String&, const juce::String& text) { refusals.add (text); });
        state().setMostRecentFolder (scratch.folder);
        // These tests are about the load itself; the compare before it has tests of its own.
        content().setLoadWithoutAsking (true);
    }

    SessionController& controller() { return *content().getSessionController(); }
    SessionBox& box() { return controller().getSessionBox(); }
    InputStrip& strip (int k) { return *content().getInputStrips()->getStrip (k); }

    // As the window's key listener hands a key to the command manager.
    void press (const juce::KeyPress& key) { content().getCommandManager().getKeyMappings()->keyPressed (key, &content()); }

    // No control of the window waits to send anything.
    bool allSent()
    {
        auto& thread = *content().getHardwareThreadIfMade();
        for (auto* c = content().firstControl(); c != nullptr; c = c->getNextInWindow())
        {
            auto* banked = dynamic_cast<BankedDeviceControl*> (c);
            if (thread.isQueuedForSet (*c) || (banked != nullptr && banked->getPendingBanks() != 0))
                return false;
        }
        return true;
    }

    bool deviceHoldsState() { return allSent() && valuesDiffering (device().mixer(), state()) == 0; }

    ScratchFolder scratch;
    AnsweredDialogs* dialogs = nullptr;
    juce::StringArray refusals;
};

// A mix a user could have made on the device's channels: levels in whole dB, pans, mutes, solos,
// names, gangs, a clock the device offers and the S/PDIF format.
inline void makeMix (ConsoleState& state, int seed)
{
    juce::Random random (seed);
    const int inputs = state.inputCount(), outputs = state.outputCount();

    for (int i = 0; i < inputs; ++i)
    {
        state.setInputAlias (i, "in " + juce::String (seed) + "/" + juce::String (i));
        for (int o = 0; o < outputs; ++o)
        {
            state.setMonitorGain (i, o, (float) -random.nextInt (60));
            state.setMonitorPan (i, o, (float) random.nextInt (256) / 255.0f);
            state.setMonitorMute (i, o, random.nextBool());
            state.setMonitorSolo (i, o, random.nextBool());
        }
    }
    for (int c = 0; c < outputs; ++c)
    {
        state.setPlaybackGain (c, (float) -random.nextInt (60));
        state.setPlaybackMute (c, random.nextBool());
        state.setPlaybackSolo (c, random.nextBool());
        state.setOutputGain (c, (float) -random.nextInt (60));
        state.setOutputMute (c, random.nextBool());
        state.setOutputAlias (c, "out " + juce::String (seed) + "/" + juce::String (c));
    }
    state.image().clockSource = random.nextBool() ? 0u : 1u;
    state.image().sampleRate = random.nextBool() ? 44100u : 96000u;
    if (random.nextBool())
        state.setFlags (SessionImage::flagSpdifFormat);
    else
        state.clearFlags (SessionImage::flagSpdifFormat);
    state.setInputGangs ((uint32_t) random.nextInt());
    state.setOutputGangs ((uint32_t) random.nextInt());
}

} // namespace arx::test
