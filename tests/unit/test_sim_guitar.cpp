// The lab's guitar and firmware as the console meets them: status bits 29 to 31 of the meter
// poll follow the cable, the player, charging and the mode, through the lab's own commands;
// a power cycle makes the description follow the flash.

#include "sim/BusServer.h"
#include "sim/SimFirmware.h"
#include "unit/test_console_fixture.h"

#include <gtest/gtest.h>

namespace arx
{
namespace
{
constexpr uint32_t chargingBit = 1u << 29, connectedBit = 1u << 30, hexBit = 1u << 31;

// Polls until `condition` holds; the bound only keeps a broken build from hanging.
bool eventually (const std::function<bool()>& condition)
{
    const auto start = juce::Time::getMillisecondCounter();
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() - start > 5000)
            return false;
        juce::Thread::sleep (5);
    }
    return true;
}

class SimGuitarTest : public ::testing::Test
{
protected:
    SimGuitarTest() : lab (sim::PlugOptions { "arx", "Bench" }), server (lab.lab, folder.getFile()) {}

    // The guitar's three status bits as a meter poll reports them.
    uint32_t bits()
    {
        EXPECT_EQ (lab.device->pollMeters(), Device::resultOk);
        return lab.device->statusBits() & (chargingBit | connectedBit | hexBit);
    }

    juce::String command (const juce::String& line) { return server.handleControlLine (line); }

    juce::TemporaryFile folder;
    test::LabDevice lab;
    sim::BusServer server;
};

TEST_F (SimGuitarTest, StatusBitsFollowTheCableThePlayerAndCharging)
{
    ASSERT_EQ (lab.device->setGuitarState (false, true, 300), Device::resultOk);
    EXPECT_EQ (bits(), connectedBit);

    // Not played for the charge delay: it charges by itself; a strum stops that.
    EXPECT_TRUE (command ("guitar Bench idle 299").startsWith ("ok"));
    EXPECT_EQ (bits(), connectedBit);
    EXPECT_TRUE (command ("guitar Bench idle 300").startsWith ("ok"));
    EXPECT_EQ (bits(), connectedBit | chargingBit);
    EXPECT_TRUE (command ("guitar Bench strum").startsWith ("ok"));
    EXPECT_EQ (bits(), connectedBit);

    // Without automatic charging it only charges on request, and then a strum changes nothing.
    ASSERT_EQ (lab.device->setGuitarState (false, false, 300), Device::resultOk);
    command ("guitar Bench idle 10000");
    EXPECT_EQ (bits(), connectedBit);
    ASSERT_EQ (lab.device->setGuitarState (true, false, 300), Device::resultOk);
    command ("guitar Bench strum");
    EXPECT_EQ (bits(), connectedBit | chargingBit);
    bool charging = false, automatic = true;
    uint32_t delay = 0;
    ASSERT_EQ (lab.device->getGuitarState (charging, automatic, delay), Device::resultOk);
    EXPECT_TRUE (charging);
    EXPECT_FALSE (automatic);
    EXPECT_EQ (delay, 300u);
    EXPECT_TRUE (command ("guitar Bench charge off").startsWith ("ok"));
    EXPECT_EQ (bits(), connectedBit);

    // Unplugged, the guitar reports nothing and takes no text.
    EXPECT_TRUE (command ("guitar Bench disconnect").startsWith ("ok"));
    EXPECT_EQ (bits(), 0u);
    bool accepted = true;
    const uint8_t text[] = { ':', 'X', '\n' };
    EXPECT_EQ (lab.device->guitarSend (text, 3, accepted), Device::resultOk);
    EXPECT_FALSE (accepted);
    command ("guitar Bench connect");
    EXPECT_EQ (bits(), connectedBit);

    EXPECT_TRUE (command ("guitar Bench idle soon").startsWith ("error"));
    EXPECT_TRUE (command ("guitar Nobody strum").startsWith ("error"));
}

TEST_F (SimGuitarTest, HexModeFollowsTheDeviceCommandAfterAMomentAndTheDvxAtOnce)
{
    ASSERT_EQ (lab.device->setGuitarControl (2), Device::resultOk);
    EXPECT_TRUE (eventually ([&] { return (bits() & hexBit) != 0; }));
    ASSERT_EQ (lab.device->setGuitarControl (0), Device::resultOk);
    EXPECT_EQ (bits() & hexBit, 0u);

    command ("guitar Bench mode hex");
    EXPECT_EQ (bits(), connectedBit | hexBit);
    command ("guitar Bench mode live");
    EXPECT_EQ (bits(), connectedBit);

    // A guitar with the fault never gets there.
    EXPECT_TRUE (command ("guitar Bench fault undetectable on silence 2").startsWith ("ok"));
    command ("guitar Bench mode hex");
    EXPECT_EQ (bits(), connectedBit);
    const auto faults = lab.sim->dump()["guitar"]["faults"];
    EXPECT_EQ ((int) faults["silentReplies"], 2);
    EXPECT_TRUE (command ("guitar Bench fault clear").startsWith ("ok"));
    EXPECT_EQ (bits(), connectedBit | hexBit);
    EXPECT_TRUE (command ("guitar Bench fault bad-crc").startsWith ("error"));
}

TEST_F (SimGuitarTest, APowerCycleReadsTheVersionsFromTheImagesInFlash)
{
    auto& device = *lab.sim;
    auto firmware = device.dump()["firmware"];
    EXPECT_EQ (firmware["description"]["arm"].toString(), "0x05020000");
    EXPECT_EQ (firmware["inFlash"]["arxfpga"].toString(), "0x05020000");

    // An image whose end mark is gone leaves the device on backup code.
    const auto* arm = sim::SimFirmware::findImage ("arxarm");
    ASSERT_NE (arm, nullptr);
    ASSERT_EQ (lab.device->flashErase (arm->address), Device::resultOk);
    EXPECT_TRUE (command ("power-cycle Bench").startsWith ("ok"));
    auto* cycled = lab.lab.find ("Bench");
    ASSERT_NE (cycled, nullptr);
    firmware = cycled->dump()["firmware"];
    EXPECT_EQ (firmware["description"]["arm"].toString(), "0x0500000e");
    EXPECT_EQ (firmware["description"]["fpga"].toString(), "0x05020000");
    EXPECT_EQ (cycled->hwinfoValue()->getSize(), sim::SimProfiles::hwinfoSize);
    EXPECT_TRUE (command ("power-cycle Nobody").startsWith ("error"));
}

} // namespace
} // namespace arx
