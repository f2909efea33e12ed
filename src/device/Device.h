#pragma once

// One ARX as the driver exposes it: its description, its name, the driver file and every
// exchange with the device. Shared by reference count between the device list, the console
// windows and the threads that use it.
//
// Threads: every command may be called from any thread (hardware thread, message thread,
// flash and guitar update threads, volume callbacks); the device mutex serialises them and is
// held for the whole exchange. Nothing here throws.

#include "device/HardwareInfo.h"
#include "platform/Platform.h"

#include <array>
#include <atomic>
#include <memory>

namespace juce
{
class ChangeListener;
}

namespace arx
{

class SystemVolumeLink;
class NotificationWindow;

class Device : public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<Device>;

    // Command result codes
    static constexpr int resultOk = 0;
    static constexpr int resultTimeout = -1;
    static constexpr int resultFailed = 1;
    static constexpr int resultDeviceError = 2;

    static constexpr int packetWords = 77;
    static constexpr int headerWords = 7; // word 0 (NT status) up to word 6 (retval)
    static constexpr int meterReplyWords = 116;
    static constexpr uint32_t maxMeterReplySize = meterReplyWords * 4;
    static constexpr int driverInfoWords = 9;
    static constexpr int maxBlockQuadlets = 64;
    static constexpr int maxGuitarBytes = 256;
    static constexpr uint32_t retvalBusy = 12;

    // Command categories
    enum Category : uint32_t
    {
        catHardwareInfo = 0,
        catFlash = 1,
        catHardwareControl = 3,
        catOutput = 4,
        catPlayback = 6,
        catMonitor = 8,
        catGuitar = 10
    };

    // Reads the description and the name from the interface's registry key and makes the
    // system volume link; the legacy link hears mixer changes through `notificationWindow`.
    Device (platform::Platform& platform, platform::DeviceInfoSet& set,
         const platform::DeviceInterfaceData& interfaceData,
         NotificationWindow* notificationWindow = nullptr);
    ~Device() override;

    const juce::String& devicePath() const noexcept { return path; }
    const juce::String& uniqueName() const noexcept { return name; }
    const juce::String& errorText() const noexcept { return error; }
    bool isValid() const noexcept { return valid; }
    const HardwareInfo& info() const noexcept { return *hardwareInfo; }
    platform::Mutex& deviceMutex() noexcept { return mutex; }

    // Counted opening of the driver file; true while the file is open.
    bool open();
    void close();
    int openCount() const noexcept { return opens; }

    // One command transaction: `in` goes to the driver, the reply lands in `out`; the NT status
    // and retval of the reply decide the result code. Takes the device mutex.
    int transact (const void* in, uint32_t inSize, void* out, uint32_t outSize);

    //==============================================================================
    // Category 0: hardware information
    int pollMeters();
    uint32_t meterReplySize() const noexcept { return meterBytes; }
    // Results of the last successful poll; safe to read from any thread without the mutex.
    uint32_t statusBits() const noexcept;
    int outputMeterCount() const noexcept;
    int inputMeterCount() const noexcept;
    uint32_t outputMeter (int index) const noexcept;
    uint32_t inputMeter (int index) const noexcept;
    uint32_t meterReplyWord (int word) const noexcept; // 0 past the reply

    // `count` asks for up to 64 quadlets and returns how many arrived.
    int readSessionBlock (uint32_t offsetQuadlets, int& count, uint32_t* dest);

    //==============================================================================
    // Category 1: flash
    int flashErase (uint32_t address);
    int flashRead (uint32_t address, int count, uint32_t* dest);
    int flashWrite (uint32_t address, int count, const uint32_t* data);
    int flashStatus (bool& ready);
    int getSessionBase (uint32_t& base);
    int flashLock (uint32_t value);

    //==============================================================================
    // Category 3: clock and flags
    int setClock (int source, int sampleRate); // -1 leaves a value unchanged
    int getClock (int& source, int& sampleRate);
    int changeFlags (uint32_t setMask, uint32_t clearMask);
    int getFlags (int32_t& flags); // -1 when the code is not 0
    int sendActivate();

    //==============================================================================
    // Category 4: outputs
    // A gain goes to the device as a gain code; the dB forms convert. A level the console state
    // holds goes as its stored code, which a round trip through dB may change by one.
    int setOutputGain (int output, float dB);
    int setOutputGainCode (int output, uint32_t gainCode);
    int getOutputGain (int output, float& dB);
    int getOutputGainCode (int output, uint32_t& gainCode);
    int setOutputMute (int output, bool on);
    int getOutputMute (int output, bool& on);

    //==============================================================================
    // Category 6: playback channels
    // Gain and mute go through the system volume link (a device without a link sends them);
    // the link itself uses sendPlaybackGain/sendPlaybackMute for the packets.
    int setPlaybackGain (int channel, float dB);
    int setPlaybackGainCode (int channel, uint32_t gainCode);
    int setPlaybackMute (int channel, bool on);
    int sendPlaybackGain (int channel, float dB);
    int sendPlaybackGainCode (int channel, uint32_t gainCode);
    int sendPlaybackMute (int channel, bool on);
    int getPlaybackGain (int channel, float& dB);
    int getPlaybackGainCode (int channel, uint32_t& gainCode);
    int getPlaybackMute (int channel, bool& on);
    int setPlaybackSolo (int channel, bool on);
    int getPlaybackSolo (int channel, bool& on);

    //==============================================================================
    // Category 8: monitor mixer, input into output
    int setMonitorGain (int input, int output, float dB);
    int setMonitorGainCode (int input, int output, uint32_t gainCode);
    int getMonitorGain (int input, int output, float& dB);
    int getMonitorGainCode (int input, int output, uint32_t& gainCode);
    int setMonitorMute (int input, int output, bool on);
    int getMonitorMute (int input, int output, bool& on);
    int setMonitorSolo (int input, int output, bool on); // sent as the stored solo bit (2)
    int getMonitorSolo (int input, int output, bool& on);
    int setMonitorPan (int input, int output, float pan);
    int getMonitorPan (int input, int output, float& pan);

    //==============================================================================
    // Category 10: guitar link
    int guitarSend (const uint8_t* bytes, int count, bool& accepted);
    int guitarReceive (uint8_t* buffer, int maxBytes, int& count);
    int setGuitarControl (uint32_t value);
    int setGuitarState (bool chargingNow, bool autoCharge, uint32_t delaySeconds);
    int getGuitarState (bool& chargingNow, bool& autoCharge, uint32_t& delaySeconds);

    //==============================================================================
    // Requests the driver answers itself
    uint32_t driverVersion(); // 0xFFFFFFFF when the request fails
    int readDriverInfo();
    uint32_t driverInfo (int word) const noexcept; // words 3..11 of the last answer
    bool driverRateLocked() const noexcept { return (driverInfo (1) & 1) != 0; }
    uint32_t driverInfoSampleRate() const noexcept { return driverInfo (2); }
    uint32_t driverInfoBufferSize() const noexcept { return driverInfo (8); }
    int setBufferSize (uint32_t size);
    int setRateLock (bool on);
    int rateLockRequest (uint32_t lock, int32_t rateArgument);
    int driverSampleRate (uint32_t& rate);
    int setDriverSampleRate (uint32_t rate);
    uint32_t driverOpenValue() const noexcept { return openValue; }

    //==============================================================================
    // The system volume link. Message thread: listeners hear of volume changes made outside
    // the console. Null for a device that is not valid.
    void addVolumeListener (juce::ChangeListener* listener);
    void removeVolumeListener (juce::ChangeListener* listener);
    SystemVolumeLink* systemVolume() const noexcept { return volumeLink.get(); }

    //==============================================================================
    // A firmware update has rewritten the flash, which ends by erasing the stored session so that
    // the device starts with its defaults: from then on the session area is the update's, and
    // nothing writes a session back until the device has powered up again (a new object).
    void markFirmwareRewritten() noexcept { firmwareRewritten = true; }
    bool isFirmwareRewritten() const noexcept { return firmwareRewritten.load(); }

private:
    struct Command;
    static constexpr int driverBlockWords = 16;

    void readRegistry (platform::DeviceInfoSet& set, const platform::DeviceInterfaceData& data);
    std::shared_ptr<platform::DeviceHandle> currentFile() const;
    int execute (const Command& command);
    int checkResult (bool requestOk, uint32_t returned, const uint32_t* reply, uint32_t category,
                     uint32_t command) const;
    int driverRequest (uint32_t subCommand, uint32_t* block, bool underMutex, int replyWordsNeeded);
    int runMeterPoll();
    void publishMeters (uint32_t returnedBytes) noexcept;
    uint32_t resultWord (int parameter) const noexcept { return packet[headerWords + parameter]; }
    uint32_t retval() const noexcept { return packet[6]; }

    platform::Platform& platform;
    uint32_t packet[packetWords] {};
    std::unique_ptr<HardwareInfo> hardwareInfo;
    juce::String name;
    platform::Mutex mutex;
    juce::String path;
    bool valid = false;
    juce::String error;
    int opens = 0;
    std::shared_ptr<platform::DeviceHandle> file;
    mutable juce::CriticalSection fileLock; // guards `file` for the lock-free driver requests
    uint32_t meterBytes = 64;
    uint32_t meterScratch[meterReplyWords] {};
    std::array<std::atomic<uint32_t>, meterReplyWords> meterReply {};
    std::atomic<uint32_t> meterReturned { 0 };
    std::array<std::atomic<uint32_t>, driverInfoWords> driverInfoWordsStore {};
    uint32_t openValue = 0;
    uint32_t replyBytes = 0; // bytes of the last GWC reply, under the mutex
    std::unique_ptr<SystemVolumeLink> volumeLink;
    std::atomic<bool> firmwareRewritten { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Device)
};

} // namespace arx
