// The device bus end to end: a separately started arx-devsim daemon, reached through the real
// socket files by DeviceBusPlatform and by a client that speaks only the wire format.

#include "integration/bus_test_fixture.h"
#include "unit/test_sim_packet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace arx::platform;
using namespace arx::simtest;
using arx::bustest::BusTest;

namespace
{
int rawConnect (const juce::File& socketFile)
{
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    std::strncpy (addr.sun_path, socketFile.getFullPathName().toRawUTF8(), sizeof (addr.sun_path) - 1);
    const int fd = ::socket (AF_UNIX, SOCK_STREAM, 0);
    if (::connect (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) != 0)
    {
        ::close (fd);
        return -1;
    }
    return fd;
}

bool nextMessage (MessageWindow& w, Win32Message& m)
{
    auto f = std::async (std::launch::async, [&] { return w.getMessage (m); });
    return f.wait_for (std::chrono::seconds (5)) == std::future_status::ready && f.get();
}
} // namespace

TEST_F (BusTest, EnumeratesCompleteEntriesSortedWithRegistryValues)
{
    startDaemon ({ "arx:Zulu", "stereo:Alpha", "no-hwinfo:Mike" });
    dir.getChildFile (".hidden").createDirectory();
    dir.getChildFile ("incomplete").createDirectory(); // no device socket: not a device

    DeviceBusPlatform bus (dir);
    auto set = bus.getClassDevs (ARX_INTERFACE_CLASS);
    DeviceInterfaceData d;
    juce::StringArray seen;
    for (int i = 0; set->enumDeviceInterface (i, d); ++i)
        seen.add (d.devicePath);
    EXPECT_EQ (seen.joinIntoString ("|"), path ("Alpha") + "|" + path ("Mike") + "|" + path ("Zulu"));

    ASSERT_TRUE (set->enumDeviceInterface (2, d));
    auto key = set->openInterfaceRegKey (d);
    ASSERT_NE (key, nullptr);
    uint8_t buffer[260];
    uint32_t size = sizeof (buffer);
    ASSERT_TRUE (key->queryValue ("hwinfo_caps", buffer, size));
    EXPECT_EQ (size, 260u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (buffer + 12), 0xAFB2u);
    size = 64;
    ASSERT_TRUE (key->queryValue ("unique_name", buffer, size));
    EXPECT_EQ (size, 5u);
    EXPECT_STREQ ((const char*) buffer, "Zulu");
    size = 4;
    EXPECT_FALSE (key->queryValue ("unique_name", buffer, size)); // the terminator does not fit
    size = sizeof (buffer);
    EXPECT_FALSE (key->queryValue ("../Alpha/hwinfo_caps", buffer, size));

    ASSERT_TRUE (set->enumDeviceInterface (1, d));
    size = sizeof (buffer);
    EXPECT_FALSE (set->openInterfaceRegKey (d)->queryValue ("hwinfo_caps", buffer, size));
}

TEST_F (BusTest, RawWireClientRunsACommandAndOversizedFramesAreRefused)
{
    startDaemon ({ "arx" });
    const int fd = rawConnect (dir.getChildFile ("ARX-1/device"));
    ASSERT_GE (fd, 0);

    // getFlags: code, input size, output size, then the 28-byte packet.
    const uint32_t frame[] = { 0x1D2004, 28, 32, 0, 6, 0, 0, 3, 4, 0 };
    ASSERT_EQ (::send (fd, frame, sizeof (frame), 0), (ssize_t) sizeof (frame));
    uint32_t reply[2 + 8] = {};
    ASSERT_EQ (::recv (fd, reply, sizeof (reply), MSG_WAITALL), (ssize_t) sizeof (reply));
    EXPECT_EQ (reply[0], 1u);      // success
    EXPECT_EQ (reply[1], 32u);     // bytes returned
    EXPECT_EQ (reply[2 + 0], 0u);  // NT status
    EXPECT_EQ (reply[2 + 4], 3u);  // category echoed
    EXPECT_EQ (reply[2 + 5], 4u);  // command echoed
    EXPECT_EQ (reply[2 + 6], 0u);  // retval

    // A frame claiming 256 MiB of input is not read: the connection ends.
    const uint32_t huge[] = { 0x1D2004, 0x10000000, 32 };
    ::send (fd, huge, sizeof (huge), MSG_NOSIGNAL);
    char c;
    EXPECT_EQ (::recv (fd, &c, 1, 0), 0);
    ::close (fd);
}

TEST_F (BusTest, HandlesAreConnectionsAndFailOnBadInput)
{
    startDaemon ({ "arx" });
    DeviceBusPlatform bus (dir);
    EXPECT_EQ (bus.createFile (path ("nothing")), nullptr);

    auto first = bus.createFile (path ("ARX-1"));
    auto second = bus.createFile (path ("ARX-1"));
    ASSERT_NE (first, nullptr);
    ASSERT_NE (second, nullptr);
    ASSERT_TRUE (transact (*first, 4, 0, { 0, 0x00400000 }, 36).ok);
    first.reset(); // closing one handle leaves the other working
    auto r = transact (*second, 4, 1, { 0 }, 36);
    ASSERT_TRUE (r.ok);
    EXPECT_EQ (r.result (1), 0x00400000u);
    EXPECT_EQ (transact (*second, 3, 4, {}, 8).returned, 0u); // driver refuses a too-small buffer
    EXPECT_EQ ((int) dump ("ARX-1")["mixer"]["outputGain"][0], 0x00400000);

    // Sizes beyond the frame limit are refused before anything is sent.
    std::vector<uint32_t> big (DeviceBusPlatform::maxFrameBytes / 4 + 1, 0);
    uint32_t returned = 0;
    EXPECT_FALSE (second->deviceIoControl (IOCTL_ARX_GWC_TRANSACTION, big.data(), (uint32_t) big.size() * 4, big.data(), 308, returned));
    EXPECT_TRUE (transact (*second, 3, 4, {}, 32).ok);
}

TEST_F (BusTest, MessageWindowSeesArrivalAndRemoval)
{
    startDaemon ({});
    DeviceBusPlatform bus (dir);
    auto window = bus.createMessageWindow();
    ASSERT_NE (window, nullptr);
    ASSERT_TRUE (window->registerDeviceNotification (ARX_INTERFACE_CLASS));

    auto [rc, name] = cli ({ "plug", "--profile", "stereo", "--name", "Desk" });
    ASSERT_EQ (rc, 0);
    EXPECT_EQ (name, "Desk");
    Win32Message m;
    ASSERT_TRUE (nextMessage (*window, m));
    EXPECT_EQ (m.message, WM_DEVICECHANGE);
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEARRIVAL);
    EXPECT_EQ (m.broadcast->name, path ("Desk"));
    EXPECT_EQ (bus.createFile (m.broadcast->name) != nullptr, true);

    ASSERT_EQ (cli ({ "unplug", "Desk" }).first, 0);
    ASSERT_TRUE (nextMessage (*window, m));
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEQUERYREMOVE);
    EXPECT_EQ (reinterpret_cast<DevBroadcastDeviceInterface*> (m.lParam)->name, path ("Desk"));
    ASSERT_TRUE (nextMessage (*window, m));
    EXPECT_EQ (m.wParam, (uintptr_t) DBT_DEVICEREMOVECOMPLETE);

    window->postMessage (WM_CLOSE, 0, 0);
    EXPECT_FALSE (nextMessage (*window, m));
}

TEST_F (BusTest, UnplugClosesOpenHandles)
{
    startDaemon ({ "arx" });
    DeviceBusPlatform bus (dir);
    auto h = bus.createFile (path ("ARX-1"));
    ASSERT_TRUE (transact (*h, 3, 4, {}, 32).ok);
    ASSERT_EQ (cli ({ "fault", "ARX-1", "--unplug-after", "1" }).first, 0);
    EXPECT_TRUE (transact (*h, 3, 4, {}, 32).ok); // the last one before it goes
    EXPECT_FALSE (transact (*h, 3, 4, {}, 32).ok);
    EXPECT_EQ (countEntries(), 0);
    EXPECT_NE (cli ({ "dump", "ARX-1" }).first, 0);
}

TEST_F (BusTest, FaultsReachTheClientAsStatusWords)
{
    startDaemon ({ "arx" });
    DeviceBusPlatform bus (dir);
    auto h = bus.createFile (path ("ARX-1"));

    ASSERT_EQ (cli ({ "fault", "ARX-1", "--nt-status", "0xC0120090", "--count", "1" }).first, 0);
    EXPECT_EQ (transact (*h, 3, 4, {}, 32).status(), STATUS_RETRY_LATER);
    EXPECT_EQ (transact (*h, 3, 4, {}, 32).status(), 0u);

    ASSERT_EQ (cli ({ "fault", "ARX-1", "--nt-status", "0x102", "--count", "1" }).first, 0);
    EXPECT_EQ (transact (*h, 3, 4, {}, 32).status(), STATUS_TIMEOUT);

    ASSERT_EQ (cli ({ "fault", "ARX-1", "--retval", "12", "--count", "1" }).first, 0);
    EXPECT_EQ (transact (*h, 3, 4, {}, 32).retval(), 12u);
    ASSERT_EQ (cli ({ "fault", "ARX-1", "--retval", "7", "--count", "1" }).first, 0);
    EXPECT_EQ (transact (*h, 3, 4, {}, 32).retval(), 7u);

    ASSERT_EQ (cli ({ "fault", "ARX-1", "--fail", "--count", "1" }).first, 0);
    EXPECT_FALSE (transact (*h, 3, 4, {}, 32).ok);
    EXPECT_TRUE (transact (*h, 3, 4, {}, 32).ok); // the connection survives a failed request

    // The FireWire clock input (source 1) loses its signal; S/PDIF (3) keeps it.
    const auto statusBits = [&] { return transact (*h, 0, 1, {}, 124).result (0); };
    EXPECT_EQ (statusBits() & 0x0Au, 0x0Au);
    ASSERT_EQ (cli ({ "fault", "ARX-1", "--no-signal", "1" }).first, 0);
    EXPECT_EQ (statusBits() & 0x0Au, 0x08u);
    EXPECT_EQ ((int) dump ("ARX-1")["faults"]["signalLost"], 2);
    EXPECT_EQ (cli ({ "fault", "ARX-1", "--no-signal", "0" }).first, 1); // the internal clock has no input

    // A corrupt descriptor: the device names a session base near the end of the address space.
    ASSERT_EQ (cli ({ "fault", "ARX-1", "--session-base", "0xFFFFF000" }).first, 0);
    EXPECT_EQ (transact (*h, 1, 4, {}, 32).result (0), 0xFFFFF000u);

    ASSERT_EQ (cli ({ "fault", "ARX-1", "--refuse-buffer-size", "on" }).first, 0);
    EXPECT_NE (driverRequest (*h, 9, { 512 }).word (0), 0u);
    ASSERT_EQ (cli ({ "fault", "ARX-1", "--clear" }).first, 0);
    EXPECT_EQ (driverRequest (*h, 9, { 512 }).word (0), 0u);
    EXPECT_EQ (statusBits() & 0x0Au, 0x0Au);
    EXPECT_EQ (transact (*h, 1, 4, {}, 32).result (0), 0x1E0000u);

    EXPECT_EQ ((int) dump ("ARX-1")["requests"]["driver"]["9"], 2);
    EXPECT_EQ (cli ({ "fault", "ARX-1", "--latency" }).first, 2);
    EXPECT_NE (cli ({ "fault", "Nobody", "--clear" }).first, 0);
    EXPECT_EQ (cli ({ "frobnicate" }).first, 2);
}

TEST_F (BusTest, ReplugUnderTheSameNameKeepsFlash)
{
    startDaemon ({ "arx:Keep" });
    DeviceBusPlatform bus (dir);
    {
        auto h = bus.createFile (path ("Keep"));
        ASSERT_EQ (transact (*h, 1, 0, { 0x100000 }).retval(), 0u);
        for (int i = 0; i < 200 && transact (*h, 1, 3, {}).retval() != 0; ++i)
            juce::Thread::sleep (5); // the part erases
        std::vector<uint32_t> params = { 0x100000, 2, 0xCAFEF00D, 0x12345678 };
        params.resize (66, 0);
        ASSERT_EQ (transact (*h, 1, 2, params).retval(), 0u);
    }
    ASSERT_EQ (cli ({ "unplug", "Keep" }).first, 0);
    ASSERT_EQ (cli ({ "plug", "--name", "Keep" }).first, 0);
    auto h = bus.createFile (path ("Keep"));
    ASSERT_NE (h, nullptr);
    auto r = transact (*h, 1, 1, { 0x100000, 2 });
    EXPECT_EQ (r.result (2), 0xCAFEF00Du);
    EXPECT_EQ (r.result (3), 0x12345678u);
    auto flash = dump ("Keep")["flash"];
    EXPECT_EQ ((int) flash["writeCount"], 1);
    EXPECT_FALSE ((bool) flash["sessionBlank"]);
}
