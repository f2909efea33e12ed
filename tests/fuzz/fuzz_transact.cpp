// Every device command fed arbitrary driver replies: a device handle that answers each request
// with the next fuzzer bytes (success flag, byte count, reply bytes).

#include "fuzz_support.h"

#include "device/Device.h"

#include <algorithm>
#include <cstring>

namespace
{

using namespace arx::platform;
using namespace arx::fuzz;

class FuzzHandle : public DeviceHandle
{
public:
    explicit FuzzHandle (ReplySource& s) : source (s) {}

    bool deviceIoControl (uint32_t, const void*, uint32_t, void* out, uint32_t outSize,
                          uint32_t& returned) override
    {
        if ((source.byte() & 7) == 0)
            return false;

        // Claims of any size, also larger than the buffer.
        returned = uint32_t (source.byte()) | (uint32_t (source.byte()) << 8);
        if (out != nullptr)
            source.fill (out, std::min (returned, outSize));
        return true;
    }

private:
    ReplySource& source;
};

class FuzzPlatform : public Platform
{
public:
    explicit FuzzPlatform (ReplySource& s) : source (s) {}

    std::unique_ptr<DeviceInfoSet> getClassDevs (const Guid&) override { return std::make_unique<FuzzSet>(); }
    std::unique_ptr<DeviceHandle> createFile (const juce::String&) override { return std::make_unique<FuzzHandle> (source); }
    std::unique_ptr<MessageWindow> createMessageWindow() override { return nullptr; }
    NamedMutexResult createNamedMutex (const juce::String&) override { return {}; }

private:
    ReplySource& source;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static QuietLogger quiet;
    juce::Logger::setCurrentLogger (&quiet);

    ReplySource source (data, size);
    FuzzPlatform platform (source);
    FuzzSet set;
    DeviceInterfaceData interfaceData { "fuzz" };
    arx::Device::Ptr device (new arx::Device (platform, set, interfaceData));
    device->open();

    volatile uint64_t sink = 0;
    float f = 0;
    bool b = false, b2 = false;
    int i1 = 0, i2 = 0;
    int32_t flags = 0;
    uint32_t u = 0;
    uint32_t block[64] {};
    uint8_t bytes[300] {};

    device->pollMeters();
    sink = sink + device->statusBits();
    for (int m = -1; m <= device->outputMeterCount(); ++m)
        sink = sink + device->outputMeter (m);
    for (int m = -1; m <= device->inputMeterCount(); ++m)
        sink = sink + device->inputMeter (m);

    int count = 64;
    device->readSessionBlock (0, count, block);
    sink = sink + (uint64_t) count;
    device->flashRead (0, 64, block);
    device->flashWrite (0, 64, block);
    device->flashErase (0);
    device->flashStatus (b);
    device->getSessionBase (u);
    device->flashLock (1);
    device->setClock (1, 48000);
    device->getClock (i1, i2);
    device->changeFlags (2, 0);
    device->getFlags (flags);
    device->sendActivate();
    device->setOutputGain (0, -3.0f);
    device->getOutputGain (0, f);
    device->setOutputMute (0, true);
    device->getOutputMute (0, b);
    device->setPlaybackGain (0, -3.0f);
    device->getPlaybackGain (0, f);
    device->setPlaybackMute (0, true);
    device->getPlaybackMute (0, b);
    device->setPlaybackSolo (0, true);
    device->getPlaybackSolo (0, b);
    device->setMonitorGain (0, 1, 0.0f);
    device->getMonitorGain (0, 1, f);
    device->setMonitorMute (0, 1, true);
    device->getMonitorMute (0, 1, b);
    device->setMonitorSolo (0, 1, true);
    device->getMonitorSolo (0, 1, b);
    device->setMonitorPan (0, 1, 0.5f);
    device->getMonitorPan (0, 1, f);
    device->guitarSend (bytes, 256, b);
    int received = 0;
    device->guitarReceive (bytes, (int) sizeof (bytes), received);
    device->guitarReceive (bytes, 5, received);
    device->setGuitarControl (2);
    device->setGuitarState (true, true, 30);
    device->getGuitarState (b, b2, u);
    sink = sink + device->driverVersion();
    device->readDriverInfo();
    device->setBufferSize (256);
    device->setRateLock (true);
    device->driverSampleRate (u);
    device->setDriverSampleRate (48000);
    sink = sink + device->driverInfoBufferSize() + (uint64_t) received;
    (void) sink;

    device->close();
    juce::Logger::setCurrentLogger (nullptr);
    return 0;
}
