// The guitar update against the lab's guitar: the firmware file's checks, the loader's CRC and
// packets, and whole exchanges with a guitar that answers, refuses, finds bad CRCs, goes
// silent or is never found.

#include "guitar/GuitarFirmwareData.h"
#include "guitar/GuitarPacket.h"
#include "guitar/GuitarUpdateExchange.h"
#include "unit/test_console_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>

namespace arx
{
namespace
{
using test::LabDevice;

class RecordedSteps : public GuitarUpdateProgress
{
public:
    void setStatus (const juce::String& text) override { statuses.add (text); }
    void setProgress (double value) override { progress.push_back (value); }
    bool shouldExit() override { return false; }

    juce::StringArray statuses;
    std::vector<double> progress;
};

// Parses a firmware file's bytes; the error text, empty when it parsed.
juce::String problemWith (const juce::MemoryBlock& file)
{
    bool ok = false;
    juce::String error;
    GuitarFirmwareData data (file.getData(), file.getSize(), ok, error);
    EXPECT_EQ (ok, error.isEmpty());
    return error;
}

TEST (GuitarPacket, CrcOfAbcAndItsAgreementWithTheLabsLoader)
{
    EXPECT_EQ (GuitarPacket::crc (reinterpret_cast<const uint8_t*> ("abc"), 3), 0x9C518B2Cu);

    juce::Random random (11);
    std::vector<uint8_t> bytes (300);
    for (auto& b : bytes)
        b = (uint8_t) random.nextInt (256);
    EXPECT_EQ (GuitarPacket::crc (bytes.data(), bytes.size()), sim::SimGuitar::loaderCrc (bytes.data(), bytes.size()));
}

TEST (GuitarPacket, LayoutAndReplies)
{
    uint8_t data[64];
    for (int i = 0; i < 64; ++i)
        data[i] = (uint8_t) (i * 3);
    const auto p = GuitarPacket::make (1, 258, data);
    EXPECT_EQ (std::string ((const char*) p.data(), 7), ":PNR 1 ");
    EXPECT_EQ (p[7], 0x01);
    EXPECT_EQ (p[8], 0x02);
    EXPECT_EQ (std::memcmp (p.data() + 9, data, 64), 0);
    const auto crc = GuitarPacket::crc (data, 64);
    EXPECT_EQ (p[73] | (p[74] << 8) | (p[75] << 16) | ((uint32_t) p[76] << 24), crc);

    auto positive = [] (const char* text) {
        return GuitarPacket::isPositive (reinterpret_cast<const uint8_t*> (text), (int) std::strlen (text));
    };
    EXPECT_TRUE (positive ("RDHI\r"));
    EXPECT_TRUE (positive ("RINI\r"));
    EXPECT_TRUE (positive ("RPNR \x01\x02\r"));
    EXPECT_FALSE (positive ("RDHI\r\r"));
    EXPECT_FALSE (positive ("RPNR CRCERROR\r"));
    EXPECT_FALSE (positive ("RPNR WRITEERROR\r"));
    EXPECT_FALSE (positive ("RPNR PACKETERROR\r"));
    EXPECT_FALSE (positive ("RPN"));
}

TEST (GuitarFirmwareData, SizeLimitsAndEveryLengthInsideTheFileAreChecked)
{
    juce::TemporaryFile temp (".pt2");
    auto problemOnDisk = [&] (const juce::MemoryBlock& bytes) {
        EXPECT_TRUE (temp.getFile().replaceWithData (bytes.getData(), bytes.getSize()));
        bool ok = false;
        juce::String error;
        GuitarFirmwareData data (temp.getFile(), ok, error);
        return error;
    };
    const juce::String invalidSize = "Guitar firmware file invalid size.";

    // The size limits come first, whatever the file holds.
    juce::MemoryBlock zeros31 (31, true), zeros32 (32, true), full (131072, true), over (131073, true);
    EXPECT_EQ (problemOnDisk (zeros31), invalidSize);
    EXPECT_NE (problemOnDisk (zeros32), invalidSize);
    EXPECT_EQ (problemOnDisk (over), invalidSize);
    auto largest = sim::SimGuitar::firmwareFile (131072 - 64, 1, 1, "x"); // 64 bytes of header and name
    largest.setSize (131072, true);
    EXPECT_EQ (problemOnDisk (largest), "");
    EXPECT_NE (problemOnDisk (full), invalidSize);

    bool ok = true;
    juce::String error;
    GuitarFirmwareData missing (temp.getFile().getSiblingFile ("nowhere.pt2"), ok, error);
    EXPECT_FALSE (ok);
    EXPECT_EQ (error, "Guitar firmware file " + temp.getFile().getSiblingFile ("nowhere.pt2").getFullPathName() + " not found.");

    // A good file: its fields as written.
    const auto good = sim::SimGuitar::firmwareFile (130, 0x00020003, 1, "Body");
    EXPECT_EQ (problemWith (good), "");
    GuitarFirmwareData data (good.getData(), good.getSize(), ok, error);
    EXPECT_EQ (data.target(), 1);
    EXPECT_EQ (data.name(), "Body");
    EXPECT_EQ (data.startWord(), 0x11000u);
    EXPECT_EQ (data.secondWord(), 0x00020003u);
    EXPECT_EQ (data.length(), 130u);
    EXPECT_EQ (data.data().getSize(), 130u);

    // The data length against the bytes present, the name's end, the target digit.
    auto shortData = good;
    shortData.setSize (good.getSize() - 1);
    EXPECT_EQ (problemWith (shortData), "Guitar firmware file is damaged (it holds fewer data bytes than its header says).");

    juce::MemoryBlock endless (40, false);
    endless.fillWith (0x41);
    endless[0] = 1;
    EXPECT_EQ (problemWith (endless), "Guitar firmware file is damaged (its name runs past the end of the file).");

    EXPECT_EQ (problemWith (sim::SimGuitar::firmwareFile (130, 1, 10)),
               "Guitar firmware file is damaged (its target 10 is not a guitar part).");
    EXPECT_EQ (problemWith (sim::SimGuitar::firmwareFile (130, 1, 9)), "");
    EXPECT_EQ (problemWith (sim::SimGuitar::firmwareFile (63)), "Guitar firmware file holds no firmware to send.");
}

//==============================================================================
class GuitarUpdateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lab = std::make_unique<LabDevice> (sim::PlugOptions { "arx", "Stage" });
        ASSERT_NE (lab->device, nullptr);
        guitar ([] (sim::SimGuitar& g) { g.setState (false, true, 120); });
    }

    void guitar (const std::function<void (sim::SimGuitar&)>& action) { lab->sim->withGuitar (action); }

    juce::String update (uint32_t dataLength = 64 * 40 + 2)
    {
        file = sim::SimGuitar::firmwareFile (dataLength, 0x00020005);
        bool ok = false;
        juce::String error;
        data = std::make_unique<GuitarFirmwareData> (file.getData(), file.getSize(), ok, error);
        EXPECT_TRUE (ok) << error;
        GuitarUpdateExchange exchange (*lab->device, *data);
        exchange.run (steps);
        succeeded = exchange.hasSucceeded();
        return exchange.getResultText();
    }

    // The packets the guitar received, by index in order of arrival.
    std::vector<int> packetIndexes()
    {
        const auto bytes = lab->sim->guitarReceived();
        std::vector<int> out;
        for (size_t i = 0; i + 9 <= bytes.size(); ++i)
            if (std::memcmp (bytes.data() + i, ":PNR 1 ", 7) == 0)
            {
                out.push_back ((bytes[i + 7] << 8) | bytes[i + 8]);
                i += 76;
            }
        return out;
    }

    juce::var guitarState() { return lab->sim->dump()["guitar"]; }

    std::unique_ptr<LabDevice> lab;
    juce::MemoryBlock file;
    std::unique_ptr<GuitarFirmwareData> data;
    RecordedSteps steps;
    bool succeeded = false;
};

TEST_F (GuitarUpdateTest, AGuitarThatAnswersTakesTheFirmwareAndGetsItsChargeSettingsBack)
{
    EXPECT_EQ (update(), "Guitar firmware update complete.");
    EXPECT_TRUE (succeeded);
    EXPECT_EQ (steps.statuses, juce::StringArray ({ "Detecting the guitar...", "Querying the guitar...", "Initializing...",
                                                    "Writing firmware to the guitar...", "Waiting for the guitar to restart..." }));
    ASSERT_EQ (steps.progress.size(), 40u);
    EXPECT_DOUBLE_EQ (steps.progress.front(), 0.0);
    EXPECT_DOUBLE_EQ (steps.progress.back(), 39.0 / 40.0);

    // The guitar took 40 whole packets; the two bytes after them are not sent.
    const auto firmware = guitarState()["firmware"];
    EXPECT_TRUE ((bool) firmware["present"]);
    EXPECT_EQ ((int) firmware["packets"], 40);
    EXPECT_EQ ((juce::int64) firmware["length"], 2560);
    EXPECT_EQ ((juce::int64) firmware["version"], 0x00020005);
    EXPECT_EQ ((juce::int64) firmware["address"], 0x10000);
    EXPECT_EQ ((juce::int64) firmware["crc"], (juce::int64) GuitarPacket::crc ((const uint8_t*) data->data().getData(), 2560));

    EXPECT_TRUE ((bool) guitarState()["autoCharge"]);
    EXPECT_EQ ((int) guitarState()["delay"], 120);
    EXPECT_FALSE ((bool) guitarState()["hexMode"]) << "the guitar restarts in live mode";
}

TEST_F (GuitarUpdateTest, AnOlderLoaderBadCrcsLostAnswersAndAWrongIndexAreRetried)
{
    guitar ([] (sim::SimGuitar& g) {
        g.faults.noCrcCommand = true; // "COMMAND ERROR" to the CRC command: the exchange goes on
        g.faults.badCrcPackets = 3;   // three in a row are still within the four attempts
        g.chargingNow = true;
    });
    // One packet acknowledgement comes back with another index: negative, the packet goes again.
    bool altered = false;
    lab->hook.after = [&] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t& returned) {
        if (! altered && code == platform::IOCTL_ARX_GWC_TRANSACTION && in[test::packetCategory] == 10
            && in[test::packetCommand] == 1 && returned >= 40 && out[7] == 8 && (out[8] >> 24) == 'R' && ((out[9] >> 8) & 0xFF) == 5)
        {
            out[9] ^= 0x00010000u;
            altered = true;
        }
    };

    EXPECT_EQ (update(), "Guitar firmware update complete.");
    EXPECT_TRUE (altered);
    const auto sent = packetIndexes();
    EXPECT_EQ (std::count (sent.begin(), sent.end(), 0), 4) << "packet 0 three times with a bad CRC, then once more";
    EXPECT_EQ (std::count (sent.begin(), sent.end(), 5), 2);
    EXPECT_EQ ((int) guitarState()["firmware"]["packets"], 40);
    EXPECT_TRUE ((bool) guitarState()["chargingNow"]) << "charging on request comes back too";
}

TEST_F (GuitarUpdateTest, FourBadCrcsInARowFailThePacket)
{
    guitar ([] (sim::SimGuitar& g) { g.faults.badCrcPackets = 4; });
    EXPECT_EQ (update(), "The guitar firmware update was unsuccessful.");
    EXPECT_FALSE (succeeded);
    EXPECT_EQ (packetIndexes(), (std::vector<int> { 0, 0, 0, 0 }));
    EXPECT_FALSE ((bool) guitarState()["firmware"]["present"]);
    EXPECT_TRUE ((bool) guitarState()["autoCharge"]);
}

TEST_F (GuitarUpdateTest, NegativeRepliesEndWithTheStepThatFailed)
{
    guitar ([] (sim::SimGuitar& g) { g.faults.negativeReplies = 4; });
    EXPECT_EQ (update(), "Unable to connect to the guitar.");

    // Greeted and given the CRC, the guitar refuses the header every time.
    constexpr uint32_t initialiseCommand = 0x3A43494E; // ":CIN"
    lab->hook.before = [this] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[test::packetCategory] == 10 && in[test::packetCommand] == 0
            && in[test::packetParam0 + 1] == initialiseCommand)
            guitar ([] (sim::SimGuitar& g) { g.faults.negativeReplies = 1; });
    };
    EXPECT_EQ (update(), "Unable to initialize the guitar");
    EXPECT_FALSE (succeeded);
    EXPECT_TRUE (packetIndexes().empty());
}

TEST_F (GuitarUpdateTest, AGuitarNeverFoundEndsAfterItsTwoSecondsWithItsSettingsBack)
{
    guitar ([] (sim::SimGuitar& g) {
        g.faults.undetectable = true;
        g.chargingNow = true;
    });
    const auto start = juce::Time::getMillisecondCounter();
    EXPECT_EQ (update(), "Guitar not detected.");
    EXPECT_GE (juce::Time::getMillisecondCounter() - start, (juce::uint32) GuitarUpdateExchange::detectMs);
    EXPECT_EQ (steps.statuses, juce::StringArray ({ "Detecting the guitar..." }));
    EXPECT_TRUE (lab->sim->guitarReceived().empty()) << "no text goes to a guitar that was not found";
    EXPECT_TRUE ((bool) guitarState()["autoCharge"]);
    EXPECT_TRUE ((bool) guitarState()["chargingNow"]);
    EXPECT_EQ ((int) guitarState()["control"], 0) << "detection leaves the guitar in live mode";
}

TEST_F (GuitarUpdateTest, SendsTheDeviceFailsAFewTimesInARowAreTriedAgainWithinThePacketsBound)
{
    // The sixth packet's send fails, and so do the next two tries: well within 2000 ms.
    int packets = 0;
    lab->hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[test::packetCategory] == 10 && in[test::packetCommand] == 0
            && in[test::packetParam0] == 77 && ++packets == 6)
        {
            sim::SimFaults faults;
            faults.errorRetval = 2;
            faults.errorCount = 3;
            lab->sim->addFault (faults);
        }
    };
    EXPECT_EQ (update(), "Guitar firmware update complete.");
    EXPECT_TRUE (succeeded);
    EXPECT_EQ (packets, 40 + 3);
    std::vector<int> inOrder (40);
    std::iota (inOrder.begin(), inOrder.end(), 0);
    EXPECT_EQ (packetIndexes(), inOrder) << "the failed sends never reached the guitar";
    EXPECT_EQ ((int) guitarState()["firmware"]["packets"], 40);
}

TEST_F (GuitarUpdateTest, DetectionPausesBetweenTriesWhenTheDeviceHasGone)
{
    // Unplugged at the first meter poll: every poll and every guitar control fails from then on.
    std::atomic<int> afterUnplug { 0 };
    lab->hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (afterUnplug > 0 || (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[test::packetCategory] == 0
                                && in[test::packetCommand] == 1))
        {
            lab->sim->setPresent (false);
            ++afterUnplug;
        }
    };
    EXPECT_EQ (update(), "Guitar not detected.");
    // Polls 50 ms apart, as while a guitar is awaited: some dozens in the two seconds, not a
    // request after the other.
    EXPECT_LT (afterUnplug.load(), GuitarUpdateExchange::detectMs / 20);
}

TEST_F (GuitarUpdateTest, AGuitarThatStopsTakingPacketsEndsTheUpdate)
{
    // Unplugged after the tenth packet: the device refuses to relay, and after the link's two
    // seconds the update gives up instead of trying forever.
    int packets = 0;
    lab->hook.before = [&] (uint32_t code, const uint32_t* in) {
        if (code == platform::IOCTL_ARX_GWC_TRANSACTION && in[test::packetCategory] == 10 && in[test::packetCommand] == 0
            && in[test::packetParam0] == 77 && ++packets == 10)
            guitar ([] (sim::SimGuitar& g) { g.connect (false); });
    };
    EXPECT_EQ (update(), "The guitar firmware update was unsuccessful.");
    EXPECT_EQ (packetIndexes().size(), 9u);
    EXPECT_TRUE ((bool) guitarState()["autoCharge"]);
}

} // namespace
} // namespace arx
