#include "device/Device.h"

#include "device/GainCode.h"
#include "sysvolume/SystemVolumeLink.h"

#include <algorithm>
#include <cstring>

namespace arx
{

using namespace arx::platform;

namespace
{
constexpr uint32_t gwcInputSize (int length) { return uint32_t (4 * (1 + length)); }
constexpr uint32_t headerBytes = 4 * Device::headerWords;
constexpr uint32_t driverSubInfo = 3;
constexpr uint32_t driverSubOpen = 7;
constexpr uint32_t driverSubBufferSize = 9;
constexpr uint32_t driverSubRateLock = 10;
constexpr uint32_t driverSubGetRate = 15;
constexpr uint32_t driverSubSetRate = 16;

void report (const juce::String& line) { juce::Logger::writeToLog (line); }

// Text from a registry value that may lack its terminator or hold bytes that are not UTF-8.
juce::String textFromRegistry (const char* text, uint32_t size)
{
    const auto length = int (strnlen (text, size));

    if (juce::CharPointer_UTF8::isValidString (text, length))
        return juce::String::fromUTF8 (text, length);

    juce::String result;
    for (int i = 0; i < length; ++i)
        result += juce::juce_wchar (static_cast<uint8_t> (text[i]));
    return result;
}

void reverseQuadlets (uint32_t* words, int count) noexcept
{
    for (int i = 0; i < count; ++i)
        words[i] = juce::ByteOrder::swap (words[i]);
}

// A gain read as a code, handed on in dB.
template <typename ReadCode>
int asDecibels (float& dB, ReadCode&& read)
{
    uint32_t gainCode = 0;
    const int code = read (gainCode);
    if (code == Device::resultOk)
        dB = codeToGain (gainCode);
    return code;
}
} // namespace

// One GWC command: what goes into the packet header and how much of the reply is needed.
// Reads send a zero in the place of the value they ask for, so the length matches the set.
struct Device::Command
{
    uint32_t category;
    uint32_t command;
    std::initializer_list<uint32_t> params;
    uint32_t outSize;
    int resultsNeeded = 0; // result words the caller reads on success
    int length = 0;        // 0: 6 + params.size()
};

//==============================================================================
Device::Device (Platform& p, DeviceInfoSet& set, const DeviceInterfaceData& interfaceData,
          NotificationWindow* notificationWindow)
    : platform (p), hardwareInfo (std::make_unique<HardwareInfo>()), path (interfaceData.devicePath)
{
    readRegistry (set, interfaceData);

    if (! valid)
        return;

    const auto wanted = (uint64_t (hardwareInfo->physCountA()) + hardwareInfo->physCountB()) * 4 + 64;
    meterBytes = uint32_t (std::min<uint64_t> (wanted, maxMeterReplySize));

    volumeLink = SystemVolumeLink::create (*this, platform, notificationWindow);
}

Device::~Device()
{
    close();
    volumeLink.reset();
}

void Device::addVolumeListener (juce::ChangeListener* listener)
{
    if (volumeLink != nullptr)
        volumeLink->addChangeListener (listener);
}

void Device::removeVolumeListener (juce::ChangeListener* listener)
{
    if (volumeLink != nullptr)
        volumeLink->removeChangeListener (listener);
}

void Device::readRegistry (DeviceInfoSet& set, const DeviceInterfaceData& data)
{
    auto key = set.openInterfaceRegKey (data);
    if (key == nullptr)
        return;

    uint8_t caps[HardwareInfo::registrySize] {};
    uint32_t size = sizeof (caps);
    if (key->queryValue ("hwinfo_caps", caps, size))
        valid = hardwareInfo->decode (caps, std::min<uint32_t> (size, sizeof (caps)));

    char text[64] {};
    size = sizeof (text);
    if (key->queryValue ("unique_name", text, size) && size <= sizeof (text))
    {
        if (size > 0)
            text[size - 1] = 0;
        name = textFromRegistry (text, size);
    }
    else
    {
        name = "Glintwork";
    }
}

//==============================================================================
bool Device::open()
{
    MutexHolder hold (mutex);

    if (opens > 0)
        return ++opens > 0;

    std::shared_ptr<DeviceHandle> handle = platform.createFile (path);
    if (handle == nullptr)
    {
        error = "Could not create file handle";
        valid = false;
        return false;
    }

    {
        const juce::ScopedLock sl (fileLock);
        file = std::move (handle);
    }
    opens = 1;

    uint32_t block[driverBlockWords] {};
    if (driverRequest (driverSubOpen, block, false, 4) == resultOk)
        openValue = block[3];

    return true;
}

void Device::close()
{
    MutexHolder hold (mutex);

    if (opens <= 0 || --opens > 0)
        return;

    const juce::ScopedLock sl (fileLock);
    file.reset();
}

std::shared_ptr<DeviceHandle> Device::currentFile() const
{
    const juce::ScopedLock sl (fileLock);
    return file;
}

//==============================================================================
int Device::transact (const void* in, uint32_t inSize, void* out, uint32_t outSize)
{
    MutexHolder hold (mutex);

    // Taken first: the reply may land in the same buffer.
    uint32_t category = 0, command = 0;
    if (in != nullptr && inSize >= 24)
    {
        std::memcpy (&category, static_cast<const uint8_t*> (in) + 16, 4);
        std::memcpy (&command, static_cast<const uint8_t*> (in) + 20, 4);
    }

    uint32_t returned = 0;
    auto handle = currentFile();
    const bool ok = handle != nullptr
                    && handle->deviceIoControl (IOCTL_ARX_GWC_TRANSACTION, in, inSize, out, outSize, returned);

    returned = std::min (returned, outSize);
    if (out != nullptr && returned < outSize)
        std::memset (static_cast<uint8_t*> (out) + returned, 0, outSize - returned); // no stale words

    replyBytes = ok ? returned : 0;
    return checkResult (ok, returned, static_cast<const uint32_t*> (out), category, command);
}

int Device::checkResult (bool requestOk, uint32_t returned, const uint32_t* reply, uint32_t category,
                      uint32_t command) const
{
    if (! requestOk)
    {
        report ("DeviceIoControl failed - cat " + juce::String (category) + "  cmd " + juce::String (command));
        return resultFailed;
    }

    // A reply without its header would leave the status and retval to chance.
    if (reply == nullptr || returned < 4)
    {
        report ("GWR packet too short for " + name + " - " + juce::String (returned) + " bytes");
        return resultFailed;
    }

    const uint32_t status = reply[0];

    if (status == STATUS_SUCCESS && returned < headerBytes)
    {
        report ("GWR packet too short for " + name + " - " + juce::String (returned) + " bytes");
        return resultFailed;
    }

    const uint32_t rval = status == STATUS_SUCCESS ? reply[6] : 0;

    if (status == STATUS_SUCCESS && rval == 0)
        return resultOk;

    if (status == STATUS_TIMEOUT)
    {
        report ("GWR packet timeout for " + name + " - should try again");
        return resultTimeout;
    }

    if (status == STATUS_RETRY_LATER)
        return resultTimeout;

    if (status != STATUS_SUCCESS)
    {
        report ("GWC - bad NT status for " + name + " - " + juce::String::toHexString (status));
        return resultFailed;
    }

    if (rval == retvalBusy)
        return resultOk;

    report ("GWC error for " + name + " - rval " + juce::String (int32_t (rval)));
    return resultDeviceError;
}

// Caller holds the mutex whenever it reads results out of `packet` afterwards.
int Device::execute (const Command& c)
{
    MutexHolder hold (mutex);

    const int paramCount = int (c.params.size());
    const int length = c.length != 0 ? c.length : 6 + paramCount;
    jassert (headerWords + paramCount <= packetWords && length + 1 <= packetWords);

    packet[1] = uint32_t (length);
    packet[4] = c.category;
    packet[5] = c.command;
    std::copy (c.params.begin(), c.params.end(), packet + headerWords);

    const int code = transact (packet, gwcInputSize (length), packet, c.outSize);

    if (code == resultOk && replyBytes < 4 * uint32_t (headerWords + c.resultsNeeded))
    {
        report ("GWR packet too short for " + name + " - " + juce::String (replyBytes) + " bytes");
        return resultFailed;
    }

    return code;
}

//==============================================================================
// Category 0
int Device::pollMeters()
{
    MutexHolder hold (mutex);

    packet[1] = 6;
    packet[4] = catHardwareInfo;
    packet[5] = 1;

    const int code = transact (packet, gwcInputSize (6), meterScratch, meterBytes);
    if (code == resultOk)
        publishMeters (replyBytes);
    return code;
}

void Device::publishMeters (uint32_t returnedBytes) noexcept
{
    for (int i = 0; i < meterReplyWords; ++i)
        meterReply[size_t (i)].store (meterScratch[i], std::memory_order_relaxed);
    meterReturned.store (returnedBytes, std::memory_order_release);
}

uint32_t Device::meterReplyWord (int word) const noexcept
{
    const auto available = int (meterReturned.load (std::memory_order_acquire) / 4);
    if (word < 0 || word >= available || word >= meterReplyWords)
        return 0;
    return meterReply[size_t (word)].load (std::memory_order_relaxed);
}

namespace
{
constexpr int meterStatusWord = Device::headerWords + 0;
constexpr int meterCountWord = Device::headerWords + 5;
constexpr int firstMeterWord = Device::headerWords + 9;
} // namespace

uint32_t Device::statusBits() const noexcept
{
    return meterReplyWord (meterStatusWord);
}

int Device::outputMeterCount() const noexcept
{
    const auto available = int (std::min<uint32_t> (meterReturned.load (std::memory_order_acquire) / 4,
                                                     meterReplyWords));
    const auto room = std::max (0, available - firstMeterWord);
    return int (std::min<uint32_t> (meterReplyWord (meterCountWord), uint32_t (room)));
}

int Device::inputMeterCount() const noexcept
{
    const auto available = int (std::min<uint32_t> (meterReturned.load (std::memory_order_acquire) / 4,
                                                     meterReplyWords));
    return std::max (0, available - firstMeterWord - outputMeterCount());
}

uint32_t Device::outputMeter (int index) const noexcept
{
    if (index < 0 || index >= outputMeterCount())
        return 0;
    return meterReplyWord (firstMeterWord + index);
}

uint32_t Device::inputMeter (int index) const noexcept
{
    if (index < 0 || index >= inputMeterCount())
        return 0;
    return meterReplyWord (firstMeterWord + outputMeterCount() + index);
}

int Device::readSessionBlock (uint32_t offsetQuadlets, int& count, uint32_t* dest)
{
    MutexHolder hold (mutex);

    const int asked = juce::jlimit (0, maxBlockQuadlets, count);
    const int code = execute ({ catHardwareInfo, 3, { offsetQuadlets, uint32_t (asked) }, 292, 2 });
    if (code != resultOk)
        return code;

    const auto arrived = int ((replyBytes - 4 * 9) / 4);
    const int delivered = std::min ({ int (std::min<uint32_t> (resultWord (1), maxBlockQuadlets)), asked, arrived });
    if (dest != nullptr && delivered > 0)
        std::memcpy (dest, packet + headerWords + 2, size_t (delivered) * 4);
    count = delivered;
    return code;
}

//==============================================================================
// Category 1
int Device::flashErase (uint32_t address)
{
    return execute ({ catFlash, 0, { address }, 308 });
}

int Device::flashRead (uint32_t address, int count, uint32_t* dest)
{
    if (count < 0 || count > maxBlockQuadlets || (dest == nullptr && count > 0))
        return resultFailed;

    MutexHolder hold (mutex);
    const int code = execute ({ catFlash, 1, { address, uint32_t (count) }, 308, 2 + count });
    if (code == resultOk && count > 0)
        std::memcpy (dest, packet + headerWords + 2, size_t (count) * 4);
    return code;
}

int Device::flashWrite (uint32_t address, int count, const uint32_t* data)
{
    if (count < 0 || count > maxBlockQuadlets || (data == nullptr && count > 0))
        return resultFailed;

    MutexHolder hold (mutex);
    std::fill (packet + headerWords + 2, packet + packetWords, 0u);
    if (count > 0)
        std::memcpy (packet + headerWords + 2, data, size_t (count) * 4);
    return execute ({ catFlash, 2, { address, uint32_t (count) }, 308, 0, 72 });
}

int Device::flashStatus (bool& ready)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catFlash, 3, {}, 308 });
    if (code == resultOk)
        ready = retval() == 0;
    return code;
}

int Device::getSessionBase (uint32_t& base)
{
    MutexHolder hold (mutex);

    const auto start = juce::Time::getMillisecondCounter();
    int code;
    for (;;)
    {
        code = execute ({ catFlash, 4, {}, 32, 1 });
        if (code != resultTimeout || juce::Time::getMillisecondCounter() - start >= 2000)
            break;
        juce::Thread::sleep (1);
    }

    if (code == resultOk)
        base = resultWord (0);
    return code;
}

int Device::flashLock (uint32_t value)
{
    if (hardwareInfo->noFlashLock())
        return resultOk;
    return execute ({ catFlash, 5, { value }, 308 });
}

//==============================================================================
// Category 3
int Device::setClock (int source, int sampleRate)
{
    return execute ({ catHardwareControl, 0, { uint32_t (source), uint32_t (sampleRate), 0 }, 28 });
}

int Device::getClock (int& source, int& sampleRate)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catHardwareControl, 1, {}, 40, 2 });
    if (code == resultOk)
    {
        source = int (resultWord (0));
        sampleRate = int (resultWord (1));
    }
    return code;
}

int Device::changeFlags (uint32_t setMask, uint32_t clearMask)
{
    return execute ({ catHardwareControl, 3, { setMask, clearMask }, 28 });
}

int Device::getFlags (int32_t& flags)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catHardwareControl, 4, {}, 32, 1 });
    flags = code == resultOk ? int32_t (resultWord (0)) : -1;
    return code;
}

int Device::sendActivate()
{
    return execute ({ catHardwareControl, 5, {}, 28 });
}

//==============================================================================
// Category 4
int Device::setOutputGain (int output, float dB)
{
    return setOutputGainCode (output, gainToCode (dB));
}

int Device::setOutputGainCode (int output, uint32_t gainCode)
{
    return execute ({ catOutput, 0, { uint32_t (output), gainCode }, 36 });
}

int Device::getOutputGain (int output, float& dB)
{
    return asDecibels (dB, [&] (uint32_t& gainCode) { return getOutputGainCode (output, gainCode); });
}

int Device::getOutputGainCode (int output, uint32_t& gainCode)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catOutput, 1, { uint32_t (output), 0 }, 36, 2 });
    if (code == resultOk)
        gainCode = resultWord (1);
    return code;
}

int Device::setOutputMute (int output, bool on)
{
    return execute ({ catOutput, 2, { uint32_t (output), on ? 1u : 0u }, 36 });
}

int Device::getOutputMute (int output, bool& on)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catOutput, 3, { uint32_t (output), 0 }, 36, 2 });
    if (code == resultOk)
        on = resultWord (1) != 0;
    return code;
}

//==============================================================================
// Category 6
int Device::setPlaybackGain (int channel, float dB)
{
    return volumeLink != nullptr ? volumeLink->setPlaybackGain (channel, dB) : sendPlaybackGain (channel, dB);
}

int Device::setPlaybackGainCode (int channel, uint32_t gainCode)
{
    return volumeLink != nullptr ? volumeLink->setPlaybackGainCode (channel, gainCode)
                                : sendPlaybackGainCode (channel, gainCode);
}

int Device::setPlaybackMute (int channel, bool on)
{
    return volumeLink != nullptr ? volumeLink->setPlaybackMute (channel, on) : sendPlaybackMute (channel, on);
}

int Device::sendPlaybackGain (int channel, float dB)
{
    return sendPlaybackGainCode (channel, gainToCode (dB));
}

int Device::sendPlaybackGainCode (int channel, uint32_t gainCode)
{
    return execute ({ catPlayback, 0, { uint32_t (channel), gainCode }, 36 });
}

int Device::sendPlaybackMute (int channel, bool on)
{
    return execute ({ catPlayback, 2, { uint32_t (channel), on ? 1u : 0u }, 36 });
}

int Device::getPlaybackGain (int channel, float& dB)
{
    return asDecibels (dB, [&] (uint32_t& gainCode) { return getPlaybackGainCode (channel, gainCode); });
}

int Device::getPlaybackGainCode (int channel, uint32_t& gainCode)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catPlayback, 1, { uint32_t (channel), 0 }, 36, 2 });
    if (code == resultOk)
        gainCode = resultWord (1);
    return code;
}

int Device::getPlaybackMute (int channel, bool& on)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catPlayback, 3, { uint32_t (channel), 0 }, 36, 2 });
    if (code == resultOk)
        on = resultWord (1) != 0;
    return code;
}

int Device::setPlaybackSolo (int channel, bool on)
{
    return execute ({ catPlayback, 4, { uint32_t (channel), on ? 1u : 0u }, 36 });
}

int Device::getPlaybackSolo (int channel, bool& on)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catPlayback, 5, { uint32_t (channel), 0 }, 36, 2 });
    if (code == resultOk)
        on = resultWord (1) != 0;
    return code;
}

//==============================================================================
// Category 8
int Device::setMonitorGain (int input, int output, float dB)
{
    return setMonitorGainCode (input, output, gainToCode (dB));
}

int Device::setMonitorGainCode (int input, int output, uint32_t gainCode)
{
    return execute ({ catMonitor, 0, { uint32_t (input), uint32_t (output), gainCode }, 40 });
}

int Device::getMonitorGain (int input, int output, float& dB)
{
    return asDecibels (dB, [&] (uint32_t& gainCode) { return getMonitorGainCode (input, output, gainCode); });
}

int Device::getMonitorGainCode (int input, int output, uint32_t& gainCode)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catMonitor, 1, { uint32_t (input), uint32_t (output), 0 }, 40, 3 });
    if (code == resultOk)
        gainCode = resultWord (2);
    return code;
}

int Device::setMonitorMute (int input, int output, bool on)
{
    return execute ({ catMonitor, 2, { uint32_t (input), uint32_t (output), on ? 1u : 0u }, 40 });
}

int Device::getMonitorMute (int input, int output, bool& on)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catMonitor, 3, { uint32_t (input), uint32_t (output), 0 }, 40, 3 });
    if (code == resultOk)
        on = resultWord (2) != 0;
    return code;
}

int Device::setMonitorSolo (int input, int output, bool on)
{
    // The device takes the solo bit as the console state stores it (bit 1).
    return execute ({ catMonitor, 4, { uint32_t (input), uint32_t (output), on ? 2u : 0u }, 40 });
}

int Device::getMonitorSolo (int input, int output, bool& on)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catMonitor, 5, { uint32_t (input), uint32_t (output), 0 }, 40, 3 });
    if (code == resultOk)
        on = resultWord (2) != 0;
    return code;
}

int Device::setMonitorPan (int input, int output, float pan)
{
    return execute ({ catMonitor, 6, { uint32_t (input), uint32_t (output), panToCode (pan) }, 40 });
}

int Device::getMonitorPan (int input, int output, float& pan)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catMonitor, 7, { uint32_t (input), uint32_t (output), 0 }, 40, 3 });
    if (code == resultOk)
        pan = codeToPan (uint8_t (std::min<uint32_t> (resultWord (2), 255)));
    return code;
}

//==============================================================================
// Category 10: the guitar takes its text in big-endian quadlets.
int Device::guitarSend (const uint8_t* bytes, int count, bool& accepted)
{
    accepted = false;
    if (count < 0 || count > maxGuitarBytes || (bytes == nullptr && count > 0))
        return resultFailed;

    MutexHolder hold (mutex);
    uint32_t* data = packet + headerWords + 1;
    std::fill (data, data + maxGuitarBytes / 4, 0u);
    if (count > 0)
        std::memcpy (data, bytes, size_t (count));
    reverseQuadlets (data, (count + 3) / 4);

    const int code = execute ({ catGuitar, 0, { uint32_t (count) }, 32, 1, 71 });
    accepted = code == resultOk && retval() == 0 && resultWord (0) != 0;
    return code;
}

int Device::guitarReceive (uint8_t* buffer, int maxBytes, int& count)
{
    MutexHolder hold (mutex);
    count = 0;

    const int code = execute ({ catGuitar, 1, {}, 288, 1 });
    if (code != resultOk || retval() != 0)
        return code;

    const uint32_t waiting = resultWord (0);
    if (waiting == 0 || waiting > uint32_t (maxGuitarBytes) || buffer == nullptr)
        return code;

    const auto arrived = int (replyBytes) - 4 * (headerWords + 1);
    const int n = std::min ({ int (waiting), std::max (0, maxBytes), std::max (0, arrived) });
    uint32_t* data = packet + headerWords + 1;
    reverseQuadlets (data, (n + 3) / 4);
    std::memcpy (buffer, data, size_t (n));
    count = n;
    return code;
}

int Device::setGuitarControl (uint32_t value)
{
    return execute ({ catGuitar, 6, { value }, 28 });
}

int Device::setGuitarState (bool chargingNow, bool autoCharge, uint32_t delaySeconds)
{
    return execute ({ catGuitar, 7, { chargingNow ? 1u : 0u, autoCharge ? 1u : 0u, delaySeconds }, 28 });
}

int Device::getGuitarState (bool& chargingNow, bool& autoCharge, uint32_t& delaySeconds)
{
    MutexHolder hold (mutex);
    const int code = execute ({ catGuitar, 8, {}, 40, 3 });
    if (code == resultOk)
    {
        chargingNow = resultWord (0) != 0;
        autoCharge = resultWord (1) != 0;
        delaySeconds = resultWord (2);
    }
    return code;
}

//==============================================================================
// Driver requests
int Device::driverRequest (uint32_t subCommand, uint32_t* block, bool underMutex, int replyWordsNeeded)
{
    std::unique_ptr<MutexHolder> hold;
    if (underMutex)
        hold = std::make_unique<MutexHolder> (mutex);

    block[1] = 0;
    block[2] = subCommand;

    auto handle = currentFile();
    uint32_t returned = 0;
    constexpr uint32_t blockBytes = driverBlockWords * 4;
    const bool ok = handle != nullptr
                    && handle->deviceIoControl (IOCTL_ARX_DRIVER_REQUEST, block, blockBytes, block, blockBytes, returned);
    if (! ok)
        return resultFailed;

    returned = std::min (returned, blockBytes);
    if (returned < uint32_t (4 * replyWordsNeeded))
    {
        report ("Driver request " + juce::String (subCommand) + " answered short for " + name);
        return resultFailed;
    }
    std::fill (block + (returned + 3) / 4, block + driverBlockWords, 0u);
    return resultOk;
}

uint32_t Device::driverVersion()
{
    auto handle = currentFile();
    uint32_t version = 0, returned = 0;
    if (handle == nullptr
        || ! handle->deviceIoControl (IOCTL_ARX_DRIVER_VERSION, nullptr, 0, &version, sizeof (version), returned)
        || returned < sizeof (version))
        return 0xFFFFFFFFu;
    return version;
}

int Device::readDriverInfo()
{
    MutexHolder hold (mutex);
    uint32_t block[driverBlockWords] {};
    const int code = driverRequest (driverSubInfo, block, true, 3 + driverInfoWords);
    if (code == resultOk)
        for (int i = 0; i < driverInfoWords; ++i)
            driverInfoWordsStore[size_t (i)].store (block[3 + i], std::memory_order_relaxed);
    return code;
}

uint32_t Device::driverInfo (int word) const noexcept
{
    if (word < 0 || word >= driverInfoWords)
        return 0;
    return driverInfoWordsStore[size_t (word)].load (std::memory_order_relaxed);
}

int Device::setBufferSize (uint32_t size)
{
    uint32_t block[driverBlockWords] {};
    block[3] = size;
    const int code = driverRequest (driverSubBufferSize, block, true, 1);
    return code == resultOk && block[0] == 0 ? resultOk : resultFailed;
}

int Device::setRateLock (bool on)
{
    return on ? rateLockRequest (1, -1) : rateLockRequest (0, -2);
}

int Device::rateLockRequest (uint32_t lock, int32_t rateArgument)
{
    uint32_t block[driverBlockWords] {};
    block[3] = uint32_t (rateArgument);
    block[4] = lock;
    return driverRequest (driverSubRateLock, block, true, 0);
}

int Device::driverSampleRate (uint32_t& rate)
{
    uint32_t block[driverBlockWords] {};
    const int code = driverRequest (driverSubGetRate, block, false, 4);
    if (code == resultOk)
        rate = block[3];
    return code;
}

int Device::setDriverSampleRate (uint32_t rate)
{
    uint32_t block[driverBlockWords] {};
    block[3] = rate;
    return driverRequest (driverSubSetRate, block, false, 0);
}

} // namespace arx
