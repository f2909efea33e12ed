// The mixer page of a real console window against the in-process lab: the playback and output
// strips for every output pair, their names, headers, numbers and meters, the tab bar over the
// page, levels that reach the device exactly as the console state holds them, and changes made
// to the system volume by other programs.

#include "console/ConsoleState.h"
#include "device/GainCode.h"
#include "mixer/ConsoleTabBar.h"
#include "mixer/MixerPagePanels.h"
#include "mixer/MixerPage.h"
#include "mixer/strips/OutputStripBox.h"
#include "mixer/strips/OutputNames.h"
#include "mixer/strips/PlaybackStripBox.h"
#include "mixer/strips/StripHeaders.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/FaderTextBox.h"
#include "mixer/widgets/SoloWarning.h"
#include "settings/SettingsPage.h"
#include "sim/SimEndpoints.h"
#include "window_test_support.h"

#include <set>

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{

constexpr uint32_t playbackCategory = 6;

MixerPage& page (WindowRig& rig) { return *rig.content().getMixerPage(); }
PlaybackStrip& playStrip (WindowRig& rig, int q) { return *page (rig).getPlayStrips().getStrip (q); }
OutputStripBox& outputs (WindowRig& rig) { return page (rig).getOutputStrips(); }

// The lab's commands that `wanted` picks, until `count` have arrived, and any right behind them.
std::vector<SentCommand> waitForCommands (sim::SimDevice& device, const std::function<bool (const SentCommand&)>& wanted,
                                          size_t count)
{
    std::vector<SentCommand> found;
    const auto collect = [&] {
        for (auto& c : takeCommands (device))
            if (wanted (c))
                found.push_back (c);
    };
    pumpUntil ([&] {
        collect();
        return found.size() >= count;
    });
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    collect();
    return found;
}

// The controls of the playback and output strips.
std::vector<DeviceControl*> stripControls (WindowRig& rig)
{
    std::vector<DeviceControl*> controls;
    for (int q = 0; q < 2; ++q)
    {
        auto& strip = playStrip (rig, q);
        controls.insert (controls.end(), { &strip.getFader(), &strip.getMute(), &strip.getSolo(), &outputs (rig).getFader (q),
                                           &outputs (rig).getMute (q) });
    }
    return controls;
}

// As a session load does it, for the strips' controls (the settings page's would open message
// boxes): refresh with every channel marked, then queued for set.
void loadIntoControls (const std::vector<DeviceControl*>& controls, ConsoleState& state)
{
    for (auto* c : controls)
        c->refresh (state, true);
    for (auto* c : controls)
        c->getThread().queueSet (*c);
}

// Gangs start as the preferences say (all linked without any): these tests begin unlinked.
void unlinkAll (WindowRig& rig)
{
    rig.state().setPlaybackGangs (0);
    rig.state().setOutputGangs (0);
    page (rig).getPlayStrips().getGang().refreshFromState();
    outputs (rig).getGang().refreshFromState();
}

// A gain code that a round trip through dB does not give back.
uint32_t oddCode()
{
    for (uint32_t code = 0x00A00001u;; code += 7)
        if (gainToCode (codeToGain (code)) != code)
            return code;
}

// Every meter poll of the lab answers `outputLevel (output)` for its output meters from here on.
void holdOutputMeters (LabDevice& lab, std::function<uint32_t (int output)> outputLevel)
{
    constexpr int outputCountWord = 12, firstMeterWord = 16;
    lab.hook.after = [outputLevel] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t& returned) {
        if (code != platform::IOCTL_ARX_GWC_TRANSACTION || in[packetCategory] != 0 || in[packetCommand] != 1)
            return;
        const int outputs = (int) out[outputCountWord];
        for (int o = 0; o < outputs && firstMeterWord + o < (int) returned / 4; ++o)
            out[firstMeterWord + o] = outputLevel (o);
    };
}

HardwareInfo infoWithOutputs (std::vector<sim::SimChannelGroup> groups)
{
    const auto block = hwinfoWith ([&] (sim::SimProfile& p) { p.outputGroups = groups; });
    HardwareInfo info;
    EXPECT_TRUE (info.decode (block.getData(), block.getSize()));
    return info;
}

// Every control of the input, playback and output strips.
std::vector<BankedDeviceControl*> mixerControls (WindowRig& rig)
{
    std::vector<BankedDeviceControl*> controls;
    auto& inputs = page (rig).getInputStrips();
    for (int k = 0; k < inputs.getNumStrips(); ++k)
    {
        auto& strip = *inputs.getStrip (k);
        controls.insert (controls.end(), { &strip.getFader(), &strip.getMute(), &strip.getSolo(), &strip.getPanKnob() });
    }
    for (auto* c : stripControls (rig))
        controls.push_back (dynamic_cast<BankedDeviceControl*> (c));
    return controls;
}

// The hardware thread has sent every bank it was given. The last one may still be on its way
// to the device: callers wait for the device too.
bool nothingLeftToSend (const std::vector<BankedDeviceControl*>& controls)
{
    for (auto* c : controls)
        if (c->getPendingBanks() != 0 || c->getThread().isQueuedForSet (*c))
            return false;
    return true;
}

TEST (MixerPage, PanelsTakeTheirPlacesUnderTheTabBar)
{
    WindowRig rig;
    auto& content = rig.content();
    const int n = 13 * 54;

    ASSERT_NE (content.getTabBar(), nullptr);
    EXPECT_EQ (content.getTabBar()->getParentComponent(), &content);
    EXPECT_EQ (content.getTabBar()->getBounds(), juce::Rectangle<int> (0, 0, n + 221, 30));

    auto& box = page (rig);
    EXPECT_EQ (content.getMixerPage(), &box);
    EXPECT_EQ (box.getName(), "tabbed UI box");
    EXPECT_EQ (box.getBounds(), juce::Rectangle<int> (0, 30, n + 221, 506));
    EXPECT_EQ (box.getPlayHeader().getBounds(), juce::Rectangle<int> (n, 114, 108, 23));
    EXPECT_EQ (box.getPlayStrips().getBounds(), juce::Rectangle<int> (n, 137, 108, 369));
    EXPECT_EQ (box.getPlayStrips().getName(), "play strip box");
    EXPECT_EQ (box.getOutputHeader().getBounds(), juce::Rectangle<int> (n + 108, 114, 113, 23));
    EXPECT_EQ (box.getOutputStrips().getBounds(), juce::Rectangle<int> (n + 108, 137, 113, 369));
    EXPECT_EQ (box.getSoloWarning().getBounds(), juce::Rectangle<int> (n + 108, 44, 113, 20));
    ASSERT_NE (content.getLogoBox(), nullptr);
    EXPECT_EQ (content.getLogoBox()->getParentComponent(), &box);
    EXPECT_EQ (content.getLogoBox()->getBounds(), juce::Rectangle<int> (n + 108, 0, 113, 44));

    // The gang buttons sit 7 pixels above the columns' bottom edge.
    EXPECT_EQ (box.getPlayStrips().getGang().getBounds(), juce::Rectangle<int> (34, 345, 44, 17));
    EXPECT_EQ (outputs (rig).getGang().getBounds(), juce::Rectangle<int> (34, 345, 44, 17));

    // Between the warning and the output header the spacer, in its dark grey.
    const auto shot = box.createComponentSnapshot ({ n + 108, 64, 113, 50 });
    EXPECT_EQ (shot.getPixelAt (56, 25), Spacer::colour());
}

TEST (PlaybackStrips, ShowTheChannelsOfTheChosenPairWithTheirNamesAndNumbers)
{
    WindowRig rig;
    struct Expected
    {
        int bank;
        const char *title, *play[2], *out[2];
    };
    const Expected pairs[] = { { 0, "ANALOG", { "Play A1", "Play A2" }, { "Out A1", "Out A2" } },
                               { 2, "HEADPHONES", { "Play H1", "Play H2" }, { "Out H1", "Out H2" } },
                               { 4, "DIGITAL", { "Play S1", "Play S2" }, { "Out S1", "Out S2" } } };
    for (const auto& e : pairs)
    {
        SCOPED_TRACE (e.bank);
        rig.content().selectPage (e.bank);
        for (int q = 0; q < 2; ++q)
        {
            auto& strip = playStrip (rig, q);
            EXPECT_EQ (strip.getChannel(), e.bank + q);
            EXPECT_EQ (strip.getFader().getChannel(), e.bank + q);
            EXPECT_EQ (strip.getMute().getChannel(), e.bank + q);
            EXPECT_EQ (strip.getSolo().getChannel(), e.bank + q);
            EXPECT_EQ (strip.getNumberLabel().getText(), juce::String (e.bank + q + 1));
            EXPECT_EQ (strip.getAlias().getText(), e.play[q]);
            EXPECT_EQ (outputs (rig).getFader (q).getChannel(), e.bank + q);
            EXPECT_EQ (outputs (rig).getMute (q).getChannel(), e.bank + q);
            EXPECT_EQ (outputs (rig).getAlias (q).getText(), e.out[q]);
            // Outputs count within their group.
            EXPECT_EQ (outputs (rig).getNumberLabel (q).getText(), juce::String::formatted ("Out %d", q + 1));
        }
        EXPECT_EQ (page (rig).getPlayHeader().getText(), e.title);
        EXPECT_EQ (page (rig).getOutputHeader().getText(), e.title);
        EXPECT_EQ (page (rig).getPlayStrips().getGang().getFirst(), e.bank);
        EXPECT_EQ (outputs (rig).getGang().getFirst(), e.bank);
    }

    // The names were shown, not stored; the components carry their fixed names.
    for (int c = 0; c < 6; ++c)
    {
        EXPECT_EQ (rig.state().playbackAlias (c), "");
        EXPECT_EQ (rig.state().outputAlias (c), "");
    }
    EXPECT_EQ (playStrip (rig, 1).getFader().getName(), "play fader 1");
    EXPECT_EQ (playStrip (rig, 1).getSolo().getName(), "Play solo 1");
    EXPECT_EQ (outputs (rig).getMute (0).getName(), "master mute 0");
    EXPECT_EQ (outputs (rig).getNumberLabel (1).getName(), "master upper label");
    EXPECT_FALSE (rig.state().hasChanged());

    // On pair 3-4, a move of the right playback fader is channel 3's, the left output's output 2's.
    unlinkAll (rig);
    rig.content().selectPage (2);
    rig.device().takeRequestLog();
    playStrip (rig, 1).getFader().setValue (-20.0, juce::sendNotificationSync);
    outputs (rig).getFader (0).setValue (-30.0, juce::sendNotificationSync);
    EXPECT_EQ (rig.state().playbackGainCode (3), gainToCode (-20.0f));
    EXPECT_EQ (rig.state().outputGainCode (2), gainToCode (-30.0f));
    // The playback channels' reads of the switch may come first.
    std::vector<std::vector<uint32_t>> levelsSent;
    pumpUntil ([&] {
        for (const auto& c : takeCommands (rig.device()))
            if (isCommand (c, playbackCategory, 0))
                levelsSent.push_back (c.params);
        return ! levelsSent.empty();
    });
    EXPECT_EQ (levelsSent, (std::vector<std::vector<uint32_t>> { { 3, gainToCode (-20.0f) } }));
    EXPECT_TRUE (pumpUntil ([&] { return rig.device().mixer().outputGain[2] == gainToCode (-30.0f); }));
    EXPECT_EQ (rig.device().mixer().outputGain[3], unityGainCode);
}

TEST (PlaybackStrips, DefaultNamesAndHeadersFollowTheOutputGroups)
{
    using namespace outputnames;
    const auto adat = infoWithOutputs ({ { 2, 8 }, { 3, 2 }, { 6, 2 }, { 4, 2 } });
    EXPECT_EQ (defaultOutputName (&adat, 2), "Out ADAT3");
    EXPECT_EQ (defaultPlaybackName (&adat, 9), "Play Out2") << "kind 3: digital, without a short name of its own";
    EXPECT_EQ (defaultOutputName (&adat, 10), "Out 1") << "a group without a short name";
    EXPECT_EQ (defaultOutputName (&adat, 14), "Out 15") << "a channel past the groups";
    for (const auto& [bank, title] : { std::pair<int, const char*> { 0, "DIGITAL" }, { 8, "DIGITAL" }, { 10, "OUTPUT" }, { 12, "OUTPUT" } })
    {
        EXPECT_EQ (PlaybackHeader::headerText (&adat, bank), title) << bank;
        EXPECT_EQ (kindTitle (&adat, bank), title) << bank;
    }

    // One group of two channels: Left and Right under PLAYBACK; the outputs keep their kind.
    WindowRig rig ("stereo");
    EXPECT_EQ (playStrip (rig, 0).getAlias().getText(), "Left");
    EXPECT_EQ (playStrip (rig, 1).getAlias().getText(), "Right");
    EXPECT_EQ (outputs (rig).getAlias (0).getText(), "Left");
    EXPECT_EQ (outputs (rig).getAlias (1).getText(), "Right");
    EXPECT_EQ (page (rig).getPlayHeader().getText(), "PLAYBACK");
    EXPECT_EQ (page (rig).getOutputHeader().getText(), "ANALOG");

    // A single group of more channels is not plain stereo: grouped names, still PLAYBACK.
    const auto eight = infoWithOutputs ({ { 0, 8 } });
    EXPECT_EQ (defaultPlaybackName (&eight, 1), "Play A2");
    EXPECT_EQ (PlaybackHeader::headerText (&eight, 4), "PLAYBACK");

    // The output header draws its text, white on dark, fitted into the header.
    auto& header = page (rig).getOutputHeader();
    const auto shot = header.createComponentSnapshot (header.getLocalBounds());
    int white = 0;
    for (int x = 0; x < shot.getWidth(); ++x)
        for (int y = 0; y < shot.getHeight(); ++y)
            white += shot.getPixelAt (x, y).getBrightness() > 0.9f ? 1 : 0;
    EXPECT_GT (white, 30);
    EXPECT_EQ (shot.getPixelAt (1, 1), juce::Colour (15, 15, 15));
}

TEST (PlaybackStrips, TypedNamesBelongToTheChannelShownWhenTyped)
{
    WindowRig rig;
    auto& alias = outputs (rig).getAlias (1);
    typeInto (alias, "Monitors R");
    EXPECT_EQ (rig.state().outputAlias (1), "Monitors R");

    rig.content().selectPage (2);
    EXPECT_EQ (alias.getText(), "Out H2");
    typeInto (playStrip (rig, 0).getAlias(), "Phones");
    EXPECT_EQ (rig.state().playbackAlias (2), "Phones");
    EXPECT_EQ (rig.state().playbackAlias (0), "");

    rig.content().selectPage (0);
    EXPECT_EQ (alias.getText(), "Monitors R");
    EXPECT_EQ (playStrip (rig, 0).getAlias().getText(), "Play A1");

    // A reset of the names clears every channel of the label's parity.
    playStrip (rig, 0).getAlias().resetName();
    outputs (rig).getAlias (1).resetName();
    EXPECT_EQ (rig.state().playbackAlias (2), "");
    EXPECT_EQ (rig.state().outputAlias (1), "");
}

TEST (MixerPage, LoadedLevelsReachTheDeviceAsTheStateHoldsThem)
{
    // A level typed into a session file, or read from the device, is a code that dB may not
    // give back: the device must get that very code, not its neighbour.
    const auto code = oddCode();
    ASSERT_NE (gainToCode (codeToGain (code)), code);
    for (bool vista : { false, true })
    {
        SCOPED_TRACE (vista ? "endpoint link" : "legacy link");
        WindowRig rig (WindowRig::options ("arx"), {}, vista);
        auto& state = rig.state();
        state.setPlaybackGainCode (4, code); // S/PDIF: no endpoint carries it, the device command does
        state.setPlaybackGainCode (5, code + 1);
        state.setOutputGainCode (3, code);
        state.setMonitorGainCode (0, 2, code);
        state.setMonitorGainCode (0, 3, code);
        rig.device().takeRequestLog();

        auto controls = stripControls (rig);
        controls.push_back (&page (rig).getInputStrips().getStrip (0)->getFader());
        loadIntoControls (controls, state);
        ASSERT_TRUE (pumpUntil ([&] {
            const auto m = rig.device().mixer();
            return m.playbackGain[4] == code && m.playbackGain[5] == code + 1 && m.outputGain[3] == code
                   && m.monitorGain[0][2] == code;
        })) << std::hex << rig.device().mixer().playbackGain[4] << " " << rig.device().mixer().outputGain[3] << " "
            << rig.device().mixer().monitorGain[0][2];
    }
}

TEST (MixerPage, OpeningAndSwitchingTabsChangeNothingTheUserDidNotMove)
{
    WindowRig rig;
    auto& state = rig.state();
    EXPECT_FALSE (state.hasChanged()) << "opening the window changed the session";

    // Levels a fader cannot show as they are, alike in the device and the state: silence, below
    // the faders' floor, off their grid, and a code that dB does not give back.
    auto& device = *rig.lab.device;
    const uint32_t codes[] = { 0, gainToCode (-75.0f), gainToCode (-12.34f), oddCode() };
    for (int c = 0; c < 4; ++c)
    {
        ASSERT_EQ (device.setPlaybackGainCode (c, codes[c]), 0);
        ASSERT_EQ (device.setOutputGainCode (c, codes[c]), 0);
        state.setPlaybackGainCode (c, codes[c]);
        state.setOutputGainCode (c, codes[c]);
    }
    for (auto* c = rig.content().firstControl(); c != nullptr; c = c->getNextInWindow())
        c->refresh (state, false);
    state.setStoredCrc (state.computeCrc());

    // Quick switches, before the playback faders' reads are answered, and slow ones after.
    for (int bank : { 2, 0, 2, 4, 0 })
        rig.content().selectPage (bank);
    EXPECT_EQ (playStrip (rig, 1).getFader().getValue(), Fader::shownLevelFor (codeToGain (codes[1])));
    for (int bank : { 2, 0 })
    {
        rig.device().takeRequestLog();
        rig.content().selectPage (bank);
        // Both channels read from the device, and what they read shown. A read the quick
        // switches queued may still arrive, so the channels count, not the reads.
        const auto isRead = [bank] (const SentCommand& c) {
            return isCommand (c, playbackCategory, 1) && ! c.params.empty()
                   && (c.params[0] == uint32_t (bank) || c.params[0] == uint32_t (bank + 1));
        };
        std::set<uint32_t> channels;
        for (const auto& c : waitForCommands (rig.device(), isRead, 2))
            channels.insert (c.params[0]);
        ASSERT_EQ (channels, (std::set<uint32_t> { uint32_t (bank), uint32_t (bank + 1) }));
    }
    for (int c = 0; c < 4; ++c)
    {
        EXPECT_EQ (state.playbackGainCode (c), codes[c]) << c;
        EXPECT_EQ (state.outputGainCode (c), codes[c]) << c;
    }
    EXPECT_FALSE (state.hasChanged()) << "nothing was moved, nothing may be written back";
    EXPECT_EQ (playStrip (rig, 0).getFader().getTextBox()->getText(), "-60.0");

    // A move from the floor stores the new level.
    playStrip (rig, 0).getFader().setValue (-50.0, juce::sendNotificationSync);
    EXPECT_EQ (state.playbackGainCode (0), gainToCode (-50.0f));
    EXPECT_TRUE (state.hasChanged());
}

TEST (MixerPage, ATabSwitchWhileALoadIsSentKeepsEveryPairsOwnValues)
{
    WindowRig rig;
    ASSERT_TRUE (waitUntilServed (rig)); // the window's first reads
    auto& state = rig.state();
    const int inputs = page (rig).getInputStrips().getNumStrips();
    const int outputs = state.outputCount();

    // A session in which every pair, channel and output holds values of its own.
    const auto playbackMuted = [] (int c) { return c % 2 == 0; };
    const auto playbackSoloed = [] (int c) { return c % 3 == 0; };
    const auto outputMuted = [] (int c) { return c % 2 == 1; };
    for (int out = 0; out < outputs; out += 2)
    {
        const int pair = out / 2;
        for (int in = 0; in < inputs; ++in)
        {
            state.setMonitorGain (in, out, -3.0f * float (pair + 1) - 0.5f * float (in));
            state.setMonitorGain (in, out + 1, state.monitorGain (in, out));
            state.setMonitorMute (in, out, (in + pair) % 2 == 0);
            state.setMonitorSolo (in, out, (in + pair) % 3 == 0);
            state.setMonitorPan (in, out, float ((in + 3 * pair) % 5) / 4.0f);
        }
    }
    for (int c = 0; c < outputs; ++c)
    {
        state.setPlaybackGain (c, -2.0f * float (c + 1));
        state.setPlaybackMute (c, playbackMuted (c));
        state.setPlaybackSolo (c, playbackSoloed (c));
        state.setOutputGain (c, -1.5f * float (c + 1));
        state.setOutputMute (c, outputMuted (c));
    }
    const SessionImage loaded = state.image();

    // The load's first level of input 1's fader for pair 1-2 waits in the device while the user
    // opens pair 3-4. The moment the fader shows the new pair (its slider snaps the level it is
    // to show), the device answers, and the hardware thread stores the fader as it queues it
    // again for the banks still to send.
    auto& fader = page (rig).getInputStrips().getStrip (0)->getFader();
    HeldRequest held (rig.lab.hook, [] (uint32_t code, const uint32_t* in) {
        return isPacket (code, in, 8, 0, { 0, 0 }); // setMonitorGain (0, 0, ...)
    });
    std::atomic<bool> switching { false };
    bool storedDuringSwitch = false;
    const juce::NormalisableRange<double> faders (Fader::minDb, Fader::maxDb, Fader::stepDb, Fader::skew);
    fader.setNormalisableRange ({ Fader::minDb, Fader::maxDb,
                                  [faders] (double, double, double x) { return faders.convertFrom0to1 (x); },
                                  [faders] (double, double, double dB) { return faders.convertTo0to1 (dB); },
                                  [&] (double, double, double dB) {
                                      if (switching.exchange (false))
                                      {
                                          held.release();
                                          storedDuringSwitch = held.waitForRequestAfterRelease();
                                      }
                                      return faders.snapToLegalValue (dB);
                                  } });

    const auto controls = mixerControls (rig);
    for (auto* c : controls)
        c->refresh (state, true);
    for (auto* c : controls)
        c->getThread().queueSet (*c);
    ASSERT_TRUE (held.waitUntilHeld());

    switching = true;
    rig.content().selectPage (2);
    EXPECT_TRUE (storedDuringSwitch);
    EXPECT_EQ (fader.getValue(), -6.0);

    // Every bank of the state and of the device holds what was loaded.
    ASSERT_TRUE (pumpUntil ([&] { return nothingLeftToSend (controls); }));
    ASSERT_TRUE (waitUntilServed (rig));
    const auto& now = state.image();
    const auto m = rig.device().mixer();
    for (int in = 0; in < inputs; ++in)
    {
        for (int out = 0; out < outputs; ++out)
        {
            SCOPED_TRACE (juce::String::formatted ("input %d, output %d", in, out).toStdString());
            EXPECT_EQ (now.monitorGain[in][out], loaded.monitorGain[in][out]);
            EXPECT_EQ (now.monitorFlags[in][out], loaded.monitorFlags[in][out]);
            EXPECT_EQ (now.monitorPan[in][out], loaded.monitorPan[in][out]);
            if (out % 2 != 0)
                continue;
            EXPECT_EQ (m.monitorGain[in][out], loaded.monitorGain[in][out]);
            EXPECT_EQ (m.monitorMute[in][out] != 0, state.monitorMute (in, out));
            EXPECT_EQ (m.monitorSolo[in][out] != 0, state.monitorSolo (in, out));
            EXPECT_EQ (m.monitorPan[in][out], loaded.monitorPan[in][out]);
        }
    }
    for (int c = 0; c < outputs; ++c)
    {
        SCOPED_TRACE (juce::String::formatted ("channel %d", c).toStdString());
        EXPECT_EQ (now.playbackGain[c], loaded.playbackGain[c]);
        EXPECT_EQ (now.outputGain[c], loaded.outputGain[c]);
        EXPECT_EQ (state.playbackMute (c), playbackMuted (c));
        EXPECT_EQ (state.playbackSolo (c), playbackSoloed (c));
        EXPECT_EQ (state.outputMute (c), outputMuted (c));
        EXPECT_EQ (m.playbackGain[c], loaded.playbackGain[c]);
        EXPECT_EQ (m.outputGain[c], loaded.outputGain[c]);
        EXPECT_EQ (m.playbackMute[c] != 0, playbackMuted (c));
        EXPECT_EQ (m.playbackSolo[c] != 0, playbackSoloed (c));
        EXPECT_EQ (m.outputMute[c] != 0, outputMuted (c));
    }
}

TEST (OutputStrips, AGangedPairMovesAndSwitchesTogether)
{
    WindowRig rig;
    unlinkAll (rig);
    auto& box = outputs (rig);
    auto& gang = box.getGang();
    gang.setToggleState (true, juce::sendNotification); // the click
    ASSERT_TRUE (rig.state().isOutputGanged (0));

    // Levels 10 dB apart; Ctrl-click (a mouse-up with Ctrl) on the left one sets it to 0 dB and
    // moves the right one by as much.
    rig.state().setOutputGain (0, -20.0f);
    rig.state().setOutputGain (1, -30.0f);
    box.getFader (0).refresh (rig.state(), false);
    box.getFader (1).refresh (rig.state(), false);
    auto& left = box.getFader (0);
    left.mouseUp (mouseAt (left, { 18.0f, 100.0f }, juce::ModifierKeys::ctrlModifier));
    EXPECT_NEAR (box.getFader (1).getValue(), -10.0, 1e-6);
    EXPECT_TRUE (pumpUntil ([&] {
        const auto m = rig.device().mixer();
        return m.outputGain[0] == unityGainCode && m.outputGain[1] == gainToCode (-10.0f);
    }));

    // A mute click sets both to the clicked one's new state.
    box.getMute (1).setToggleState (true, juce::sendNotification);
    EXPECT_TRUE (pumpUntil ([&] { return rig.device().mixer().outputMute[0] == 1 && rig.device().mixer().outputMute[1] == 1; }));

    // The link belongs to its pair: on pair 3-4 the gang shows that pair's bit, and a click there
    // sets that bit only.
    rig.content().selectPage (2);
    EXPECT_FALSE (gang.getToggleState());
    gang.setToggleState (true, juce::sendNotification);
    EXPECT_TRUE (rig.state().isOutputGanged (2));
    EXPECT_TRUE (rig.state().isOutputGanged (0));
    EXPECT_FALSE (rig.state().isOutputGanged (4));
}

TEST (PlaybackStrips, TheGangLinksFadersMutesAndSolos)
{
    WindowRig rig;
    unlinkAll (rig);
    auto& gang = page (rig).getPlayStrips().getGang();
    gang.setToggleState (true, juce::sendNotification);
    ASSERT_TRUE (rig.state().isPlaybackGanged (0));

    auto& left = playStrip (rig, 0);
    auto& right = playStrip (rig, 1);
    left.getFader().startedDragging();
    left.getFader().setValue (-6.0, juce::sendNotificationSync);
    left.getFader().stoppedDragging();
    EXPECT_NEAR (right.getFader().getValue(), -6.0, 1e-6);
    right.getSolo().setToggleState (true, juce::sendNotification);
    left.getMute().setToggleState (true, juce::sendNotification);
    EXPECT_TRUE (pumpUntil ([&] {
        const auto m = rig.device().mixer();
        return m.playbackGain[1] == gainToCode (-6.0f) && m.playbackSolo[0] == 1 && m.playbackSolo[1] == 1
               && m.playbackMute[0] == 1 && m.playbackMute[1] == 1;
    }));
    EXPECT_EQ (page (rig).getSoloWarning().getSoloCount(), 2);
}

TEST (MixerPage, ResetSendsUnityLevelsAndClearsEveryPlaybackAndOutputFlag)
{
    WindowRig rig;
    auto& state = rig.state();
    for (int c = 0; c < 6; ++c)
    {
        state.setPlaybackGain (c, -40.0f);
        state.setPlaybackMute (c, true);
        state.setPlaybackSolo (c, true);
        state.setOutputGain (c, -40.0f);
        state.setOutputMute (c, true);
    }
    rig.device().takeRequestLog();

    const auto controls = stripControls (rig);
    for (auto* c : controls)
        c->reset();
    for (auto* c : controls)
        c->getThread().queueSet (*c);

    // Six channels of gain, mute and solo; six outputs of gain and mute.
    const auto isPlaybackSet = [] (const SentCommand& c) { return c.category == playbackCategory && (c.command & 1) == 0; };
    EXPECT_EQ (waitForCommands (rig.device(), isPlaybackSet, 18).size(), 18u);
    const auto m = rig.device().mixer();
    for (int c = 0; c < 6; ++c)
    {
        EXPECT_EQ (m.playbackGain[c], unityGainCode) << c;
        EXPECT_EQ (m.playbackMute[c], 0) << c;
        EXPECT_EQ (m.playbackSolo[c], 0) << c;
        EXPECT_EQ (m.outputGain[c], unityGainCode) << c;
        EXPECT_EQ (m.outputMute[c], 0) << c;
    }
    EXPECT_EQ (playStrip (rig, 1).getFader().getTextBox()->getText(), "0.0");
    EXPECT_FALSE (outputs (rig).getMute (0).getToggleState());
    EXPECT_EQ (page (rig).getSoloWarning().getSoloCount(), 0);
}

TEST (MixerPage, ALoadSendsThePlaybackSolosOfChannelsNotShown)
{
    WindowRig rig;
    rig.state().setPlaybackSolo (5, true);
    rig.state().setPlaybackMute (4, true);
    loadIntoControls (stripControls (rig), rig.state());
    EXPECT_TRUE (pumpUntil ([&] { return rig.device().mixer().playbackSolo[5] == 1 && rig.device().mixer().playbackMute[4] == 1; }));
    EXPECT_EQ (page (rig).getSoloWarning().getSoloCount(), 1);
}

TEST (MixerPage, OutputMetersAndTabLightsFollowEveryGoodPoll)
{
    WindowRig rig;
    holdOutputMeters (rig.lab, [] (int o) { return o == 1 ? 0x40000000u : (o == 4 ? 0x7F000000u : 0u); });
    auto& content = rig.content();
    auto& meter = outputs (rig).getMeter (1);
    EXPECT_EQ (meter.getLevelTop(), meter.getHeight());

    content.pollNow();
    ASSERT_TRUE (pumpUntil ([&] { return meter.getLevelTop() == 36; })); // -6 dB
    EXPECT_EQ (outputs (rig).getMeter (0).getLevelTop(), meter.getHeight() - 1);
    auto& bar = *content.getTabBar();
    EXPECT_EQ (bar.getLight (1).getFrame(), 2);
    EXPECT_EQ (bar.getLight (4).getFrame(), 3);
    EXPECT_EQ (bar.getLight (0).getFrame(), 0);

    // On pair 5-6 the right meter shows output 6, silent.
    content.selectPage (4);
    content.pollNow();
    EXPECT_TRUE (pumpUntil ([&] { return outputs (rig).getMeter (0).getLevelTop() == 0; }));
    EXPECT_NE (meter.getLevelTop(), 36);
}

TEST (MixerPage, TheTabBarSwitchesThePagesAndTheStoredTabOpens)
{
    {
        WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::tab, 2); });
        auto& bar = *rig.content().getTabBar();
        EXPECT_EQ (bar.currentTab(), 2);
        EXPECT_EQ (playStrip (rig, 0).getChannel(), 4);
        EXPECT_EQ (outputs (rig).getBank(), 4);

        // SETTINGS, then the first pair, with the mouse.
        bar.mouseUp (mouseAt (bar, { 430.0f, 15.0f }));
        EXPECT_TRUE (rig.content().getSettingsPage()->isVisible());
        EXPECT_FALSE (page (rig).isVisible());
        EXPECT_EQ (rig.content().currentTab(), ConsoleContent::settingsTab);
        bar.mouseUp (mouseAt (bar, { 10.0f, 15.0f }));
        EXPECT_TRUE (page (rig).isVisible());
        EXPECT_EQ (outputs (rig).getBank(), 0);
        EXPECT_EQ (page (rig).getInputStrips().getStrip (0)->getFader().getBank(), 0);

        // The content's own choice moves the bar's selection.
        rig.content().selectPage (2);
        EXPECT_EQ (bar.currentTab(), 1);
    }
    {
        WindowRig rig ("arx", [] (juce::PropertiesFile& f) { f.setValue (prefs::tab, -1); });
        EXPECT_EQ (rig.content().getTabBar()->currentTab(), -1);
        EXPECT_TRUE (rig.content().getSettingsPage()->isVisible());
    }
    {
        // Fewer than two outputs: no pair to show, the settings page opens.
        sim::PlugOptions plug;
        plug.hwinfoOverride = hwinfoWith ([] (sim::SimProfile& p) { p.outputGroups = { { 0, 1 } }; });
        WindowRig rig (plug);
        EXPECT_EQ (rig.content().pairTabCount(), 0);
        EXPECT_EQ (rig.content().getTabBar()->getNumTabs(), 1);
        EXPECT_EQ (rig.content().currentTab(), ConsoleContent::settingsTab);
        EXPECT_TRUE (rig.content().getSettingsPage()->isVisible());
    }
}

TEST (PlaybackStrips, AChangeFromTheSystemIsReadFromTheDeviceAndShown)
{
    WindowRig rig (WindowRig::options ("arx"), {}, true);
    auto& system = rig.lab.lab.endpoints();
    const auto name = rig.lab.sim->uniqueName();
    auto& fader = playStrip (rig, 1).getFader();
    auto& mute = playStrip (rig, 0).getMute();
    pumpUntil ([&] { return false; }, 100);
    rig.device().takeRequestLog();

    ASSERT_EQ (system.changeAsOtherProgram (name, 1, -18.0f, {}), "");
    ASSERT_TRUE (pumpUntil ([&] { return fader.getTextBox()->getText() == "-18.0"; })) << fader.getTextBox()->getText();
    EXPECT_EQ (rig.state().playbackGainCode (1), rig.device().mixer().playbackGain[1]);
    int reads = 0;
    for (auto& c : takeCommands (rig.device()))
        reads += isCommand (c, playbackCategory, 1) ? 1 : 0;
    EXPECT_GE (reads, 1);

    // Another program mutes the endpoint: both channels it carries show it.
    ASSERT_EQ (system.changeAsOtherProgram (name, 0, {}, true), "");
    EXPECT_TRUE (pumpUntil ([&] { return mute.getToggleState() && playStrip (rig, 1).getMute().getToggleState(); }));

    // The console's own level goes through the endpoint and is not heard back as a change.
    fader.setValue (-24.0, juce::sendNotificationSync);
    EXPECT_TRUE (pumpUntil ([&] { return rig.device().mixer().playbackGain[1] == gainToCode (-24.0f); }));
    EXPECT_EQ (fader.getTextBox()->getText(), "-24.0");
}

TEST (PlaybackStrips, ALevelReadDuringAGangedDragLeavesTheGesturesStartAlone)
{
    WindowRig rig (WindowRig::options ("arx"), {}, true);
    ASSERT_TRUE (waitUntilServed (rig)); // the window's first reads
    unlinkAll (rig);
    page (rig).getPlayStrips().getGang().setToggleState (true, juce::sendNotification);
    auto& left = playStrip (rig, 0).getFader();
    auto& right = playStrip (rig, 1).getFader();
    rig.state().setPlaybackGain (0, -20.0f);
    rig.state().setPlaybackGain (1, -30.0f);
    left.refresh (rig.state(), false);
    right.refresh (rig.state(), false);

    left.startedDragging();
    left.setValue (-15.0, juce::sendNotificationSync);
    EXPECT_NEAR (right.getValue(), -25.0, 1e-9);
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().mixer().playbackGain[1] == gainToCode (-25.0f); }));

    // Another program turns the right channel down; the read shows it mid-drag.
    auto& system = rig.lab.lab.endpoints();
    ASSERT_EQ (system.changeAsOtherProgram (rig.lab.sim->uniqueName(), 1, -40.0f, {}), "");
    ASSERT_TRUE (pumpUntil ([&] { return right.getTextBox()->getText() == "-40.0"; }));

    // The drag goes on: the right keeps the difference the gesture began with.
    left.setValue (-14.0, juce::sendNotificationSync);
    left.stoppedDragging();
    EXPECT_NEAR (right.getValue(), -24.0, 1e-9);
}

} // namespace
} // namespace arx::test
