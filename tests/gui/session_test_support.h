#pragma once

// A console content for session tests while the mixer page is not there: a real hardware
// thread on a device of the in-process lab, one real control per mixer value the session image
// carries to the device, name labels and gang buttons that show the state, the session
// controller with its box and commands, and file dialogs the test answers.

#include "console/ConsoleState.h"
#include "device/GainCode.h"
#include "hw_test_support.h"
#include "look/ConsoleSkin.h"
#include "session/SessionController.h"
#include "session/SessionHost.h"
#include "unit/test_session_support.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace arx::test
{

// A control bound to one kind of mixer value: its banks run from 0 to `end` by `step`, and each
// dirty bank is sent from the console state, which holds the value (reset takes the defaults the
// state's own reset wrote).
class MirrorCtrl final : public juce::Component, public HwCtrlBanked
{
public:
    using Send = std::function<int (bhw&, const ConsoleState&, int bank)>;

    MirrorCtrl (HwCtrlHost& host, int bankEnd, int bankStep, Send sendBank)
        : HwCtrlBanked (host), end (bankEnd), step (bankStep), send (std::move (sendBank))
    {
    }

    void get() override {}
    void set() override
    {
        sendNextBank ([this] (int bank) {
            ++sends;
            return send (getThread().getDevice(), getThread().getState(), bank);
        });
    }
    void refresh (ConsoleState&, bool markAll) override
    {
        ++refreshes;
        if (markAll)
            markBanks (0, end, step);
    }
    void store (ConsoleState&) override {}
    void reset() override
    {
        ++resets;
        markBanks (0, end, step);
    }

    const int end, step;
    const Send send;
    std::atomic<int> sends { 0 };
    int refreshes = 0, resets = 0;
};

// Sends both outputs of a pair; the first failure decides.
inline int bothOfPair (int bank, const std::function<int (int output)>& sendOne)
{
    const int left = sendOne (bank);
    const int right = sendOne (bank + 1);
    return left != 0 ? left : right;
}

// One control per value the session image carries to the device, for the device's channels.
inline void makeMirrorControls (HwCtrlHost& host, const ConsoleState& state,
                                std::vector<std::unique_ptr<MirrorCtrl>>& controls)
{
    const int inputs = state.inputCount(), outputs = state.outputCount();
    auto add = [&] (int end, int step, MirrorCtrl::Send send) {
        controls.push_back (std::make_unique<MirrorCtrl> (host, end, step, std::move (send)));
    };

    for (int i = 0; i < inputs; ++i)
    {
        add (outputs, 2, [i] (bhw& d, const ConsoleState& s, int b) {
            return bothOfPair (b, [&] (int o) { return d.setMonitorGain (i, o, s.monitorGain (i, o)); });
        });
        add (outputs, 2, [i] (bhw& d, const ConsoleState& s, int b) {
            return bothOfPair (b, [&] (int o) { return d.setMonitorPan (i, o, codeToPan (s.image().monitorPan[i][o])); });
        });
        add (outputs, 2, [i] (bhw& d, const ConsoleState& s, int b) {
            return bothOfPair (b, [&] (int o) { return d.setMonitorMute (i, o, (s.image().monitorFlags[i][o] & 1) != 0); });
        });
        add (outputs, 2, [i] (bhw& d, const ConsoleState& s, int b) {
            return bothOfPair (b, [&] (int o) { return d.setMonitorSolo (i, o, (s.image().monitorFlags[i][o] & 2) != 0); });
        });
    }

    add (outputs, 1, [] (bhw& d, const ConsoleState& s, int c) { return d.setPlaybackGain (c, s.playbackGain (c)); });
    add (outputs, 1, [] (bhw& d, const ConsoleState& s, int c) { return d.setPlaybackMute (c, s.playbackMute (c)); });
    add (outputs, 1, [] (bhw& d, const ConsoleState& s, int c) { return d.setPlaybackSolo (c, s.playbackSolo (c)); });
    add (outputs, 1, [] (bhw& d, const ConsoleState& s, int c) { return d.setOutputGain (c, s.outputGain (c)); });
    add (outputs, 1, [] (bhw& d, const ConsoleState& s, int c) { return d.setOutputMute (c, s.outputMute (c)); });
    add (1, 1, [] (bhw& d, const ConsoleState& s, int) {
        return d.setClock ((int) s.image().clockSource, (int) s.image().sampleRate);
    });
    add (1, 1, [] (bhw& d, const ConsoleState& s, int) {
        const auto spdif = SessionImage::flagSpdifFormat;
        return d.changeFlags (s.image().flags & spdif, ~s.image().flags & spdif);
    });
}

// A channel name that shows the console state.
class AliasLabel final : public juce::Label
{
public:
    AliasLabel (const ConsoleState& s, int inputChannel) : juce::Label ("alias"), state (s), channel (inputChannel) {}
    void showFromState() { setText (state.inputAlias (channel), juce::dontSendNotification); }

    const ConsoleState& state;
    const int channel;
};

// An input pair's gang button that shows the console state.
class GangToggle final : public juce::ToggleButton
{
public:
    GangToggle (const ConsoleState& s, int inputChannel) : juce::ToggleButton ("Gang"), state (s), channel (inputChannel)
    {
        setName ("console_gang_button");
    }
    void showFromState() { setToggleState (state.isInputGanged (channel), juce::dontSendNotification); }

    const ConsoleState& state;
    const int channel;
};

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
    void showMessage (const juce::String& text, juce::Component*) override { messages.add (text); }

    bool isOpen() const { return pending != nullptr; }
    // The user picks `file` (File() cancels).
    void answer (const juce::File& file)
    {
        auto done = std::move (pending);
        pending = nullptr;
        done (file);
    }

    std::vector<SessionStore::FileDialog> opened;
    juce::StringArray messages;
    bool parentDisabled = false;
    std::function<void (const juce::File&)> pending;
};

class SessionTestContent final : public juce::Component,
                                 public HwCtrlHost,
                                 public SessionHost,
                                 public juce::ApplicationCommandTarget
{
public:
    explicit SessionTestContent (sim::PlugOptions options = {}) : rig (std::move (options)), skin (rig.state.inputCount())
    {
        auto answered = std::make_unique<AnsweredDialogs>();
        dialogs = answered.get();
        session = std::make_unique<SessionController> (rig.state, *this, skin, commands, false, std::move (answered));
        addAndMakeVisible (session->getSessionBox());

        for (int i = 0; i < rig.state.inputCount(); ++i)
        {
            addAndMakeVisible (aliases.add (new AliasLabel (rig.state, i)));
            if (i % 2 == 0)
                addAndMakeVisible (gangs.add (new GangToggle (rig.state, i)));
        }

        makeMirrorControls (*this, rig.state, controls);
        commands.registerAllCommandsForTarget (this);
        commands.setFirstCommandTarget (this);
        setSize (600, 300);
        rig.start();
    }

    ~SessionTestContent() override
    {
        // The thread goes before the controls it may be serving.
        rig.thread.reset();
        session.reset();
    }

    ConsoleState& state() { return rig.state; }
    sim::SimDevice& device() { return rig.device(); }

    // Every control sent all it had and nothing is queued.
    bool allSent() const
    {
        for (auto& c : controls)
            if (c->getPendingBanks() != 0)
                return false;
        return true;
    }

    // HwCtrlHost
    hwthread& getHwThread() override { return *rig.thread; }
    void addControl (HwCtrl& control) override
    {
        control.setNextInWindow (firstControl);
        firstControl = &control;
    }

    // SessionHost
    void applyToControls() override
    {
        forEachNamed (*this, "console_gang_button", [] (juce::Component& c) { static_cast<GangToggle&> (c).showFromState(); });
        forEachNamed (*this, "alias", [] (juce::Component& c) { static_cast<AliasLabel&> (c).showFromState(); });
        refreshAndQueueAll (firstControl, rig.state);
        repaint();
        ++applied;
    }
    void resetControls() override
    {
        forEachNamed (*this, "alias", [] (juce::Component& c) { static_cast<AliasLabel&> (c).showFromState(); });
        resetAndQueueAll (firstControl);
        repaint();
        ++resets;
    }

    // ApplicationCommandTarget
    juce::ApplicationCommandTarget* getNextCommandTarget() override { return nullptr; }
    void getAllCommands (juce::Array<juce::CommandID>& ids) override { SessionController::getAllCommands (ids); }
    void getCommandInfo (juce::CommandID id, juce::ApplicationCommandInfo& info) override
    {
        SessionController::getCommandInfo (id, info);
    }
    bool perform (const InvocationInfo& info) override
    {
        if (! session->perform (info.commandID))
            return false;
        repaint();
        return true;
    }

    HwRig rig;
    ConsoleSkin skin;
    juce::ApplicationCommandManager commands;
    AnsweredDialogs* dialogs = nullptr;
    std::unique_ptr<SessionController> session;
    juce::OwnedArray<AliasLabel> aliases;
    juce::OwnedArray<GangToggle> gangs;
    std::vector<std::unique_ptr<MirrorCtrl>> controls;
    HwCtrl* firstControl = nullptr;
    int applied = 0, resets = 0;
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

// How many device values differ from the state, over the values the mirror controls carry: the
// fewest commands that could bring the device to the state.
inline int valuesDiffering (const sim::SimMixer& mixer, const ConsoleState& state)
{
    const auto& image = state.image();
    const int inputs = state.inputCount(), outputs = state.outputCount();
    int n = 0;
    for (int i = 0; i < inputs; ++i)
        for (int o = 0; o < outputs; ++o)
        {
            n += mixer.monitorGain[i][o] != image.monitorGain[i][o];
            n += mixer.monitorPan[i][o] != image.monitorPan[i][o];
            n += (mixer.monitorMute[i][o] != 0) != ((image.monitorFlags[i][o] & 1) != 0);
            n += (mixer.monitorSolo[i][o] != 0) != ((image.monitorFlags[i][o] & 2) != 0);
        }
    for (int c = 0; c < outputs; ++c)
    {
        n += mixer.playbackGain[c] != image.playbackGain[c];
        n += (mixer.playbackMute[c] != 0) != (image.playbackChannel[c].mute != 0);
        n += (mixer.playbackSolo[c] != 0) != (image.playbackChannel[c].solo != 0);
        n += mixer.outputGain[c] != image.outputGain[c];
        n += (mixer.outputMute[c] != 0) != (image.outputChannel[c].mute != 0);
    }
    n += (mixer.clockSource != image.clockSource || mixer.sampleRate != image.sampleRate) ? 1 : 0;
    n += ((mixer.flags ^ image.flags) & SessionImage::flagSpdifFormat) != 0;
    return n;
}

} // namespace arx::test
