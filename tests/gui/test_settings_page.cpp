// The settings page on devices of the in-process lab, in both OS behaviours.

#include "console/ConsoleState.h"
#include "guitar/GuitarInputMode.h"
#include "settings/BufferSize.h"
#include "settings/ClockSource.h"
#include "settings/SampleRateLock.h"
#include "settings/SampleRate.h"
#include "settings/SampleRateDisplay.h"
#include "settings/SpdifFormat.h"
#include "settings_test_support.h"

#include <algorithm>

namespace arx::test
{
namespace
{

constexpr uint32_t spdifFlag = SessionImage::flagSpdifFormat;

TEST (SettingsPage, RateButtonsOfA44To96DeviceStandInTwoRows)
{
    const auto options = withHwinfo ([] (sim::SimProfile& p) {
        p.minSampleRate = 44100;
        p.maxSampleRate = 96000;
    });

    for (const bool vista : { false, true })
    {
        SettingsRig rig (vista, options);
        auto& rates = rig.page->getSampleRate();
        ASSERT_EQ (rates.rateCount(), 4) << vista;

        const char* texts[] = { "44.1 kHz", "48 kHz", "88.2 kHz", "96 kHz" };
        const juce::Point<int> places[] = { { 14, 25 }, { 106, 25 }, { 14, 53 }, { 106, 53 } };
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ (rates.buttonAt (i).getButtonText(), texts[i]);
            EXPECT_EQ (rates.buttonAt (i).getBounds(), juce::Rectangle<int> (80, 22).withPosition (places[i]));
            EXPECT_EQ (rates.buttonAt (i).getRadioGroupId(), SampleRate::radioGroup);
        }

        EXPECT_EQ (rates.getWidth(), 200);
        if (vista)
        {
            EXPECT_EQ (rates.getText(), "Core Audio sample rate");
            EXPECT_EQ (rates.getHeight(), 2 * 28 + 40);
            EXPECT_EQ (rates.getLock(), nullptr);
            ASSERT_NE (rig.page->getSampleRateDisplay(), nullptr);
            EXPECT_LT (rig.page->getSampleRateDisplay()->getBottom(), rates.getY());
        }
        else
        {
            EXPECT_EQ (rates.getText(), "Sample rate");
            EXPECT_EQ (rates.getHeight(), 2 * 28 + 40 + 28);
            ASSERT_NE (rates.getLock(), nullptr);
            EXPECT_EQ (rates.getLock()->getBounds(), juce::Rectangle<int> (60, 53 + 22 + 12, 80, 22));
            EXPECT_EQ (rig.page->getSampleRateDisplay(), nullptr);
        }
    }

    EXPECT_EQ (SampleRateBase::rateText (176400), "176.4 kHz");
    EXPECT_EQ (SampleRateBase::rateText (192000), "192 kHz");
}

TEST (SettingsPage, ControlsFollowTheDeviceAndStandInTheirColumns)
{
    {
        SettingsRig rig (false);
        auto& page = *rig.page;
        EXPECT_EQ (page.getName(), "dx settings");
        EXPECT_TRUE (page.isOpaque());
        ASSERT_NE (page.getClockSource(), nullptr);
        ASSERT_NE (page.getSpdifFormat(), nullptr);

        // Internal, FireWire and S/PDIF, two to a row.
        auto& clock = *page.getClockSource();
        EXPECT_EQ (clock.buttonFor (0)->getBounds(), juce::Rectangle<int> (18, 25, 80, 24));
        EXPECT_EQ (clock.buttonFor (1)->getBounds(), juce::Rectangle<int> (102, 25, 80, 24));
        EXPECT_EQ (clock.buttonFor (3)->getBounds(), juce::Rectangle<int> (18, 53, 80, 24));
        EXPECT_EQ (clock.buttonFor (2), nullptr);
        EXPECT_EQ (clock.getHeight(), 2 * 26 + 40);

        // Left column: rate and clock; right column: S/PDIF and buffer size.
        const int half = page.getWidth() / 2;
        EXPECT_EQ (page.getSampleRate().getBounds().getCentreX(), half / 2);
        EXPECT_EQ (page.getSampleRate().getY(), 16);
        EXPECT_EQ (clock.getY(), page.getSampleRate().getBottom() + 12);
        EXPECT_EQ (page.getSpdifFormat()->getBounds().getCentreX(), half + half / 2);
        EXPECT_EQ (page.getSpdifFormat()->getY(), 16);
        EXPECT_EQ (page.getBufferSize().getY(), page.getSpdifFormat()->getBottom() + 12);

        auto& about = page.getAboutButton();
        EXPECT_EQ (about.getBounds(), juce::Rectangle<int> ((page.getWidth() - 80) / 2, page.getHeight() - 42, 80, 22));
        EXPECT_FALSE (about.getClickingTogglesState());
        // The guitar panel stays clear of the About button and of the left column.
        const auto guitar = page.getGuitarPanel().getBounds();
        EXPECT_LE (guitar.getBottom(), about.getY());
        EXPECT_FALSE (guitar.intersects (clock.getBounds()));
        EXPECT_FALSE (page.getGuitarPanel().isVisible());

        int aboutClicks = 0;
        page.setAboutHandler ([&] { ++aboutClicks; });
        rig.clickAndWait (about);
        EXPECT_EQ (aboutClicks, 1);
        EXPECT_FALSE (about.getToggleState());
    }

    // Only the built-in clocks and no S/PDIF output: neither group.
    SettingsRig rig (true, withHwinfo ([] (sim::SimProfile& p) {
                         p.clockMask = 0x43;
                         p.outputGroups = { { 0, 2 }, { 5, 2 } };
                     }));
    EXPECT_EQ (rig.page->getClockSource(), nullptr);
    EXPECT_EQ (rig.page->getSpdifFormat(), nullptr);
    EXPECT_EQ (rig.page->getBufferSize().getY(), 16);
}

// A device that answers "time-out" to the next `count` commands, or to a `share` of them.
std::function<void (sim::SimDevice&, Device&)> timingOut (int count, double share)
{
    return [count, share] (sim::SimDevice& device, Device&) {
        sim::SimFaults f;
        f.ntStatus = platform::STATUS_TIMEOUT;
        f.ntStatusCount = count;
        f.ntStatusShare = share;
        device.addFault (f);
    };
}

TEST (SettingsPage, TheDeviceFlagIsSetAtBuildEvenWhileTheDeviceTimesOut)
{
    SettingsRig rig (false, {}, timingOut (3, 0.0));
    // The page's first command is the flag: it meets the three time-outs and goes on.
    ASSERT_TRUE (pumpUntil ([&] { return (rig.device().mixer().flags & 1) != 0; }));
    EXPECT_EQ (rig.device().requestCount ("3/3"), 4);
}

TEST (SettingsPage, TheDeviceFlagGivesUpWhenTheDeviceKeepsTimingOut)
{
    SettingsRig rig (false, {}, timingOut (0, 1.0));

    // Two seconds of repeats, then no more: the thread moves on to the other controls' reads,
    // which it serves only once the flag is done with.
    std::vector<LoggedRequest> requests;
    const auto flagIsDone = [&] {
        for (auto& r : takeLoggedRequests (rig.device()))
            requests.push_back (r);
        const auto isFlag = [] (const LoggedRequest& r) { return r.isCommand (3, 3); };
        const auto firstFlag = std::find_if (requests.begin(), requests.end(), isFlag);
        return firstFlag != requests.end() && std::find_if_not (firstFlag, requests.end(), isFlag) != requests.end();
    };
    ASSERT_TRUE (pumpUntil (flagIsDone, 20000));
    const int count = rig.device().requestCount ("3/3");
    EXPECT_GT (count, 1);

    rig.device().setFaults ({});
    // The reads get through: the rate read from the device shows.
    ASSERT_TRUE (pumpUntil ([&] { return rig.page->getSampleRate().buttonAt (2).getToggleState(); }));
    EXPECT_EQ (rig.device().requestCount ("3/3"), count);
    EXPECT_EQ (rig.device().mixer().flags & 1, 0u);
}

TEST (SettingsPage, ChoosingARateOnVistaPausesThePageForTwoSeconds)
{
    SettingsRig rig (true);
    auto& page = *rig.page;
    auto& rates = page.getSampleRate();
    const auto& shown = rig.page->getSampleRateDisplay()->getLabel();
    ASSERT_TRUE (rig.pollUntil ([&] { return rig.state().chosenSampleRate() == 48000 && shown.getText() == "48 kHz"; }));
    EXPECT_TRUE (rates.buttonAt (2).getToggleState()); // 48 kHz, as the driver runs

    rig.clickAndWait (rates.buttonAt (4)); // 96 kHz
    EXPECT_FALSE (page.isEnabled());
    EXPECT_TRUE (page.isTimerRunning());
    EXPECT_EQ (page.getTimerInterval(), 2000);
    EXPECT_EQ (rig.state().chosenSampleRate(), 96000u);

    // The driver takes the rate; the device's own rate is shown as it follows.
    ASSERT_TRUE (rig.pollUntil ([&] { return shown.getText() == "96 kHz"; }));
    EXPECT_EQ (rig.device().requestCount ("16"), 1);
    EXPECT_EQ (rig.state().image().sampleRate, 96000u);

    page.timerCallback();
    EXPECT_TRUE (page.isEnabled());
    EXPECT_FALSE (page.isTimerRunning());
}

TEST (SettingsPage, BeforeVistaALockedRateIsUnlockedSetAndLockedAgain)
{
    SettingsRig rig (false, {}, [] (sim::SimDevice&, Device& device) { ASSERT_EQ (device.setRateLock (true), 0); });
    auto& rates = rig.page->getSampleRate();
    auto& lock = *rates.getLock();
    ASSERT_TRUE (pumpUntil ([&] { return lock.getToggleState(); })); // read from the driver

    takeLoggedRequests (rig.device());
    rig.clickAndWait (rates.buttonAt (1)); // 44.1 kHz
    EXPECT_TRUE (rig.page->isEnabled());    // no pause before Vista
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().mixer().sampleRate == 44100 && ! rates.isChangePending(); }));
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().rateLock(); }));

    std::vector<std::string> order;
    for (const auto& r : takeLoggedRequests (rig.device()))
    {
        if (r.isDriver (10))
            order.push_back ("lock " + std::to_string (r.words[4]) + " " + std::to_string (int32_t (r.words[3])));
        else if (r.isCommand (3, 0))
            order.push_back ("clock " + std::to_string (int32_t (r.param (0))) + " " + std::to_string (r.param (1)));
    }
    EXPECT_EQ (order, (std::vector<std::string> { "lock 0 -2", "clock -1 44100", "lock 1 0" }));

    // Unlocked: the rate alone.
    rig.clickAndWait (lock);
    ASSERT_TRUE (pumpUntil ([&] { return ! rig.device().rateLock(); }));
    takeLoggedRequests (rig.device());
    rig.clickAndWait (rates.buttonAt (4)); // 96 kHz
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().mixer().sampleRate == 96000; }));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    for (const auto& r : takeLoggedRequests (rig.device()))
        EXPECT_FALSE (r.isDriver (10));
}

TEST (SettingsPage, AClockSourceThatLosesItsSignalIsGreyed)
{
    SettingsRig rig (false);
    auto& clock = *rig.page->getClockSource();
    auto* internal = clock.buttonFor (0);
    auto* fireWire = clock.buttonFor (1);
    auto* spdif = clock.buttonFor (3);

    const auto loseSignal = [&] (uint32_t sources) {
        sim::SimFaults f;
        f.signalLost = sources;
        rig.device().setFaults (f);
        rig.poll();
    };

    rig.poll();
    EXPECT_TRUE (internal->isEnabled());
    EXPECT_TRUE (fireWire->isEnabled());
    EXPECT_TRUE (spdif->isEnabled());

    loseSignal (1u << 3);
    EXPECT_TRUE (internal->isEnabled());
    EXPECT_TRUE (fireWire->isEnabled());
    EXPECT_FALSE (spdif->isEnabled());

    loseSignal (0);
    EXPECT_TRUE (spdif->isEnabled());

    // No signal anywhere: only "Internal" stays.
    loseSignal ((1u << 1) | (1u << 3));
    EXPECT_TRUE (internal->isEnabled());
    EXPECT_FALSE (fireWire->isEnabled());
    EXPECT_FALSE (spdif->isEnabled());
}

TEST (SettingsPage, ClickedClockAndFormatReachTheDevice)
{
    SettingsRig rig (false);
    auto& clock = *rig.page->getClockSource();
    auto& spdif = *rig.page->getSpdifFormat();
    EXPECT_TRUE (clock.buttonFor (0)->getToggleState()); // the state read from the device
    EXPECT_TRUE (spdif.getConsumerButton().getToggleState());

    rig.clickAndWait (*clock.buttonFor (3));
    rig.clickAndWait (spdif.getProfessionalButton());
    ASSERT_TRUE (pumpUntil ([&] {
        const auto m = rig.device().mixer();
        return m.clockSource == 3 && (m.flags & spdifFlag) != 0;
    }));
    EXPECT_EQ (rig.state().image().clockSource, 3u);
    EXPECT_TRUE (rig.state().testFlags (spdifFlag));
    EXPECT_EQ (rig.device().mixer().sampleRate, 48000u); // the source alone changed
}

TEST (SettingsPage, ResetSetsConsumerAndLeavesClockAndRateAlone)
{
    SettingsRig rig (false);
    auto& spdif = *rig.page->getSpdifFormat();
    auto& rates = rig.page->getSampleRate();
    rig.clickAndWait (*rig.page->getClockSource()->buttonFor (1));
    rig.clickAndWait (rates.buttonAt (4)); // 96 kHz
    rig.clickAndWait (spdif.getProfessionalButton());
    ASSERT_TRUE (pumpUntil ([&] {
        const auto m = rig.device().mixer();
        return m.clockSource == 1 && m.sampleRate == 96000 && (m.flags & spdifFlag) != 0;
    }));

    // What the reset button does with the controls.
    SessionHost::resetAndQueueAll (rig.firstControl);
    EXPECT_TRUE (spdif.getConsumerButton().getToggleState());
    EXPECT_FALSE (spdif.getProfessionalButton().getToggleState());
    ASSERT_TRUE (pumpUntil ([&] { return (rig.device().mixer().flags & spdifFlag) == 0; }));

    juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    const auto m = rig.device().mixer();
    EXPECT_EQ (m.clockSource, 1u);
    EXPECT_EQ (m.sampleRate, 96000u);
    EXPECT_TRUE (rates.buttonAt (4).getToggleState());
    EXPECT_TRUE (rig.page->getClockSource()->buttonFor (1)->getToggleState());
}

TEST (SettingsPage, AfterALoadClockRateAndFormatFollowTheSession)
{
    SettingsRig rig (false);
    rig.state().image().clockSource = 3;
    rig.state().image().sampleRate = 88200;
    rig.state().setFlags (spdifFlag);

    // What a session load does with the controls.
    SessionHost::refreshAndQueueAll (rig.firstControl, rig.state());
    EXPECT_TRUE (rig.page->getClockSource()->buttonFor (3)->getToggleState());
    EXPECT_TRUE (rig.page->getSampleRate().buttonAt (3).getToggleState()); // 88.2 kHz
    EXPECT_TRUE (rig.page->getSpdifFormat()->getProfessionalButton().getToggleState());
    ASSERT_TRUE (pumpUntil ([&] {
        const auto m = rig.device().mixer();
        return m.clockSource == 3 && m.sampleRate == 88200 && (m.flags & spdifFlag) != 0;
    }));

    // A rate the device does not offer is not shown.
    rig.state().image().sampleRate = 8000;
    SessionHost::refreshAndQueueAll (rig.firstControl, rig.state());
    EXPECT_TRUE (rig.page->getSampleRate().buttonAt (3).getToggleState());
}

TEST (SettingsPage, BeforeVistaTheRateFollowsTheDriverUnlessAChangeIsOnItsWay)
{
    SettingsRig rig (false);
    auto& rates = rig.page->getSampleRate();
    ASSERT_TRUE (rig.pollUntil ([&] { return rates.buttonAt (2).getToggleState(); })); // 48 kHz

    // Another program moved the device's rate.
    ASSERT_EQ (rig.rig.lab.device->setClock (-1, 176400), 0);
    ASSERT_TRUE (rig.pollUntil ([&] { return rates.buttonAt (5).getToggleState(); }));
    EXPECT_EQ (rig.state().image().sampleRate, 176400u);
}

TEST (SettingsPage, ARateTheDeviceDoesNotOfferIsNeverSent)
{
    for (const bool vista : { true, false })
    {
        SCOPED_TRACE (vista ? "Vista" : "before Vista");
        SettingsRig rig (vista, {}, {}, false);

        // The rate cannot be read (the driver's on Vista, the device's before), and before Vista
        // a session read that stopped part-way left none in the state either.
        auto* lab = &rig.device();
        rig.rig.lab.hook.before = [lab, vista] (uint32_t code, const uint32_t* in) {
            if (vista ? code == platform::IOCTL_ARX_DRIVER_REQUEST && in[2] == 15 : isPacket (code, in, 3, 1))
            {
                sim::SimFaults fail;
                fail.failCount = 1;
                lab->addFault (fail);
            }
        };
        rig.state().image().sampleRate = 0;
        rig.rig.start();
        auto& box = rig.page->getBufferSize();
        ASSERT_TRUE (pumpUntil ([&] { return box.getSamples() == 256; })); // read after the rate
        ASSERT_EQ (vista ? rig.state().chosenSampleRate() : rig.state().image().sampleRate, 0u);

        // A reset right after: every control is queued for set; a read queued behind them
        // comes once they are served.
        takeLoggedRequests (rig.device());
        SessionHost::resetAndQueueAll (rig.firstControl);
        rig.rig.thread->queueGet (box);
        std::vector<LoggedRequest> requests;
        ASSERT_TRUE (pumpUntil ([&] {
            for (auto& r : takeLoggedRequests (rig.device()))
                requests.push_back (r);
            return ! requests.empty() && requests.back().isDriver (3);
        }));
        for (const auto& r : requests)
        {
            EXPECT_FALSE (r.isDriver (16)) << "driver rate " << r.words[3];
            EXPECT_FALSE (r.isCommand (3, 0) && r.param (0) == 0xFFFFFFFFu) << "clock rate " << r.param (1);
        }
    }
}

} // namespace
} // namespace arx::test
