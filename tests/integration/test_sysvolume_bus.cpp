// The system volume link over the device bus: a separately started arx-devsim serves the
// system's audio side on its audio socket, and its endpoint command changes a level or mute as
// another program would.

#include "integration/bus_test_fixture.h"

#include "device/GainCode.h"
#include "device/NotificationWindow.h"
#include "device/Device.h"
#include "sysvolume/EndpointVolumeLink.h"

#include <gtest/gtest.h>

namespace arx::bustest
{
namespace
{

class BusOfGeneration : public DeviceBusPlatform
{
public:
    BusOfGeneration (const juce::File& directory, bool isVista) : DeviceBusPlatform (directory), vista (isVista) {}
    bool isVistaOrLater() const override { return vista; }

private:
    bool vista;
};

class ChangeCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

struct SystemVolumeBusTest : BusTest
{
    juce::ScopedJuceInitialiser_GUI juce;

    static Device::Ptr open (Platform& bus, const juce::String& path, NotificationWindow& window)
    {
        auto set = bus.getClassDevs (ARX_INTERFACE_CLASS);
        DeviceInterfaceData data;
        for (int i = 0; set->enumDeviceInterface (i, data); ++i)
            if (data.devicePath == path)
                if (Device::Ptr device = new Device (bus, *set, data, &window); device->open())
                    return device;
        return {};
    }

    static bool waitFor (const ChangeCounter& counter)
    {
        for (int i = 0; i < 500 && counter.count == 0; ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        return counter.count > 0;
    }

    uint32_t playbackGainCode (int channel) { return (uint32_t) (juce::int64) dump ("ARX-1")["mixer"]["playbackGain"][channel]; }
};

TEST_F (SystemVolumeBusTest, AChangeFromAnotherProgramReachesTheDeviceAndIsAnnouncedInBothGenerations)
{
    startDaemon ({ "arx:ARX-1" });
    for (bool isVista : { true, false })
    {
        SCOPED_TRACE (isVista ? "endpoint link" : "legacy mixer link");
        BusOfGeneration bus (dir, isVista);
        NotificationWindow window (bus);
        auto device = open (bus, path ("ARX-1"), window);
        ASSERT_NE (device, nullptr);
        ChangeCounter counter;
        device->addVolumeListener (&counter);

        const float level = isVista ? -12.5f : -20.0f;
        const auto [rc, out] = cli ({ "endpoint", "ARX-1", "--channel", "1", "--volume", juce::String (level, 1) });
        ASSERT_EQ (rc, 0) << out;
        EXPECT_TRUE (waitFor (counter));
        EXPECT_EQ (playbackGainCode (1), gainToCode (level));
        EXPECT_EQ ((double) dump ("ARX-1")["endpoints"][0]["volume"][1], level);

        device->removeVolumeListener (&counter);
    }
    EXPECT_NE (cli ({ "endpoint", "ARX-1", "--channel", "4", "--volume", "-3" }).first, 0); // S/PDIF: no endpoint
    EXPECT_NE (cli ({ "endpoint", "ARX-1", "--channel", "0", "--volume", "6" }).first, 0);  // above the range
    EXPECT_EQ (cli ({ "endpoint", "ARX-1", "--channel", "0" }).first, 2);
}

TEST_F (SystemVolumeBusTest, TheConsolesLevelsGoThroughTheEndpointWhereOneCarriesTheChannel)
{
    startDaemon ({ "arx:ARX-1", "arx:ARX-2" });
    BusOfGeneration bus (dir, true);
    NotificationWindow window (bus);
    auto device = open (bus, path ("ARX-1"), window);
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (dynamic_cast<EndpointVolumeLink&> (*device->systemVolume()).endpointCount(), 2);

    ASSERT_EQ (device->setPlaybackGain (1, -9.0f), 0);
    ASSERT_EQ (device->setPlaybackMute (0, true), 0);
    auto state = dump ("ARX-1");
    EXPECT_EQ ((double) state["endpoints"][0]["volume"][1], -9.0);
    EXPECT_TRUE ((bool) state["endpoints"][0]["mute"]);
    EXPECT_EQ ((int) state["mixer"]["playbackMute"][1], 1);
    EXPECT_TRUE (state["requests"]["gwc"]["6/0"].isVoid());

    ASSERT_EQ (device->setPlaybackGain (4, -4.0f), 0);
    EXPECT_EQ ((int) dump ("ARX-1")["requests"]["gwc"]["6/0"], 1);
    EXPECT_EQ (playbackGainCode (4), gainToCode (-4.0f));
    EXPECT_EQ ((double) dump ("ARX-2")["endpoints"][0]["volume"][1], 0.0);
}

// The system's audio service goes away under a live link (here with the devices: one daemon).
TEST_F (SystemVolumeBusTest, ALinkWhoseServiceWentFallsBackInsteadOfWaiting)
{
    startDaemon ({ "arx:ARX-1" });
    BusOfGeneration bus (dir, true);
    NotificationWindow window (bus);
    auto device = open (bus, path ("ARX-1"), window);
    ASSERT_NE (device, nullptr);
    ASSERT_EQ (dynamic_cast<EndpointVolumeLink&> (*device->systemVolume()).endpointCount(), 2);

    ::kill (daemon, SIGTERM);
    int status = 0;
    ::waitpid (daemon, &status, 0);
    daemon = -1;

    EXPECT_EQ (device->setPlaybackGain (0, -6.0f), Device::resultTimeout); // the endpoint failed: dropped
    EXPECT_EQ (device->setPlaybackGain (0, -6.0f), Device::resultFailed);  // none found, the command fails
    EXPECT_EQ (dynamic_cast<EndpointVolumeLink&> (*device->systemVolume()).endpointCount(), 0);
}

} // namespace
} // namespace arx::bustest
