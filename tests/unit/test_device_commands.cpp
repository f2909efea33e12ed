// Every device command against the in-process lab: the packet that reaches the driver, what the
// device model does with it, what comes back, and the result rules with their diagnostics.

#include "test_console_fixture.h"

#include "device/GainCode.h"

#include <gtest/gtest.h>

#include <thread>

namespace arx::test
{
namespace
{

using platform::IOCTL_ARX_DRIVER_REQUEST;
using platform::IOCTL_ARX_GWC_TRANSACTION;

class RecordingLogger : public juce::Logger
{
public:
    RecordingLogger() { juce::Logger::setCurrentLogger (this); }
    ~RecordingLogger() override { juce::Logger::setCurrentLogger (nullptr); }

    void logMessage (const juce::String& message) override
    {
        const juce::ScopedLock sl (lock);
        lines.add (message);
    }

    // All lines since the last call, one per line.
    juce::String take()
    {
        const juce::ScopedLock sl (lock);
        auto result = lines.joinIntoString ("\n");
        lines.clear();
        return result;
    }

private:
    juce::CriticalSection lock;
    juce::StringArray lines;
};

std::vector<uint32_t> words (const sim::SimRequest& r)
{
    std::vector<uint32_t> w ((r.input.size() + 3) / 4, 0);
    if (! r.input.empty())
        std::memcpy (w.data(), r.input.data(), r.input.size());
    return w;
}

struct Expected
{
    uint32_t category, command, length;
    std::vector<uint32_t> params;
    uint32_t inSize, outSize;
};

class DeviceCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE (lab.device, nullptr);
        ASSERT_TRUE (lab.device->isValid());
        lab.sim->takeRequestLog();
    }

    Device& dev() { return *lab.device; }

    bool waitUntilReady()
    {
        bool ready = false;
        for (int tries = 0; tries < 5000 && ! ready; ++tries)
        {
            if (dev().flashStatus (ready) != 0)
                return false;
            if (! ready)
                juce::Thread::sleep (1);
        }
        return ready;
    }

    std::vector<sim::SimRequest> requests() { return lab.sim->takeRequestLog(); }

    void expectSingle (const Expected& e, const char* what)
    {
        const auto log = requests();
        ASSERT_EQ (log.size(), 1u) << what;
        const auto& r = log[0];
        const auto w = words (r);
        EXPECT_EQ (r.code, IOCTL_ARX_GWC_TRANSACTION) << what;
        EXPECT_EQ (r.input.size(), e.inSize) << what;
        EXPECT_EQ (r.outSize, e.outSize) << what;
        ASSERT_GE (w.size(), 7u) << what;
        EXPECT_EQ (w[1], e.length) << what;
        EXPECT_EQ (w[4], e.category) << what;
        EXPECT_EQ (w[5], e.command) << what;
        for (size_t i = 0; i < e.params.size(); ++i)
            EXPECT_EQ (w[7 + i], e.params[i]) << what << " parameter " << i;
    }

    LabDevice lab;
    RecordingLogger logger;
};

TEST_F (DeviceCommands, EveryCommandSendsItsPacket)
{
    float f = 0;
    bool b = false;
    int i1 = 0, i2 = 0;
    int32_t flags = 0;
    uint32_t u = 0;
    uint32_t block[64] {};

    EXPECT_EQ (dev().pollMeters(), 0);
    expectSingle ({ 0, 1, 6, {}, 28, dev().meterReplySize() }, "pollMeters");
    int count = 5;
    EXPECT_EQ (dev().readSessionBlock (12, count, block), 0);
    expectSingle ({ 0, 3, 8, { 12, 5 }, 36, 292 }, "readSessionBlock");

    // The device takes no flash work while it erases: wait as the write-back's ready poll would.
    const auto waitUntilIdle = [this] {
        for (int i = 0; i < 200 && (bool) lab.sim->dump()["flash"]["busy"]; ++i)
            juce::Thread::sleep (5);
    };
    EXPECT_EQ (dev().flashErase (0x10000), 0);
    expectSingle ({ 1, 0, 7, { 0x10000 }, 32, 308 }, "flashErase");
    waitUntilIdle();
    EXPECT_EQ (dev().flashRead (0x10000, 3, block), 0);
    expectSingle ({ 1, 1, 8, { 0x10000, 3 }, 36, 308 }, "flashRead");
    const uint32_t data[2] = { 0x11223344, 0x55667788 };
    EXPECT_EQ (dev().flashWrite (0x10000, 2, data), 0);
    expectSingle ({ 1, 2, 72, { 0x10000, 2, 0x11223344, 0x55667788, 0 }, 292, 308 }, "flashWrite");
    EXPECT_EQ (dev().flashStatus (b), 0);
    expectSingle ({ 1, 3, 6, {}, 28, 308 }, "flashStatus");
    EXPECT_EQ (dev().getSessionBase (u), 0);
    expectSingle ({ 1, 4, 6, {}, 28, 32 }, "getSessionBase");
    EXPECT_EQ (u, lab.sim->sessionBase());
    EXPECT_EQ (dev().flashLock (1), 0);
    expectSingle ({ 1, 5, 7, { 1 }, 32, 308 }, "flashLock");

    EXPECT_EQ (dev().setClock (-1, 96000), 0);
    expectSingle ({ 3, 0, 9, { 0xFFFFFFFF, 96000, 0 }, 40, 28 }, "setClock");
    EXPECT_EQ (dev().getClock (i1, i2), 0);
    expectSingle ({ 3, 1, 6, {}, 28, 40 }, "getClock");
    EXPECT_EQ (dev().changeFlags (2, 1), 0);
    expectSingle ({ 3, 3, 8, { 2, 1 }, 36, 28 }, "changeFlags");
    EXPECT_EQ (dev().getFlags (flags), 0);
    expectSingle ({ 3, 4, 6, {}, 28, 32 }, "getFlags");
    EXPECT_EQ (dev().sendActivate(), 0);
    expectSingle ({ 3, 5, 6, {}, 28, 28 }, "sendActivate");

    EXPECT_EQ (dev().setOutputGain (3, 0.0f), 0);
    expectSingle ({ 4, 0, 8, { 3, 0x01000000 }, 36, 36 }, "setOutputGain");
    EXPECT_EQ (dev().getOutputGain (3, f), 0);
    expectSingle ({ 4, 1, 8, { 3 }, 36, 36 }, "getOutputGain");
    EXPECT_EQ (dev().setOutputMute (3, true), 0);
    expectSingle ({ 4, 2, 8, { 3, 1 }, 36, 36 }, "setOutputMute");
    EXPECT_EQ (dev().getOutputMute (3, b), 0);
    expectSingle ({ 4, 3, 8, { 3 }, 36, 36 }, "getOutputMute");

    EXPECT_EQ (dev().setPlaybackGain (1, 0.0f), 0);
    expectSingle ({ 6, 0, 8, { 1, 0x01000000 }, 36, 36 }, "setPlaybackGain");
    EXPECT_EQ (dev().getPlaybackGain (1, f), 0);
    expectSingle ({ 6, 1, 8, { 1 }, 36, 36 }, "getPlaybackGain");
    EXPECT_EQ (dev().setPlaybackMute (1, true), 0);
    expectSingle ({ 6, 2, 8, { 1, 1 }, 36, 36 }, "setPlaybackMute");
    EXPECT_EQ (dev().getPlaybackMute (1, b), 0);
    expectSingle ({ 6, 3, 8, { 1 }, 36, 36 }, "getPlaybackMute");
    EXPECT_EQ (dev().setPlaybackSolo (1, true), 0);
    expectSingle ({ 6, 4, 8, { 1, 1 }, 36, 36 }, "setPlaybackSolo");
    EXPECT_EQ (dev().getPlaybackSolo (1, b), 0);
    expectSingle ({ 6, 5, 8, { 1 }, 36, 36 }, "getPlaybackSolo");

    EXPECT_EQ (dev().setMonitorGain (0, 1, 0.0f), 0);
    expectSingle ({ 8, 0, 9, { 0, 1, 0x01000000 }, 40, 40 }, "setMonitorGain");
    EXPECT_EQ (dev().getMonitorGain (0, 1, f), 0);
    expectSingle ({ 8, 1, 9, { 0, 1 }, 40, 40 }, "getMonitorGain");
    EXPECT_EQ (dev().setMonitorMute (2, 3, true), 0);
    expectSingle ({ 8, 2, 9, { 2, 3, 1 }, 40, 40 }, "setMonitorMute");
    EXPECT_EQ (dev().getMonitorMute (2, 3, b), 0);
    expectSingle ({ 8, 3, 9, { 2, 3 }, 40, 40 }, "getMonitorMute");
    EXPECT_EQ (dev().setMonitorSolo (2, 3, true), 0);
    expectSingle ({ 8, 4, 9, { 2, 3, 2 }, 40, 40 }, "setMonitorSolo");
    EXPECT_EQ (dev().getMonitorSolo (2, 3, b), 0);
    expectSingle ({ 8, 5, 9, { 2, 3 }, 40, 40 }, "getMonitorSolo");
    EXPECT_EQ (dev().setMonitorPan (2, 3, 1.0f), 0);
    expectSingle ({ 8, 6, 9, { 2, 3, 255 }, 40, 40 }, "setMonitorPan");
    EXPECT_EQ (dev().getMonitorPan (2, 3, f), 0);
    expectSingle ({ 8, 7, 9, { 2, 3 }, 40, 40 }, "getMonitorPan");

    const uint8_t text[5] = { 'h', 'e', 'l', 'l', 'o' };
    EXPECT_EQ (dev().guitarSend (text, 5, b), 0);
    expectSingle ({ 10, 0, 71, { 5, 0x68656C6C, 0x6F000000, 0 }, 288, 32 }, "guitarSend");
    uint8_t in[16] {};
    EXPECT_EQ (dev().guitarReceive (in, 16, count), 0);
    expectSingle ({ 10, 1, 6, {}, 28, 288 }, "guitarReceive");
    EXPECT_EQ (dev().setGuitarControl (2), 0);
    expectSingle ({ 10, 6, 7, { 2 }, 32, 28 }, "setGuitarControl");
    EXPECT_EQ (dev().setGuitarState (true, false, 120), 0);
    expectSingle ({ 10, 7, 9, { 1, 0, 120 }, 40, 28 }, "setGuitarState");
    bool charging = false, autoCharge = false;
    EXPECT_EQ (dev().getGuitarState (charging, autoCharge, u), 0);
    expectSingle ({ 10, 8, 6, {}, 28, 40 }, "getGuitarState");

    EXPECT_TRUE (logger.take().isEmpty());
}

TEST_F (DeviceCommands, MixerCommandsReachTheDeviceAndReadBack)
{
    ASSERT_EQ (dev().setMonitorGain (0, 1, -6.0f), 0);
    ASSERT_EQ (dev().setMonitorPan (0, 1, 0.25f), 0);
    ASSERT_EQ (dev().setMonitorMute (0, 1, true), 0);
    ASSERT_EQ (dev().setMonitorSolo (0, 1, true), 0);
    ASSERT_EQ (dev().setOutputGain (2, -12.5f), 0);
    ASSERT_EQ (dev().setOutputMute (2, true), 0);
    ASSERT_EQ (dev().setPlaybackGain (4, -3.0f), 0);
    ASSERT_EQ (dev().setPlaybackMute (4, true), 0);
    ASSERT_EQ (dev().setPlaybackSolo (5, true), 0);

    const auto m = lab.sim->mixer();
    EXPECT_EQ (m.monitorGain[0][1], gainToCode (-6.0f));
    EXPECT_EQ (m.monitorPan[0][1], panToCode (0.25f));
    EXPECT_EQ (m.monitorMute[0][1], 1);
    EXPECT_EQ (m.monitorSolo[0][1], 2);
    EXPECT_EQ (m.outputGain[2], gainToCode (-12.5f));
    EXPECT_EQ (m.outputMute[2], 1);
    EXPECT_EQ (m.playbackGain[4], gainToCode (-3.0f));
    EXPECT_EQ (m.playbackMute[4], 1);
    EXPECT_EQ (m.playbackSolo[5], 1);

    float gain = 0, pan = 0;
    bool on = false;
    EXPECT_EQ (dev().getMonitorGain (0, 1, gain), 0);
    EXPECT_NEAR (gain, -6.0f, 1.0e-4f);
    EXPECT_EQ (dev().getMonitorPan (0, 1, pan), 0);
    EXPECT_FLOAT_EQ (pan, codeToPan (panToCode (0.25f)));
    EXPECT_EQ (dev().getMonitorSolo (0, 1, on), 0);
    EXPECT_TRUE (on);
    ASSERT_EQ (dev().setMonitorMute (0, 1, false), 0);
    EXPECT_EQ (dev().getMonitorMute (0, 1, on), 0);
    EXPECT_FALSE (on);
    EXPECT_EQ (dev().getOutputGain (2, gain), 0);
    EXPECT_NEAR (gain, -12.5f, 1.0e-4f);
    EXPECT_EQ (dev().getOutputMute (2, on), 0);
    EXPECT_TRUE (on);
    EXPECT_EQ (dev().getPlaybackGain (4, gain), 0);
    EXPECT_NEAR (gain, -3.0f, 1.0e-4f);
    EXPECT_EQ (dev().getPlaybackMute (4, on), 0);
    EXPECT_TRUE (on);
    // The solo answer sits in parameter 1, like the mute's.
    EXPECT_EQ (dev().getPlaybackSolo (5, on), 0);
    EXPECT_TRUE (on);
    EXPECT_EQ (dev().getPlaybackSolo (4, on), 0);
    EXPECT_FALSE (on);

    ASSERT_EQ (dev().setMonitorGain (3, 3, -200.0f), 0);
    EXPECT_EQ (lab.sim->mixer().monitorGain[3][3], 0u);
    EXPECT_EQ (dev().getMonitorGain (3, 3, gain), 0);
    EXPECT_FLOAT_EQ (gain, -144.0f);
}

TEST_F (DeviceCommands, ClockAndFlags)
{
    ASSERT_EQ (dev().setClock (3, 96000), 0);
    int source = -5, rate = -5;
    ASSERT_EQ (dev().getClock (source, rate), 0);
    EXPECT_EQ (source, 3);
    EXPECT_EQ (rate, 96000);

    ASSERT_EQ (dev().setClock (-1, 44100), 0);
    ASSERT_EQ (dev().getClock (source, rate), 0);
    EXPECT_EQ (source, 3);
    EXPECT_EQ (rate, 44100);

    // A clock the device does not have is its error: result 2, values untouched.
    EXPECT_EQ (dev().setClock (2, -1), 2);
    EXPECT_EQ (logger.take(), juce::String ("GWC error for ARX-1 - rval 2"));

    ASSERT_EQ (dev().changeFlags (3, 0), 0);
    ASSERT_EQ (dev().changeFlags (0, 1), 0);
    int32_t flags = 0;
    ASSERT_EQ (dev().getFlags (flags), 0);
    EXPECT_EQ (flags, 2);

    lab.sim->setFaults ({ .failCount = 1 });
    EXPECT_EQ (dev().getFlags (flags), 1);
    EXPECT_EQ (flags, -1);
}

TEST_F (DeviceCommands, FlashCommands)
{
    const uint32_t address = 0x100000;
    ASSERT_EQ (dev().flashErase (address), 0);
    ASSERT_TRUE (waitUntilReady());

    std::vector<uint32_t> data (64);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint32_t (0xA5000000 + i);
    ASSERT_EQ (dev().flashWrite (address, 64, data.data()), 0);
    ASSERT_TRUE (waitUntilReady());

    std::vector<uint32_t> back (64, 0);
    ASSERT_EQ (dev().flashRead (address, 64, back.data()), 0);
    EXPECT_EQ (back, data);

    // More than one reply can carry: nothing is sent.
    requests();
    std::vector<uint32_t> big (65, 0);
    EXPECT_EQ (dev().flashWrite (address, 65, big.data()), 1);
    EXPECT_EQ (dev().flashRead (address, 65, big.data()), 1);
    EXPECT_TRUE (requests().empty());
}

TEST_F (DeviceCommands, FlashStatusBusyIsNotAFailure)
{
    lab.sim->setFaults ({ .busyCount = 1 });
    bool ready = true;
    EXPECT_EQ (dev().flashStatus (ready), 0);
    EXPECT_FALSE (ready);
    EXPECT_EQ (dev().flashStatus (ready), 0);
    EXPECT_TRUE (ready);
}

TEST (DeviceFlashLock, NotSentWhenTheDescriptionSaysSo)
{
    sim::PlugOptions options;
    options.hwinfoOverride = hwinfoWith ([] (sim::SimProfile& p) { p.flags |= 0x10; });
    LabDevice lab (options);
    ASSERT_NE (lab.device, nullptr);
    lab.sim->takeRequestLog();

    EXPECT_EQ (lab.device->flashLock (1), 0);
    EXPECT_TRUE (lab.sim->takeRequestLog().empty());
}

TEST_F (DeviceCommands, SessionBaseRetriesTimeouts)
{
    lab.sim->setFaults ({ .ntStatus = platform::STATUS_RETRY_LATER, .ntStatusCount = 3 });
    uint32_t base = 0;
    EXPECT_EQ (dev().getSessionBase (base), 0);
    EXPECT_EQ (base, lab.sim->sessionBase());
    EXPECT_EQ (requests().size(), 4u);
}

TEST_F (DeviceCommands, SessionBlocksNeverExceedWhatWasAsked)
{
    const auto area = lab.sim->sessionArea();
    uint32_t block[64] {};
    int count = 8;
    ASSERT_EQ (dev().readSessionBlock (4, count, block), 0);
    ASSERT_EQ (count, 8);
    EXPECT_EQ (std::memcmp (block, area.data() + 16, 32), 0);

    count = 100; // at most 64 travel
    ASSERT_EQ (dev().readSessionBlock (0, count, block), 0);
    EXPECT_EQ (count, 64);
    EXPECT_EQ (words (requests().back())[8], 64u);

    // A device that claims more than was asked for delivers only what was asked for.
    lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&) {
        if (isSessionBlockRequest (code, in))
            out[8] = 64;
    };
    uint32_t guard[64];
    std::fill (std::begin (guard), std::end (guard), 0xDEADBEEF);
    count = 2;
    ASSERT_EQ (dev().readSessionBlock (0, count, guard), 0);
    EXPECT_EQ (count, 2);
    EXPECT_EQ (guard[2], 0xDEADBEEFu);

    // A reply cut short while its count word still claims the full block: the count delivered
    // and the quadlets copied follow what arrived.
    lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t*, uint32_t& returned) {
        if (isSessionBlockRequest (code, in))
            returned = 4 * (9 + 10);
    };
    std::fill (std::begin (guard), std::end (guard), 0xDEADBEEF);
    count = 64;
    ASSERT_EQ (dev().readSessionBlock (0, count, guard), 0);
    EXPECT_EQ (count, 10);
    EXPECT_EQ (std::memcmp (guard, area.data(), 40), 0);
    EXPECT_EQ (guard[10], 0xDEADBEEFu);
}

TEST_F (DeviceCommands, MetersFromTheLastPoll)
{
    ASSERT_EQ (dev().pollMeters(), 0);
    const auto& p = lab.sim->profile();
    EXPECT_EQ (dev().meterReplySize(), uint32_t ((p.inputCount() + p.outputCount()) * 4 + 64));
    EXPECT_EQ (dev().outputMeterCount(), p.outputCount());
    EXPECT_EQ (dev().inputMeterCount(), p.inputCount());
    EXPECT_TRUE ((dev().statusBits() & (1u << 30)) != 0); // a guitar is connected
    EXPECT_EQ (dev().outputMeter (p.outputCount()), 0u);
    EXPECT_EQ (dev().inputMeter (-1), 0u);

    // A device that claims more output meters than it sent cannot make readers run off.
    lab.hook.after = [] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t&) {
        if (code == IOCTL_ARX_GWC_TRANSACTION && in[4] == 0 && in[5] == 1)
        {
            out[12] = 100000;
            out[16] = 77;
        }
    };
    ASSERT_EQ (dev().pollMeters(), 0);
    EXPECT_EQ (dev().outputMeterCount(), p.inputCount() + p.outputCount());
    EXPECT_EQ (dev().inputMeterCount(), 0);
    EXPECT_EQ (dev().outputMeter (0), 77u);
    EXPECT_EQ (dev().outputMeter (1000), 0u);

    // A failed poll keeps the last good values.
    lab.hook.after = nullptr;
    lab.sim->setFaults ({ .failCount = 1 });
    EXPECT_EQ (dev().pollMeters(), 1);
    EXPECT_EQ (dev().outputMeter (0), 77u);
}

TEST_F (DeviceCommands, GuitarLink)
{
    const juce::String line ("VERSION?\n");
    bool accepted = false;
    ASSERT_EQ (dev().guitarSend (reinterpret_cast<const uint8_t*> (line.toRawUTF8()), line.length(), accepted), 0);
    EXPECT_TRUE (accepted);
    const auto received = lab.sim->guitarReceived();
    EXPECT_EQ (std::string (received.begin(), received.end()), line.toStdString());

    // Too long: nothing sent, not accepted.
    requests();
    std::vector<uint8_t> tooLong (257, 'x');
    accepted = true;
    EXPECT_EQ (dev().guitarSend (tooLong.data(), 257, accepted), 1);
    EXPECT_FALSE (accepted);
    EXPECT_TRUE (requests().empty());

    // Busy: the command succeeds, the bytes are not accepted.
    lab.sim->setFaults ({ .busyCount = 1 });
    accepted = true;
    EXPECT_EQ (dev().guitarSend (tooLong.data(), 4, accepted), 0);
    EXPECT_FALSE (accepted);

    ASSERT_EQ (dev().setGuitarControl (2), 0);
    EXPECT_EQ (lab.sim->guitarControl(), 2u);
    ASSERT_EQ (dev().setGuitarState (true, false, 42), 0);
    bool charging = false, autoCharge = true;
    uint32_t delay = 0;
    ASSERT_EQ (dev().getGuitarState (charging, autoCharge, delay), 0);
    EXPECT_TRUE (charging);
    EXPECT_FALSE (autoCharge);
    EXPECT_EQ (delay, 42u);
}

TEST_F (DeviceCommands, GuitarReceiveUnpacksAndLimits)
{
    uint32_t waiting = 6;
    lab.hook.after = [&waiting] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t& returned) {
        if (code == IOCTL_ARX_GWC_TRANSACTION && in[4] == 10 && in[5] == 1)
        {
            out[7] = waiting;
            out[8] = 0x4F4B2031; // "OK 1"
            out[9] = 0x320A0000; // "2\n"
            returned = 288;
        }
    };

    uint8_t buffer[8];
    std::fill (std::begin (buffer), std::end (buffer), uint8_t ('#'));
    int n = -1;
    ASSERT_EQ (dev().guitarReceive (buffer, 8, n), 0);
    ASSERT_EQ (n, 6);
    EXPECT_EQ (std::string (buffer, buffer + 6), "OK 12\n");
    EXPECT_EQ (buffer[6], '#');

    std::fill (std::begin (buffer), std::end (buffer), uint8_t ('#'));
    ASSERT_EQ (dev().guitarReceive (buffer, 3, n), 0);
    EXPECT_EQ (n, 3);
    EXPECT_EQ (std::string (buffer, buffer + 4), "OK #");

    for (uint32_t bad : { 0u, 257u, 0xFFFFFFFFu })
    {
        waiting = bad;
        std::fill (std::begin (buffer), std::end (buffer), uint8_t ('#'));
        ASSERT_EQ (dev().guitarReceive (buffer, 8, n), 0);
        EXPECT_EQ (n, 0);
        EXPECT_EQ (buffer[0], '#');
    }

    lab.sim->setFaults ({ .busyCount = 1 });
    waiting = 6;
    n = -1;
    EXPECT_EQ (dev().guitarReceive (buffer, 8, n), 0);
    EXPECT_EQ (n, 0);
}

TEST_F (DeviceCommands, ResultRules)
{
    using platform::STATUS_RETRY_LATER;
    using platform::STATUS_TIMEOUT;

    lab.sim->setFaults ({ .busyCount = 1 });
    EXPECT_EQ (dev().setOutputGain (0, -1.0f), 0);
    EXPECT_TRUE (logger.take().isEmpty());

    lab.sim->setFaults ({ .ntStatus = STATUS_TIMEOUT, .ntStatusCount = 1 });
    EXPECT_EQ (dev().setOutputGain (0, -1.0f), -1);
    EXPECT_EQ (logger.take(), juce::String ("GWR packet timeout for ARX-1 - should try again"));

    lab.sim->setFaults ({ .ntStatus = STATUS_RETRY_LATER, .ntStatusCount = 1 });
    EXPECT_EQ (dev().setOutputGain (0, -1.0f), -1);
    EXPECT_TRUE (logger.take().isEmpty());

    lab.sim->setFaults ({ .ntStatus = 0xC0000001, .ntStatusCount = 1 });
    EXPECT_EQ (dev().setOutputGain (0, -1.0f), 1);
    EXPECT_EQ (logger.take(), juce::String ("GWC - bad NT status for ARX-1 - c0000001"));

    lab.sim->setFaults ({ .failCount = 1 });
    EXPECT_EQ (dev().setMonitorMute (1, 2, true), 1);
    EXPECT_EQ (logger.take(), juce::String ("DeviceIoControl failed - cat 8  cmd 2"));

    lab.sim->setFaults ({ .errorRetval = 7, .errorCount = 1 });
    float gain = 99.0f;
    EXPECT_EQ (dev().getOutputGain (0, gain), 2);
    EXPECT_EQ (gain, 99.0f); // untouched on failure
    EXPECT_EQ (logger.take(), juce::String ("GWC error for ARX-1 - rval 7"));
}

TEST_F (DeviceCommands, ShortRepliesAreFailures)
{
    lab.hook.after = [] (uint32_t code, const uint32_t*, uint32_t*, uint32_t& returned) {
        if (code == IOCTL_ARX_GWC_TRANSACTION)
            returned = 28; // header only
    };
    float gain = 5.0f;
    EXPECT_EQ (dev().getOutputGain (0, gain), 1);
    EXPECT_EQ (gain, 5.0f);
    EXPECT_EQ (dev().setOutputGain (0, 0.0f), 0); // nothing to read back: fine
    EXPECT_TRUE (logger.take().startsWith ("GWR packet too short for ARX-1"));
}

TEST_F (DeviceCommands, ConcurrentCommandsNeverMixPackets)
{
    lab.sim->setFaults ({ .latencyMs = 0 });
    constexpr int threads = 4, rounds = 150;
    std::vector<std::thread> workers;
    std::atomic<int> mismatches { 0 };

    for (int t = 0; t < threads; ++t)
    {
        workers.emplace_back ([this, t, &mismatches] {
            for (int r = 0; r < rounds; ++r)
            {
                const int output = t;
                const float dB = -float ((r * 7 + t) % 60);
                const int input = t;
                if (dev().setOutputGain (output, dB) != 0 || dev().setMonitorPan (input, output, float (r % 256) / 255.0f) != 0)
                    ++mismatches;
                float back = 0;
                if (dev().getOutputGain (output, back) != 0 || std::abs (back - dB) > 1.0e-3f)
                    ++mismatches;
                float pan = 0;
                if (dev().getMonitorPan (input, output, pan) != 0 || panToCode (pan) != uint8_t (r % 256))
                    ++mismatches;
                if (r % 10 == 0)
                    dev().pollMeters();
            }
        });
    }
    for (auto& w : workers)
        w.join();

    EXPECT_EQ (mismatches.load(), 0);
    const auto m = lab.sim->mixer();
    for (int t = 0; t < threads; ++t)
    {
        const int r = rounds - 1;
        EXPECT_EQ (m.outputGain[t], gainToCode (-float ((r * 7 + t) % 60)));
        EXPECT_EQ (m.monitorPan[t][t], uint8_t (r % 256));
    }
}

TEST_F (DeviceCommands, DriverRequests)
{
    EXPECT_EQ (dev().driverVersion(), sim::SimDevice::driverVersionWord);

    ASSERT_EQ (dev().setRateLock (true), 0);
    EXPECT_TRUE (lab.sim->rateLock());
    auto log = requests();
    ASSERT_EQ (log.size(), 2u); // the version request and the lock request
    auto w = words (log[1]);
    EXPECT_EQ (log[1].code, IOCTL_ARX_DRIVER_REQUEST);
    EXPECT_EQ (log[1].input.size(), 64u);
    EXPECT_EQ (log[1].outSize, 64u);
    EXPECT_EQ (w[2], 10u);
    EXPECT_EQ (w[3], 0xFFFFFFFFu);
    EXPECT_EQ (w[4], 1u);

    ASSERT_EQ (dev().setRateLock (false), 0);
    EXPECT_FALSE (lab.sim->rateLock());
    w = words (requests()[0]);
    EXPECT_EQ (w[3], 0xFFFFFFFEu);
    EXPECT_EQ (w[4], 0u);

    ASSERT_EQ (dev().setBufferSize (512), 0);
    EXPECT_EQ (lab.sim->bufferSize(), 512u);
    lab.sim->setFaults ({ .refuseBufferSize = true });
    EXPECT_EQ (dev().setBufferSize (1024), 1);
    EXPECT_EQ (lab.sim->bufferSize(), 512u);
    lab.sim->setFaults ({});

    ASSERT_EQ (dev().setRateLock (true), 0);
    ASSERT_EQ (dev().setDriverSampleRate (88200), 0);
    uint32_t rate = 0;
    ASSERT_EQ (dev().driverSampleRate (rate), 0);
    EXPECT_EQ (rate, 88200u);

    ASSERT_EQ (dev().readDriverInfo(), 0);
    EXPECT_TRUE (dev().driverRateLocked());
    EXPECT_EQ (dev().driverInfoSampleRate(), 88200u);
    EXPECT_EQ (dev().driverInfoBufferSize(), 512u);
    EXPECT_EQ (dev().driverInfo (0), sim::SimDevice::driverVersionWord);

    lab.sim->setFaults ({ .failCount = 3 });
    EXPECT_EQ (dev().driverVersion(), 0xFFFFFFFFu);
    EXPECT_EQ (dev().readDriverInfo(), 1);
    EXPECT_EQ (dev().driverSampleRate (rate), 1);
    EXPECT_EQ (dev().driverInfoBufferSize(), 512u); // the last good answer stays
}

TEST (DeviceOpen, CountedOpenAndClose)
{
    LabDevice lab; // opened once by the fixture
    ASSERT_NE (lab.device, nullptr);
    EXPECT_EQ (lab.sim->requestCount ("7"), 1);
    EXPECT_EQ (lab.device->driverOpenValue(), 1u);

    lab.device->open();
    EXPECT_EQ (lab.device->openCount(), 2);
    EXPECT_EQ (lab.sim->requestCount ("7"), 1);

    lab.device->close();
    EXPECT_EQ (lab.device->sendActivate(), 0); // still open

    RecordingLogger logger;
    lab.device->close();
    EXPECT_EQ (lab.device->openCount(), 0);
    EXPECT_EQ (lab.device->sendActivate(), 1);
    EXPECT_EQ (logger.take(), juce::String ("DeviceIoControl failed - cat 3  cmd 5"));
    lab.device->close(); // no underflow
    EXPECT_EQ (lab.device->openCount(), 0);
    lab.device->open(); // the fixture closes once more
}

TEST (DeviceOpen, UnpluggedDeviceCannotBeOpened)
{
    LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    lab.device->close();
    lab.lab.unplug (lab.sim->uniqueName());

    EXPECT_FALSE (lab.device->open());
    EXPECT_FALSE (lab.device->isValid());
    EXPECT_EQ (lab.device->errorText(), "Could not create file handle");
    lab.device = nullptr;
}

Device::Ptr deviceFor (platform::Platform& platform, const sim::SimDevice& simDevice)
{
    auto set = platform.getClassDevs (platform::ARX_INTERFACE_CLASS);
    platform::DeviceInterfaceData data;
    for (int i = 0; set != nullptr && set->enumDeviceInterface (i, data); ++i)
        if (data.devicePath == sim::DeviceLab::devicePath (simDevice.uniqueName()))
            return Device::Ptr (new Device (platform, *set, data));
    return {};
}

TEST (DeviceRegistry, NamesAndDescriptions)
{
    sim::DeviceLab lab;
    sim::InProcessPlatform platform (lab);

    sim::PlugOptions longName;
    longName.uniqueName = "Long";
    juce::MemoryBlock name;
    for (int i = 0; i < 64; ++i)
        name.append ("N", 1);
    longName.uniqueNameOverride = name;
    auto* simLong = lab.plug (longName);
    ASSERT_NE (simLong, nullptr);
    auto device = deviceFor (platform, *simLong);
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->uniqueName(), juce::String::repeatedString ("N", 63));

    simLong->setUniqueNameValue (std::nullopt);
    device = deviceFor (platform, *simLong);
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->uniqueName(), "Glintwork");
    EXPECT_TRUE (device->isValid());

    sim::PlugOptions none;
    none.profile = "no-hwinfo";
    auto* simNone = lab.plug (none);
    ASSERT_NE (simNone, nullptr);
    device = deviceFor (platform, *simNone);
    ASSERT_NE (device, nullptr);
    EXPECT_FALSE (device->isValid());
    EXPECT_EQ (device->info().vendorId(), 0u);

    sim::PlugOptions shortCaps;
    shortCaps.uniqueName = "Short";
    juce::MemoryBlock caps (hwinfoWith ([] (sim::SimProfile&) {}));
    caps.setSize (20);
    shortCaps.hwinfoOverride = caps;
    auto* simShort = lab.plug (shortCaps);
    ASSERT_NE (simShort, nullptr);
    device = deviceFor (platform, *simShort);
    ASSERT_NE (device, nullptr);
    EXPECT_TRUE (device->isValid());
    EXPECT_EQ (device->info().vendorId(), 0x75Bu);
    EXPECT_EQ (device->info().inputCount(), 0);
    EXPECT_EQ (device->meterReplySize(), 64u);
}

TEST (DeviceRegistry, MeterReplySizeIsCapped)
{
    sim::DeviceLab lab;
    sim::InProcessPlatform platform (lab);
    sim::PlugOptions options;
    options.hwinfoOverride = hwinfoWith ([] (sim::SimProfile& p) { p.inputGroups = { { 0, 200 }, { 0, 200 } }; });
    auto* simDevice = lab.plug (options);
    ASSERT_NE (simDevice, nullptr);
    auto device = deviceFor (platform, *simDevice);
    ASSERT_NE (device, nullptr);
    EXPECT_EQ (device->meterReplySize(), 464u);
}

} // namespace
} // namespace arx::test
