#include "sim/DeviceLab.h"
#include "sim/InProcessPlatform.h"
#include "sim/SimSessionImage.h"
#include "unit/test_sim_packet.h"

#include <gtest/gtest.h>

#include <future>

using namespace arx::sim;
using namespace arx::simtest;
using namespace arx::platform;

namespace
{
constexpr uint32_t unity = 0x01000000;

struct SimDeviceTest : ::testing::Test
{
    DeviceLab lab;
    InProcessPlatform platform { lab };

    std::unique_ptr<DeviceHandle> open (const juce::String& name)
    {
        return platform.createFile (DeviceLab::devicePath (name));
    }

    // Reads the whole session image through readSessionBlock, undoing the byte reversal.
    static std::vector<uint8_t> readSession (DeviceHandle& h)
    {
        std::vector<uint8_t> image;
        for (uint32_t offset = 0; offset < SimSessionImage::quadlets;)
        {
            auto r = transact (h, 0, 3, { offset, 64 }, 292);
            EXPECT_TRUE (r.ok);
            const auto count = r.result (1);
            EXPECT_GT (count, 0u);
            if (count == 0)
                break;
            for (uint32_t q = 0; q < count; ++q)
            {
                auto w = r.result (2 + q);
                if (4 * (offset + q) >= SimSessionImage::reversedStart)
                    w = juce::ByteOrder::swap (w);
                for (int b = 0; b < 4; ++b)
                    image.push_back ((uint8_t) (w >> (8 * b)));
            }
            offset += count;
        }
        return image;
    }

    static void waitUntilFlashReady (DeviceHandle& h)
    {
        for (int i = 0; i < 200 && transact (h, 1, 3, {}).retval() == SimDevice::retvalBusy; ++i)
            juce::Thread::sleep (2);
    }
};
} // namespace

TEST_F (SimDeviceTest, ReplyEchoesHeaderAndAppliesTheCommand)
{
    lab.plug();
    auto h = open ("ARX-1");
    ASSERT_NE (h, nullptr);

    auto set = transact (*h, 8, 0, { 0, 1, 0x00800000 }, 40);
    ASSERT_TRUE (set.ok);
    EXPECT_EQ (set.status(), 0u);
    EXPECT_EQ (set.word (1), 9u);
    EXPECT_EQ (set.word (4), 8u);
    EXPECT_EQ (set.word (5), 0u);
    EXPECT_EQ (set.retval(), 0u);
    EXPECT_EQ (lab.find ("ARX-1")->mixer().monitorGain[0][1], 0x00800000u);

    auto get = transact (*h, 8, 1, { 0, 1 }, 40);
    EXPECT_EQ (get.returned, 40u);
    EXPECT_EQ (get.result (2), 0x00800000u);

    // A short output buffer gets only what fits.
    auto clock = transact (*h, 3, 1, {}, 32);
    EXPECT_TRUE (clock.ok);
    EXPECT_EQ (clock.returned, 32u);
    EXPECT_EQ (clock.result (0), 0u);

    // Each category answers from the model.
    transact (*h, 4, 2, { 3, 1 }, 36);
    transact (*h, 6, 4, { 5, 1 }, 36);
    transact (*h, 8, 4, { 2, 3, 2 }, 40);
    transact (*h, 8, 6, { 2, 3, 200 }, 40);
    transact (*h, 3, 3, { 0x3, 0 }, 28);
    transact (*h, 3, 3, { 0, 0x1 }, 28);
    transact (*h, 3, 0, { 0xFFFFFFFF, 96000, 0 }, 28);
    EXPECT_EQ (transact (*h, 4, 3, { 3 }, 36).result (1), 1u);
    EXPECT_EQ (transact (*h, 6, 5, { 5 }, 36).result (1), 1u);
    EXPECT_NE (transact (*h, 8, 5, { 2, 3 }, 40).result (2), 0u);
    EXPECT_EQ (transact (*h, 8, 7, { 2, 3 }, 40).result (2), 200u);
    EXPECT_EQ (transact (*h, 3, 4, {}, 32).result (0), 2u);
    auto c = transact (*h, 3, 1, {}, 40);
    EXPECT_EQ (c.result (0), 0u);
    EXPECT_EQ (c.result (1), 96000u);
}

TEST_F (SimDeviceTest, BadPacketsAreRefusedWithoutChangingTheModel)
{
    lab.plug();
    auto h = open ("ARX-1");
    auto* d = lab.find ("ARX-1");
    const auto before = d->mixer().outputGain[0];

    EXPECT_NE (transact (*h, 4, 0, { 40, 5 }, 36).retval(), 0u);     // channel out of range
    EXPECT_NE (transact (*h, 4, 0, { 0 }, 36).retval(), 0u);         // value missing
    EXPECT_NE (transact (*h, 99, 0, {}, 28).retval(), 0u);           // unknown category
    EXPECT_NE (transact (*h, 3, 0, { 4, 48000, 0 }, 28).retval(), 0u); // clock source not there
    EXPECT_NE (transact (*h, 3, 0, { 0, 12345678, 0 }, 28).retval(), 0u);
    EXPECT_EQ (d->mixer().outputGain[0], before);

    uint32_t tiny[3] = {};
    uint32_t out[8] = {};
    uint32_t returned = 0;
    EXPECT_FALSE (h->deviceIoControl (IOCTL_ARX_GWC_TRANSACTION, tiny, sizeof (tiny), out, sizeof (out), returned));
    EXPECT_FALSE (h->deviceIoControl (0x1D200C, nullptr, 0, out, sizeof (out), returned));
    EXPECT_FALSE (h->deviceIoControl (IOCTL_ARX_DRIVER_VERSION, nullptr, 0, out, 2, returned));
}

TEST_F (SimDeviceTest, SessionBlocksComeByteReversedAndRestoreTheStoredImage)
{
    lab.plug();
    auto h = open ("ARX-1");
    auto* d = lab.find ("ARX-1");

    const auto stored = d->sessionArea();
    const auto image = readSession (*h);
    ASSERT_EQ (image.size(), (size_t) SimSessionImage::bytes);
    EXPECT_EQ (image, stored);
    EXPECT_TRUE (SimSessionImage::isValid (image.data()));

    // Factory values: length, version, rate, unity gains, guitar pans in the middle.
    auto word = [&] (size_t at) { return juce::ByteOrder::littleEndianInt (image.data() + at); };
    EXPECT_EQ (word (0), 3348u);
    EXPECT_EQ (word (8), 512u);
    EXPECT_EQ (word (28), 48000u);
    EXPECT_EQ (word (32), unity);
    EXPECT_EQ (image[SimSessionImage::monitorPanAt + 40 * 2], 128); // input 2 is a guitar
    EXPECT_EQ (image[SimSessionImage::monitorPanAt + 40 * 1], 255);
    EXPECT_EQ (image[SimSessionImage::monitorFlagsAt + 0], 0);     // analog 0 -> outputs 0/1 open
    EXPECT_EQ (image[SimSessionImage::monitorFlagsAt + 2], 1);

    // The raw reply of the first reversed quadlet differs from flash order.
    auto raw = transact (*h, 0, 3, { 1828, 1 }, 292);
    EXPECT_EQ (raw.result (2), juce::ByteOrder::swap (juce::ByteOrder::littleEndianInt (stored.data() + 7312)));

    // Near the end only what is left is delivered; more than 64 is refused.
    auto tail = transact (*h, 0, 3, { 3340, 64 }, 292);
    EXPECT_EQ (tail.result (1), 8u);
    EXPECT_NE (transact (*h, 0, 3, { 0, 65 }, 292).retval(), 0u);
}

TEST_F (SimDeviceTest, FlashErasesBySectorWritesOnlyClearBitsAndReportsBusy)
{
    lab.plug ({ "arx-lowbase" });
    auto h = open ("ARX-1");
    auto* d = lab.find ("ARX-1");
    EXPECT_EQ (transact (*h, 1, 4, {}, 32).result (0), 0x8000u);

    // Below 0x10000 the sector is 8 KiB: an address inside it erases the whole sector only.
    ASSERT_EQ (transact (*h, 1, 0, { 0x8123 }).retval(), 0u);
    EXPECT_EQ (transact (*h, 1, 3, {}).retval(), SimDevice::retvalBusy);
    // While it erases the part takes no erase, write or read: refused, and counted.
    EXPECT_EQ (transact (*h, 1, 0, { 0xA000 }).retval(), SimDevice::retvalFlashBusy);
    EXPECT_EQ (transact (*h, 1, 2, { 0xA000, 1, 0 }).retval(), SimDevice::retvalFlashBusy);
    EXPECT_EQ (transact (*h, 1, 1, { 0xA000, 1 }).retval(), SimDevice::retvalFlashBusy);
    EXPECT_EQ ((int) d->dump()["flash"]["refusedWhileBusy"], 3);
    auto low = d->readFlash (0x8000, 0x2000);
    EXPECT_TRUE (std::all_of (low.begin(), low.end(), [] (uint8_t b) { return b == 0xFF; }));
    EXPECT_NE (d->readFlash (0xA000, 4), std::vector<uint8_t> (4, 0xFF)); // next sector keeps the image
    waitUntilFlashReady (*h);
    EXPECT_EQ (transact (*h, 1, 3, {}).retval(), 0u);

    // Above 0x10000 it is 64 KiB.
    transact (*h, 1, 2, { 0x20000, 1, 0 });
    waitUntilFlashReady (*h);
    transact (*h, 1, 2, { 0x2FFFC, 1, 0 });
    waitUntilFlashReady (*h);
    transact (*h, 1, 0, { 0x2ABCD });
    EXPECT_EQ (d->readFlash (0x20000, 4), std::vector<uint8_t> (4, 0xFF));
    EXPECT_EQ (d->readFlash (0x2FFFC, 4), std::vector<uint8_t> (4, 0xFF));
    waitUntilFlashReady (*h);

    // Writing over unerased flash can only clear bits.
    std::vector<uint32_t> write = { 0x30000, 2, 0x0F0F0F0F, 0x12345678 };
    write.resize (2 + 64, 0);
    ASSERT_EQ (transact (*h, 1, 2, write).retval(), 0u);
    waitUntilFlashReady (*h);
    transact (*h, 1, 2, { 0x30000, 1, 0xF0F0F0FF });
    waitUntilFlashReady (*h);
    auto r = transact (*h, 1, 1, { 0x30000, 2 });
    EXPECT_EQ (r.result (2), 0x0000000Fu);
    EXPECT_EQ (r.result (3), 0x12345678u);

    EXPECT_NE (transact (*h, 1, 1, { 0x30000, 65 }).retval(), 0u);
    EXPECT_NE (transact (*h, 1, 2, { 0x30000, 65 }).retval(), 0u);
    EXPECT_NE (transact (*h, 1, 0, { SimFlash::size }).retval(), 0u);
    EXPECT_NE (transact (*h, 1, 1, { SimFlash::size - 4, 2 }).retval(), 0u);

    transact (*h, 1, 5, { 1 });
    auto dump = d->dump();
    EXPECT_EQ ((int) dump["flash"]["lockValue"], 1);
    EXPECT_EQ ((int) dump["flash"]["eraseCount"], 2);
}

TEST_F (SimDeviceTest, ALargeSectorStaysBusyLongerThanASmallOne)
{
    lab.plug();
    auto h = open ("ARX-1");
    // How long the part stays busy after an erase: never less than its sector's time.
    const auto busyAfterErase = [&] (uint32_t address) {
        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_EQ (transact (*h, 1, 0, { address }).retval(), 0u);
        for (int i = 0; i < 2000 && transact (*h, 1, 3, {}).retval() == SimDevice::retvalBusy; ++i)
            juce::Thread::sleep (1);
        return juce::Time::getMillisecondCounterHiRes() - start;
    };

    EXPECT_GE (busyAfterErase (0x4000), SimFlash::eraseBusyMs (0x4000) - 1);
    EXPECT_GE (busyAfterErase (0x40000), SimFlash::eraseBusyMs (0x40000) - 1);
    EXPECT_EQ (SimFlash::eraseBusyMs (0x40000), 8 * SimFlash::eraseBusyMs (0x4000));
}

TEST_F (SimDeviceTest, SessionWrittenBackIsReadBackUnchangedAndLoadedAtNextPlug)
{
    lab.plug ({ "arx", "Desk" });
    auto h = open ("Desk");
    auto image = readSession (*h);

    // Change output gain 0 and a name, as the console would, then write the image back.
    image[SimSessionImage::outputGainAt + 3] = 0x00;
    image[SimSessionImage::outputGainAt + 2] = 0x40;
    image[SimSessionImage::inputChannelAt + 2] = 'V';
    const auto crc = SimSessionImage::crcOf (image.data());
    for (int b = 0; b < 4; ++b)
        image[4 + (size_t) b] = (uint8_t) (crc >> (8 * b));

    const uint32_t base = transact (*h, 1, 4, {}, 32).result (0);
    transact (*h, 1, 5, { 1 });
    for (uint32_t a = base; a < base + SimSessionImage::bytes; a += SimFlash::largeSector)
        transact (*h, 1, 0, { a });
    waitUntilFlashReady (*h);
    for (uint32_t q = 0; q < SimSessionImage::quadlets; q += 64)
    {
        const uint32_t count = std::min<uint32_t> (64, SimSessionImage::quadlets - q);
        std::vector<uint32_t> params = { base + 4 * q, count };
        for (uint32_t k = 0; k < 64; ++k)
            params.push_back (k < count ? juce::ByteOrder::littleEndianInt (image.data() + 4 * (q + k)) : 0);
        ASSERT_EQ (transact (*h, 1, 2, params).retval(), 0u);
        waitUntilFlashReady (*h);
    }
    transact (*h, 1, 5, { 0 });

    EXPECT_EQ (readSession (*h), image);
    EXPECT_EQ (lab.find ("Desk")->sessionWrites(), 53);

    // The flash outlives the plug; the mixer starts from the stored session.
    ASSERT_TRUE (lab.unplug ("Desk"));
    EXPECT_EQ (lab.find ("Desk"), nullptr);
    ASSERT_NE (lab.plug ({ "arx", "Desk" }), nullptr);
    auto* again = lab.find ("Desk");
    EXPECT_EQ (again->sessionArea(), image);
    EXPECT_EQ (again->mixer().outputGain[0], 0x00400000u);
    EXPECT_TRUE ((bool) again->dump()["flash"]["sessionCrcValid"]);

    // Another name gets its own factory flash.
    auto* other = lab.plug();
    EXPECT_NE (other->sessionArea(), image);
}

TEST_F (SimDeviceTest, ChannelsBeyondTheProfileAreRefusedAndCounted)
{
    lab.plug(); // 13 inputs, 6 outputs, at most 8 playback channels
    auto h = open ("ARX-1");
    auto* d = lab.find ("ARX-1");
    const auto sixth = d->mixer().outputGain[6];

    EXPECT_EQ (transact (*h, 4, 0, { 5, 7 }, 36).retval(), 0u);
    EXPECT_EQ (transact (*h, 4, 0, { 6, 7 }, 36).retval(), SimDevice::retvalBadParameter);
    EXPECT_EQ (transact (*h, 6, 0, { 7, 7 }, 36).retval(), 0u);
    EXPECT_EQ (transact (*h, 6, 2, { 8, 1 }, 36).retval(), SimDevice::retvalBadParameter);
    EXPECT_EQ (transact (*h, 8, 0, { 12, 5, 7 }, 40).retval(), 0u);
    EXPECT_EQ (transact (*h, 8, 6, { 13, 0, 7 }, 40).retval(), SimDevice::retvalBadParameter);
    EXPECT_EQ (transact (*h, 8, 1, { 0, 6 }, 40).retval(), SimDevice::retvalBadParameter);

    EXPECT_EQ (d->refusedChannels(), 4);
    EXPECT_EQ ((int) d->dump()["requests"]["refusedChannels"], 4);
    EXPECT_EQ (d->mixer().outputGain[6], sixth); // a refused command changes nothing
}

TEST_F (SimDeviceTest, InjectedFaultsShowInStatusRetvalAndRequestResult)
{
    lab.plug();
    auto h = open ("ARX-1");
    auto* d = lab.find ("ARX-1");

    SimFaults f;
    f.ntStatus = STATUS_TIMEOUT;
    f.ntStatusCount = 2;
    d->setFaults (f);
    EXPECT_EQ (transact (*h, 4, 0, { 0, 5 }, 36).status(), STATUS_TIMEOUT);
    EXPECT_EQ (transact (*h, 4, 0, { 0, 5 }, 36).status(), STATUS_TIMEOUT);
    EXPECT_NE (d->mixer().outputGain[0], 5u); // a timed-out packet never reached the device
    EXPECT_EQ (transact (*h, 4, 0, { 0, 5 }, 36).status(), 0u);
    EXPECT_EQ (d->mixer().outputGain[0], 5u);

    SimFaults share;
    share.ntStatus = STATUS_RETRY_LATER;
    share.ntStatusShare = 0.5;
    d->setFaults (share);
    int retries = 0;
    for (int i = 0; i < 200; ++i)
        retries += transact (*h, 3, 4, {}, 32).status() == STATUS_RETRY_LATER ? 1 : 0;
    EXPECT_GT (retries, 50);
    EXPECT_LT (retries, 150);

    SimFaults busy;
    busy.busyCount = 1;
    d->setFaults (busy);
    EXPECT_EQ (transact (*h, 4, 0, { 1, 7 }, 36).retval(), SimDevice::retvalBusy);
    EXPECT_EQ (d->mixer().outputGain[1], 7u); // busy is still carried out

    SimFaults error;
    error.errorRetval = 5;
    error.errorCount = 1;
    error.failCount = 1;
    d->setFaults (error);
    EXPECT_FALSE (transact (*h, 4, 0, { 2, 9 }, 36).ok);
    EXPECT_EQ (transact (*h, 4, 0, { 2, 9 }, 36).retval(), 5u);
    EXPECT_NE (d->mixer().outputGain[2], 9u);
    EXPECT_EQ (transact (*h, 4, 0, { 2, 9 }, 36).retval(), 0u);

    SimFaults refuse;
    refuse.refuseBufferSize = true;
    d->setFaults (refuse);
    EXPECT_NE (driverRequest (*h, 9, { 512 }).word (0), 0u);
    d->setFaults ({});
    EXPECT_EQ (driverRequest (*h, 9, { 512 }).word (0), 0u);
    EXPECT_NE (driverRequest (*h, 9, { 500 }).word (0), 0u); // not a multiple of 32
    EXPECT_EQ (d->bufferSize(), 512u);
}

TEST_F (SimDeviceTest, UnplugAfterNRequestsRemovesTheDeviceAndBroadcasts)
{
    lab.plug();
    auto window = platform.createMessageWindow();
    ASSERT_TRUE (window->registerDeviceNotification (ARX_INTERFACE_CLASS));
    auto h = open ("ARX-1");
    SimFaults f;
    f.unplugAfter = 2;
    lab.find ("ARX-1")->setFaults (f);

    EXPECT_TRUE (transact (*h, 3, 4, {}, 32).ok);
    EXPECT_TRUE (transact (*h, 3, 4, {}, 32).ok);
    EXPECT_FALSE (transact (*h, 3, 4, {}, 32).ok);
    EXPECT_EQ (lab.find ("ARX-1"), nullptr);
    EXPECT_EQ (platform.createFile (DeviceLab::devicePath ("ARX-1")), nullptr);

    Win32Message m;
    ASSERT_TRUE (window->getMessage (m));
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEQUERYREMOVE);
    ASSERT_TRUE (window->getMessage (m));
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEREMOVECOMPLETE);
    ASSERT_NE (m.broadcast, nullptr);
    EXPECT_EQ (reinterpret_cast<DevBroadcastDeviceInterface*> (m.lParam)->name, DeviceLab::devicePath ("ARX-1"));
}

TEST_F (SimDeviceTest, MeterPollCarriesStatusBitsAndMovingLevels)
{
    lab.plug();
    auto h = open ("ARX-1");
    const uint32_t size = (13 + 6) * 4 + 64;
    auto first = transact (*h, 0, 1, {}, size);
    EXPECT_EQ (first.returned, size);
    const auto status = first.result (0);
    EXPECT_TRUE (status & (1u << 1));   // FireWire
    EXPECT_FALSE (status & (1u << 2));  // no word clock on this model
    EXPECT_TRUE (status & (1u << 3));   // S/PDIF
    EXPECT_TRUE (status & (1u << 30));  // guitar connected
    EXPECT_FALSE (status & (1u << 31));
    EXPECT_EQ (first.result (5), 6u);

    transact (*h, 10, 6, { 2 }, 28);
    transact (*h, 10, 7, { 1, 0, 120 }, 28);
    juce::Thread::sleep (60);
    auto second = transact (*h, 0, 1, {}, size);
    EXPECT_TRUE (second.result (0) & (1u << 31));
    EXPECT_TRUE (second.result (0) & (1u << 29));
    int moved = 0;
    for (int i = 0; i < 19; ++i)
    {
        EXPECT_LE (second.result (9 + (size_t) i), 0x80000000u);
        moved += first.result (9 + (size_t) i) != second.result (9 + (size_t) i) ? 1 : 0;
    }
    EXPECT_GT (moved, 10);
    auto g = transact (*h, 10, 8, {}, 40);
    EXPECT_EQ (g.result (0), 1u);
    EXPECT_EQ (g.result (1), 0u);
    EXPECT_EQ (g.result (2), 120u);
}

TEST_F (SimDeviceTest, GuitarRelayUnpacksBigEndianQuadlets)
{
    lab.plug();
    auto h = open ("ARX-1");
    // "HELLO": n = 5, two quadlets, each the bytes in big-endian order.
    auto r = transact (*h, 10, 0, { 5, 0x48454C4C, 0x4F000000 }, 32);
    EXPECT_EQ (r.result (0), 1u);
    const auto got = lab.find ("ARX-1")->guitarReceived();
    EXPECT_EQ (std::string (got.begin(), got.end()), "HELLO");
    EXPECT_NE (transact (*h, 10, 0, { 257 }, 32).retval(), 0u);
    EXPECT_EQ (transact (*h, 10, 1, {}, 288).result (0), 0u);
}

TEST_F (SimDeviceTest, DriverRequestsKeepRateLockBufferAndRate)
{
    lab.plug();
    auto h = open ("ARX-1");
    EXPECT_EQ (call (*h, IOCTL_ARX_DRIVER_VERSION, {}, 4).word (0), SimDevice::driverVersionWord);
    driverRequest (*h, 10, { 0xFFFFFFFF, 1 });
    driverRequest (*h, 9, { 1024 });
    driverRequest (*h, 16, { 96000 });
    auto info = driverRequest (*h, 3);
    EXPECT_EQ (info.word (0), 0u);
    EXPECT_EQ (info.word (4) & 1, 1u);
    EXPECT_EQ (info.word (5), 96000u);
    EXPECT_EQ (info.word (11), 1024u);
    EXPECT_EQ (driverRequest (*h, 15).word (3), 96000u);
    EXPECT_EQ (driverRequest (*h, 7).word (0), 0u);
    EXPECT_NE (driverRequest (*h, 42).word (0), 0u);
    EXPECT_NE (driverRequest (*h, 16, { 5 }).word (0), 0u);

    auto* d = lab.find ("ARX-1");
    EXPECT_EQ (d->requestCount ("9"), 1);
    EXPECT_EQ (d->requestCount ("3"), 1);
    auto log = d->takeRequestLog();
    ASSERT_FALSE (log.empty());
    EXPECT_EQ (log.front().code, IOCTL_ARX_DRIVER_VERSION);
    EXPECT_EQ (log.back().input.size(), 64u);
    EXPECT_TRUE (d->takeRequestLog().empty());
}

TEST_F (SimDeviceTest, DumpHoldsMixerClockFlashAndCounters)
{
    lab.plug();
    auto h = open ("ARX-1");
    transact (*h, 6, 0, { 3, 0x00200000 }, 36);
    transact (*h, 6, 0, { 3, 0x00200000 }, 36);
    auto dump = lab.find ("ARX-1")->dump();
    for (auto* key : { "uniqueName", "profile", "mixer", "clock", "flags", "bufferSize", "rateLock", "guitar", "flash", "requests", "faults" })
        EXPECT_TRUE (dump.hasProperty (key)) << key;
    for (auto* key : { "sessionBase", "lockValue", "eraseCount", "writeCount", "sessionBlank", "sessionCrc", "sessionWrites" })
        EXPECT_TRUE (dump["flash"].hasProperty (key)) << key;
    EXPECT_EQ ((int) dump["mixer"]["playbackGain"][3], 0x00200000);
    EXPECT_EQ ((int) dump["requests"]["gwc"]["6/0"], 2);
    EXPECT_EQ ((int) dump["clock"]["rate"], 48000);
    EXPECT_FALSE ((bool) dump["flash"]["sessionBlank"]);
    // Round trip through JSON text, as the client prints it.
    EXPECT_EQ ((int) juce::JSON::parse (juce::JSON::toString (dump, true))["mixer"]["inputs"], 13);
}

TEST_F (SimDeviceTest, PlatformEnumeratesInPlugOrderWithRegistrySemantics)
{
    lab.plug ({ "arx", "Zed" });
    lab.plug ({ "no-hwinfo", "Abe" });
    PlugOptions odd { "arx", "Odd" };
    odd.uniqueNameOverride = juce::MemoryBlock (64);
    odd.uniqueNameOverride->fillWith ('x');
    odd.hwinfoOverride = juce::MemoryBlock (10, true);
    lab.plug (odd);
    EXPECT_EQ (lab.plug ({ "arx", "Zed" }), nullptr);
    EXPECT_EQ (lab.plug ({ "nonsense" }), nullptr);

    auto set = platform.getClassDevs (ARX_INTERFACE_CLASS);
    DeviceInterfaceData data;
    ASSERT_TRUE (set->enumDeviceInterface (0, data));
    EXPECT_EQ (data.devicePath, DeviceLab::devicePath ("Zed"));
    auto key = set->openInterfaceRegKey (data);
    uint8_t buffer[260];
    uint32_t size = sizeof (buffer);
    ASSERT_TRUE (key->queryValue ("hwinfo_caps", buffer, size));
    EXPECT_EQ (size, 260u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (buffer + 4) >> 8, 0x75Bu); // vendor
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (buffer + 92), 13u);        // inputs
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (buffer + 168), 6u);        // outputs
    EXPECT_EQ (buffer[128 + 2], 7);                                         // second input group: guitar
    size = 3;
    EXPECT_FALSE (key->queryValue ("unique_name", buffer, size));
    size = 64;
    ASSERT_TRUE (key->queryValue ("unique_name", buffer, size));
    EXPECT_EQ (size, 4u);
    EXPECT_STREQ ((const char*) buffer, "Zed");

    ASSERT_TRUE (set->enumDeviceInterface (1, data));
    size = sizeof (buffer);
    EXPECT_FALSE (set->openInterfaceRegKey (data)->queryValue ("hwinfo_caps", buffer, size));
    ASSERT_TRUE (set->enumDeviceInterface (2, data));
    size = 64;
    EXPECT_TRUE (set->openInterfaceRegKey (data)->queryValue ("unique_name", buffer, size));
    EXPECT_EQ (size, 64u);
    size = sizeof (buffer);
    EXPECT_TRUE (set->openInterfaceRegKey (data)->queryValue ("hwinfo_caps", buffer, size));
    EXPECT_EQ (size, 10u);
    EXPECT_FALSE (set->enumDeviceInterface (3, data));

    // The set is a snapshot.
    lab.plug();
    EXPECT_FALSE (set->enumDeviceInterface (3, data));
}

TEST_F (SimDeviceTest, MessageWindowAndNamedMutex)
{
    auto window = platform.createMessageWindow();
    ASSERT_TRUE (window->registerDeviceNotification (ARX_INTERFACE_CLASS));
    lab.plug();
    Win32Message m;
    ASSERT_TRUE (window->getMessage (m));
    EXPECT_EQ (m.message, WM_DEVICECHANGE);
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEARRIVAL);
    EXPECT_EQ (m.broadcast->name, DeviceLab::devicePath ("ARX-1"));

    auto closed = std::async (std::launch::async, [&] {
        Win32Message x;
        return window->getMessage (x);
    });
    window->postMessage (WM_CLOSE, 0, 0);
    ASSERT_EQ (closed.wait_for (std::chrono::seconds (5)), std::future_status::ready);
    EXPECT_FALSE (closed.get());

    auto first = platform.createNamedMutex ("lock test");
    EXPECT_NE (first.mutex, nullptr);
    const auto second = platform.createNamedMutex ("lock test");
    EXPECT_EQ (second.mutex, nullptr);
    EXPECT_TRUE (second.heldElsewhere);
    first.mutex.reset();
    EXPECT_NE (platform.createNamedMutex ("lock test").mutex, nullptr);
}
