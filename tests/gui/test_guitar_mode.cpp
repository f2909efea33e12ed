// The guitar mode panel of the settings page with the in-process lab's guitar.

#include "console/ConsoleState.h"
#include "guitar/GuitarInputMode.h"
#include "settings_test_support.h"

namespace arx::test
{
namespace
{

constexpr uint32_t hexFlag = SessionImage::flagGuitarHexMode;
const juce::String liveText = "The guitar is in stereo live mode.  The blend knob will work normally.";
const juce::String hexText = "The guitar is in hex mode.  The blend knob is bypassed.";
const juce::String autoText = "\n\nThe guitar will start charging five minutes after you stop playing.";
const juce::String dvxText = "\n\nYou can also change between Live Mode and Hex Mode by turning the DVX to the | symbol "
                             "and pressing the DVX.";
const juce::String chargingText = "The guitar is charging.   The blend knob will work normally.\n\n";

juce::var labGuitar (sim::SimDevice& device)
{
    return device.dump()["guitar"];
}

// The player or the cable, at the guitar.
void atTheGuitar (sim::SimDevice& device, const std::function<void (sim::SimGuitar&)>& action)
{
    device.withGuitar (action);
}

// The settings page with a clock for the panel's one-second rule that the test moves.
struct GuitarRig : SettingsRig
{
    explicit GuitarRig (const std::function<void (sim::SimDevice&, Device&)>& beforeBuild = {}, bool startThread = true)
        : SettingsRig (false, {}, beforeBuild, startThread), panel (page->getGuitarPanel())
    {
        panel.setClock ([this] { return nowMs; });
    }

    // The first poll that shows the guitar's state.
    void showGuitar()
    {
        poll();
        ASSERT_TRUE (panel.isVisible());
    }

    GuitarInputMode& panel;
    juce::uint32 nowMs = 100000;
};

TEST (GuitarMode, ShowsItselfOnlyWhileAGuitarIsConnected)
{
    GuitarRig rig ([] (sim::SimDevice&, Device& device) { ASSERT_EQ (device.setGuitarState (false, false, 120), 0); });
    auto& panel = rig.panel;
    EXPECT_EQ (panel.getName(), "guitar mode");
    EXPECT_EQ (panel.getText(), "Guitar mode");
    EXPECT_EQ (panel.getLiveButton().getBounds().getCentre(), juce::Point<int> (75, 36));
    EXPECT_EQ (panel.getHexButton().getBounds().getCentre(), juce::Point<int> (200, 36));
    EXPECT_EQ (panel.getChargingButton().getBounds().getCentre(), juce::Point<int> (325, 36));
    EXPECT_FALSE (panel.isVisible());

    // The guitar's charge settings were read at start.
    ASSERT_TRUE (pumpUntil ([&] { return panel.getChargeCombo().getSelectedId() == GuitarInputMode::comboNever; }));
    EXPECT_FALSE (rig.state().guitarEnabled());
    EXPECT_EQ (rig.state().guitarSetting(), 120u);

    rig.showGuitar();
    EXPECT_TRUE (panel.getLiveButton().getToggleState());
    EXPECT_EQ (panel.getExplanation(), liveText + "\n\nThe guitar will not automatically charge." + dvxText);

    atTheGuitar (rig.device(), [] (sim::SimGuitar& g) { g.connect (false); });
    rig.poll();
    EXPECT_FALSE (panel.isVisible());
    atTheGuitar (rig.device(), [] (sim::SimGuitar& g) { g.connect (true); });
    rig.poll();
    EXPECT_TRUE (panel.isVisible());
}

TEST (GuitarMode, ChargingByItselfAsksToStrumAndFadesTheModeItReturnsTo)
{
    GuitarRig rig;
    auto& panel = rig.panel;
    rig.showGuitar();
    const auto on = panel.getChargingButton().getLookAndFeel().findColour (juce::TextButton::buttonOnColourId);

    // Not played for longer than the charge delay: the guitar charges by itself.
    atTheGuitar (rig.device(), [] (sim::SimGuitar& g) { g.setIdleSeconds (301); });
    rig.poll();
    EXPECT_TRUE (panel.getChargingButton().getToggleState());
    EXPECT_FALSE (panel.getLiveButton().getToggleState());
    EXPECT_EQ (panel.getExplanation(), chargingText + "To stop charging, strum the guitar or click on Live Mode or Hex Mode.");
    EXPECT_EQ (panel.getLiveButton().findColour (juce::TextButton::buttonColourId), on.withAlpha (0.35f));
    EXPECT_EQ (panel.getHexButton().findColour (juce::TextButton::buttonColourId),
               juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::TextButton::buttonColourId));
    EXPECT_EQ (panel.getChargingButton().findColour (juce::TextButton::buttonOnColourId), juce::Colour (0, 0, 255));

    // Charging the user asked for: no strumming, the colours as they are.
    rig.clickAndWait (panel.getChargingButton());
    EXPECT_TRUE (panel.isChargingNow());
    EXPECT_EQ (panel.getExplanation(), "");
    rig.nowMs += 1000;
    ASSERT_TRUE (rig.pollUntil ([&] { return panel.getExplanation().isNotEmpty(); }));
    EXPECT_EQ (panel.getExplanation(), chargingText + "To stop charging, click on Live Mode or Hex Mode.");
    EXPECT_EQ (panel.getChargingButton().findColour (juce::TextButton::buttonOnColourId), on);
    EXPECT_EQ (panel.getLiveButton().findColour (juce::TextButton::buttonColourId),
               juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::TextButton::buttonColourId));
}

TEST (GuitarMode, AModeClickShowsOnlyWhatTheDeviceReportsASecondLater)
{
    GuitarRig rig;
    auto& panel = rig.panel;
    rig.showGuitar();
    ASSERT_EQ (panel.getExplanation(), liveText + autoText + dvxText);

    rig.clickAndWait (panel.getHexButton());
    EXPECT_EQ (panel.getExplanation(), "");
    EXPECT_TRUE (rig.state().testFlags (hexFlag));
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().guitarControl() == 2; }));

    // The guitar switches a moment later, but the click is not a second old.
    ASSERT_TRUE (pumpUntil ([&] { return (bool) labGuitar (rig.device())["hexMode"]; }));
    rig.nowMs += 999;
    rig.poll();
    EXPECT_EQ (panel.getExplanation(), "");

    rig.nowMs += 1;
    rig.poll();
    EXPECT_TRUE (panel.getHexButton().getToggleState());
    EXPECT_FALSE (panel.getLiveButton().getToggleState());
    EXPECT_EQ (panel.getExplanation(), hexText + autoText + dvxText);

    // The device is the judge: switched back to live at the guitar, the panel follows.
    atTheGuitar (rig.device(), [] (sim::SimGuitar& g) { g.setMode (false); });
    rig.poll();
    EXPECT_TRUE (panel.getLiveButton().getToggleState());
    EXPECT_FALSE (rig.state().testFlags (hexFlag));
}

TEST (GuitarMode, ClickingTheModeItIsInSendsNothing)
{
    GuitarRig rig ({}, false); // the thread stays idle: what is queued stays visible
    auto& panel = rig.panel;
    rig.showGuitar();
    const auto before = panel.getExplanation();

    rig.clickAndWait (panel.getLiveButton());
    EXPECT_FALSE (rig.rig.thread->isQueuedForSet (panel));
    EXPECT_EQ (panel.getExplanation(), before);

    rig.clickAndWait (panel.getHexButton());
    EXPECT_TRUE (rig.rig.thread->isQueuedForSet (panel));
}

TEST (GuitarMode, LiveWhileChargingStopsChargingThenSetsLiveMode)
{
    GuitarRig rig;
    auto& panel = rig.panel;
    rig.showGuitar();
    atTheGuitar (rig.device(), [] (sim::SimGuitar& g) { g.setIdleSeconds (301); });
    rig.poll();
    ASSERT_TRUE (panel.getChargingButton().getToggleState());

    takeLoggedRequests (rig.device());
    rig.clickAndWait (panel.getLiveButton());
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().requestCount ("10/6") > 0; }));

    std::vector<std::string> sent;
    for (const auto& r : takeLoggedRequests (rig.device()))
    {
        if (r.isCommand (10, 7))
            sent.push_back ("state " + std::to_string (r.param (0)) + " " + std::to_string (r.param (1)) + " "
                            + std::to_string (r.param (2)));
        else if (r.isCommand (10, 6))
            sent.push_back ("control " + std::to_string (r.param (0)));
    }
    EXPECT_EQ (sent, (std::vector<std::string> { "state 0 1 300", "control 0" }));
    EXPECT_FALSE ((bool) labGuitar (rig.device())["charging"]);
}

TEST (GuitarMode, AClickWhileTheGuitarIsReadWinsOverTheAnswer)
{
    GuitarRig rig;
    auto& panel = rig.panel;
    ASSERT_EQ (rig.rig.lab.device->setGuitarState (true, true, 300), 0);
    rig.showGuitar();
    ASSERT_TRUE (panel.getChargingButton().getToggleState());

    // The next read of the guitar waits at the device until the test has clicked.
    std::atomic<bool> armed { true }, reading { false };
    juce::WaitableEvent clicked;
    rig.rig.lab.hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[packetCategory] == 10 && in[packetCommand] == 8
            && armed.exchange (false))
        {
            reading = true;
            clicked.wait (5000);
        }
    };
    rig.rig.thread->queueGet (panel);
    ASSERT_TRUE (pumpUntil ([&] { return reading.load(); }));

    rig.clickAndWait (panel.getLiveButton()); // stop charging
    clicked.signal();

    // The device still said "charging" to the read; the click is what reaches it.
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().requestCount ("10/6") > 0; }));
    EXPECT_FALSE (panel.isChargingNow());
    EXPECT_FALSE ((bool) labGuitar (rig.device())["chargingNow"]);
}

TEST (GuitarMode, NeverKeepsTheDelayAndFiveMinutesStoresIt)
{
    GuitarRig rig ([] (sim::SimDevice&, Device& device) { ASSERT_EQ (device.setGuitarState (false, true, 120), 0); });
    auto& combo = rig.panel.getChargeCombo();
    ASSERT_TRUE (pumpUntil ([&] { return rig.state().guitarSetting() == 120; }));

    combo.setSelectedId (GuitarInputMode::comboNever, juce::sendNotificationSync);
    EXPECT_FALSE (rig.state().guitarEnabled());
    EXPECT_EQ (rig.state().guitarSetting(), 120u);
    ASSERT_TRUE (pumpUntil ([&] { return ! (bool) labGuitar (rig.device())["autoCharge"]; }));
    EXPECT_EQ ((int) labGuitar (rig.device())["delay"], 120);

    combo.setSelectedId (GuitarInputMode::comboAfterFiveMinutes, juce::sendNotificationSync);
    EXPECT_TRUE (rig.state().guitarEnabled());
    EXPECT_EQ (rig.state().guitarSetting(), 300u);
    ASSERT_TRUE (pumpUntil ([&] { return (int) labGuitar (rig.device())["delay"] == 300; }));
    EXPECT_TRUE ((bool) labGuitar (rig.device())["autoCharge"]);
}

TEST (GuitarMode, ResetGivesFiveMinutesAndLiveMode)
{
    GuitarRig rig ([] (sim::SimDevice&, Device& device) {
        ASSERT_EQ (device.setGuitarState (false, false, 120), 0);
        ASSERT_EQ (device.setGuitarControl (2), 0);
    });
    ASSERT_TRUE (pumpUntil ([&] { return rig.state().guitarSetting() == 120; }));
    ASSERT_TRUE (rig.pollUntil ([&] { return rig.panel.getHexButton().getToggleState(); }));
    ASSERT_TRUE (rig.state().testFlags (hexFlag));

    SessionHost::resetAndQueueAll (rig.firstControl);
    EXPECT_TRUE (rig.state().guitarEnabled());
    EXPECT_EQ (rig.state().guitarSetting(), 300u);
    EXPECT_FALSE (rig.state().testFlags (hexFlag));
    EXPECT_EQ (rig.panel.getChargeCombo().getSelectedId(), GuitarInputMode::comboAfterFiveMinutes);

    ASSERT_TRUE (pumpUntil ([&] { return rig.device().guitarControl() == 0; }));
    const auto guitar = labGuitar (rig.device());
    EXPECT_TRUE ((bool) guitar["autoCharge"]);
    EXPECT_EQ ((int) guitar["delay"], 300);
    rig.poll();
    EXPECT_TRUE (rig.panel.getLiveButton().getToggleState());
}

} // namespace
} // namespace arx::test
