// The system volume link of both OS generations against the in-process lab's endpoints and
// legacy mixers: where a playback change goes, which changes are announced, and that nothing
// registered or opened outlives the device.

#include "test_console_fixture.h"

#include "device/DeviceList.h"
#include "device/GainCode.h"
#include "device/NotificationWindow.h"
#include "sim/SimEndpoints.h"
#include "sysvolume/LegacyMixerVolumeLink.h"
#include "sysvolume/EndpointVolumeLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace arx::test
{
namespace
{

class ChangeCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

class SystemVolumeTest : public ::testing::Test
{
protected:
    juce::ScopedJuceInitialiser_GUI juce;
    sim::DeviceLab lab;
    sim::InProcessPlatform platform { lab };
    NotificationWindow window { platform };

    sim::SimEndpoints& system() { return lab.endpoints(); }

    Device::Ptr plugAndOpen (const juce::String& name, const juce::String& profile = "arx")
    {
        lab.plug ({ .profile = profile, .uniqueName = name });
        return LabDevice::openDevice (platform, name, &window);
    }

    EndpointVolumeLink& vista (Device& device)
    {
        auto* link = dynamic_cast<EndpointVolumeLink*> (device.systemVolume());
        EXPECT_NE (link, nullptr);
        return *link;
    }

    sim::SimMixer mixerOf (const juce::String& name) { return lab.find (name)->mixer(); }
    int commands (const juce::String& name, const char* key) { return lab.find (name)->requestCount (key); }

    // Every change so far has reached its clients and their change messages have run.
    void settle()
    {
        system().flush();
        window.windowHandle(); // legacy messages pass through the notification thread
        juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
    }

    bool waitFor (const ChangeCounter& counter, int atLeast)
    {
        for (int i = 0; i < 500 && counter.count < atLeast; ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        return counter.count >= atLeast;
    }

    float endpointLevel (const juce::String& name, int endpoint, int channel)
    {
        return (float) (double) system().describe (name)[endpoint]["volume"][channel];
    }
};

TEST_F (SystemVolumeTest, CarriedChannelsGoThroughTheirEndpointTheOthersByDeviceCommand)
{
    platform.setVistaOrLater (true);
    auto device = plugAndOpen ("ARX-1");
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (vista (*device).endpointCount(), 2); // analog and headphones; S/PDIF has none

    // Channel 1: the endpoint's second channel; the driver sets the device, no packet is sent.
    EXPECT_EQ (device->setPlaybackGain (1, -12.0f), 0);
    EXPECT_EQ (mixerOf ("ARX-1").playbackGain[1], gainToCode (-12.0f));
    EXPECT_FLOAT_EQ (endpointLevel ("ARX-1", 0, 1), -12.0f);
    EXPECT_EQ (commands ("ARX-1", "6/0"), 0);

    // Channel 4 (S/PDIF) has no endpoint: the device command.
    EXPECT_EQ (device->setPlaybackGain (4, -6.0f), 0);
    EXPECT_EQ (mixerOf ("ARX-1").playbackGain[4], gainToCode (-6.0f));
    EXPECT_EQ (commands ("ARX-1", "6/0"), 1);

    // A mute is the whole endpoint's: both headphone channels.
    EXPECT_EQ (device->setPlaybackMute (2, true), 0);
    EXPECT_EQ (mixerOf ("ARX-1").playbackMute[2], 1);
    EXPECT_EQ (mixerOf ("ARX-1").playbackMute[3], 1);
    EXPECT_EQ (commands ("ARX-1", "6/2"), 0);

    // A level below what the endpoint takes lands at its floor instead of failing for ever.
    EXPECT_EQ (device->setPlaybackGain (0, -144.0f), 0);
    EXPECT_FLOAT_EQ (endpointLevel ("ARX-1", 0, 0), sim::SimEndpoints::minLevelDb);
    float readBack = 0;
    ASSERT_EQ (device->getPlaybackGain (0, readBack), 0);
    EXPECT_NEAR (readBack, sim::SimEndpoints::minLevelDb, 0.01);
}

TEST_F (SystemVolumeTest, OwnLevelChangesAreNotAnnouncedOwnMutesAndOtherProgramsChangesAre)
{
    platform.setVistaOrLater (true);
    auto device = plugAndOpen ("ARX-1");
    ChangeCounter counter;
    device->addVolumeListener (&counter);

    ASSERT_EQ (device->setPlaybackGain (0, -20.0f), 0);
    settle();
    EXPECT_EQ (counter.count, 0);
    // The change did reach the endpoint's clients, with the console's context.
    ASSERT_FALSE (system().changeLog().empty());
    EXPECT_TRUE (system().changeLog().back().second == EndpointVolumeLink::ownEventContext);

    ASSERT_EQ (device->setPlaybackMute (0, true), 0);
    EXPECT_TRUE (waitFor (counter, 1));

    counter.count = 0;
    EXPECT_EQ (system().changeAsOtherProgram ("ARX-1", 1, -30.0f, {}), "");
    EXPECT_TRUE (waitFor (counter, 1));
    EXPECT_EQ (mixerOf ("ARX-1").playbackGain[1], gainToCode (-30.0f));

    device->removeVolumeListener (&counter);
}

TEST_F (SystemVolumeTest, AnotherDevicesEndpointsAreIgnored)
{
    platform.setVistaOrLater (true);
    lab.plug ({ .uniqueName = "ARX-2" });
    auto device = plugAndOpen ("ARX-1");
    EXPECT_EQ (vista (*device).endpointCount(), 2);
    EXPECT_EQ (system().registrationCount(), 2); // the onboard card and ARX-2 are not taken

    ChangeCounter counter;
    device->addVolumeListener (&counter);
    EXPECT_EQ (system().changeAsOtherProgram ("ARX-2", 0, -40.0f, {}), "");
    settle();
    EXPECT_EQ (counter.count, 0);

    const auto before = mixerOf ("ARX-2").playbackGain[0];
    EXPECT_EQ (device->setPlaybackGain (0, -10.0f), 0);
    EXPECT_EQ (mixerOf ("ARX-2").playbackGain[0], before);
    EXPECT_FLOAT_EQ (endpointLevel ("ARX-2", 0, 0), -40.0f);
    EXPECT_EQ (mixerOf ("ARX-1").playbackGain[0], gainToCode (-10.0f));
    device->removeVolumeListener (&counter);
}

TEST_F (SystemVolumeTest, WithoutEndpointsOrEnumeratorChangesGoByDeviceCommand)
{
    platform.setVistaOrLater (true);

    // Every endpoint of the device disabled: nothing is found, the device is set directly.
    lab.plug ({ .uniqueName = "ARX-1" });
    system().setEndpointsEnabled ("ARX-1", false);
    auto device = LabDevice::openDevice (platform, "ARX-1", &window);
    EXPECT_EQ (vista (*device).endpointCount(), 0);
    EXPECT_EQ (device->setPlaybackGain (0, -7.0f), 0);
    EXPECT_EQ (device->setPlaybackMute (1, true), 0);
    EXPECT_EQ (mixerOf ("ARX-1").playbackGain[0], gainToCode (-7.0f));
    EXPECT_EQ (mixerOf ("ARX-1").playbackMute[1], 1);
    EXPECT_EQ (commands ("ARX-1", "6/0"), 1);
    EXPECT_EQ (commands ("ARX-1", "6/2"), 1);

    // Enabled again: the next change finds the endpoints and goes through them.
    system().setEndpointsEnabled ("ARX-1", true);
    EXPECT_EQ (device->setPlaybackGain (0, -8.0f), 0);
    EXPECT_EQ (vista (*device).endpointCount(), 2);
    EXPECT_EQ (commands ("ARX-1", "6/0"), 1);
    EXPECT_FLOAT_EQ (endpointLevel ("ARX-1", 0, 0), -8.0f);

    // No audio service, so no enumerator: every change by device command.
    system().setServiceAvailable (false);
    auto second = plugAndOpen ("ARX-2");
    EXPECT_FALSE (vista (*second).hasEnumerator());
    EXPECT_EQ (second->setPlaybackGain (1, -9.0f), 0);
    EXPECT_EQ (mixerOf ("ARX-2").playbackGain[1], gainToCode (-9.0f));
    EXPECT_EQ (commands ("ARX-2", "6/0"), 1);
}

TEST_F (SystemVolumeTest, AChangeMeetingARemovedDeviceIsRepeatedOnceThenFailsByCommand)
{
    platform.setVistaOrLater (true);
    auto device = plugAndOpen ("ARX-1");
    lab.unplug ("ARX-1");

    // The endpoint has gone: the table is dropped and the hardware thread may try again ...
    EXPECT_EQ (device->setPlaybackGain (0, -5.0f), Device::resultTimeout);
    EXPECT_EQ (system().registrationCount(), 0);
    // ... which finds no endpoint and sends the command, which the absent device refuses.
    EXPECT_EQ (device->setPlaybackGain (0, -5.0f), Device::resultFailed);
}

TEST_F (SystemVolumeTest, LegacyLinkAnnouncesAControlChangeOnAnyMixerItOpened)
{
    auto first = plugAndOpen ("ARX-1");
    auto second = plugAndOpen ("ARX-2");
    auto* link = dynamic_cast<LegacyMixerVolumeLink*> (first->systemVolume());
    ASSERT_NE (link, nullptr);
    EXPECT_EQ (link->openMixerCount(), 2); // "ARX-1 out 1-2" and "ARX-1 out 3-4"
    EXPECT_EQ (system().openMixerCount ("ARX-1 out 1-2"), 1);
    EXPECT_EQ (system().openMixerCount ("ARX-1 in"), 0);
    EXPECT_EQ (system().openMixerCount ("Onboard Audio out"), 0);

    ChangeCounter firstCounter, secondCounter;
    first->addVolumeListener (&firstCounter);
    second->addVolumeListener (&secondCounter);

    // A change of ARX-2's endpoint reaches ARX-2's mixer, whose message every link hears.
    EXPECT_EQ (system().changeAsOtherProgram ("ARX-2", 0, -15.0f, {}), "");
    EXPECT_TRUE (waitFor (firstCounter, 1));
    EXPECT_TRUE (waitFor (secondCounter, 1));

    // The legacy link sets the device itself; the system's level stays.
    EXPECT_EQ (first->setPlaybackGain (0, -3.0f), 0);
    EXPECT_EQ (commands ("ARX-1", "6/0"), 1);
    EXPECT_EQ (mixerOf ("ARX-1").playbackGain[0], gainToCode (-3.0f));
    EXPECT_FLOAT_EQ (endpointLevel ("ARX-1", 0, 0), 0.0f);

    first->removeVolumeListener (&firstCounter);
    second->removeVolumeListener (&secondCounter);
}

TEST_F (SystemVolumeTest, ADeviceReleasedWhileChangesArriveLeavesNothingRegistered)
{
    lab.plug ({ .uniqueName = "ARX-1" });
    for (bool isVista : { true, false })
    {
        platform.setVistaOrLater (isVista);
        std::atomic<bool> done { false };
        std::thread otherProgram ([&] {
            for (int i = 0; ! done; ++i)
                system().changeAsOtherProgram ("ARX-1", i % 4, -1.0f * float (i % 50), i % 2 == 0);
        });
        for (int round = 0; round < 20; ++round)
        {
            ChangeCounter counter;
            auto device = LabDevice::openDevice (platform, "ARX-1", &window);
            device->addVolumeListener (&counter);
            juce::MessageManager::getInstance()->runDispatchLoopUntil (2);
            device->removeVolumeListener (&counter);
        }
        done = true;
        otherProgram.join();
        settle();
        EXPECT_EQ (system().registrationCount(), 0);
        EXPECT_EQ (system().openMixerCount(), 0);
    }
}

// A device that arrives is made on the notification thread, inside the message's dispatch:
// its legacy link registers with the window there and hears later changes.
TEST_F (SystemVolumeTest, LegacyLinkOfAnArrivingDeviceHearsItsMixers)
{
    struct Ignore : juce::MessageListener
    {
        void handleMessage (const juce::Message&) override {}
    } appListener;
    DeviceList list (platform, window, DeviceList::supportedVendor);
    list.setListener (&appListener);

    lab.plug ({ .uniqueName = "ARX-1" });
    for (int i = 0; i < 500 && list.deviceCount() == 0; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    ASSERT_EQ (list.deviceCount(), 1);

    ChangeCounter counter;
    auto device = list.device (0);
    device->addVolumeListener (&counter);
    EXPECT_EQ (system().changeAsOtherProgram ("ARX-1", 2, {}, true), "");
    EXPECT_TRUE (waitFor (counter, 1));
    device->removeVolumeListener (&counter);
}

} // namespace
} // namespace arx::test
