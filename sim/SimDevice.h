#pragma once

// One simulated ARX behind its driver: the three I/O control codes, the command packets applied
// to a mixer model, flash with the session area, meters, the guitar relay, request counters and
// fault injection. Thread-safe: every public call takes the device's own lock, so bus
// connection threads, in-process handles and tests may call at once.

#include "sim/SimFlash.h"
#include "sim/SimGuitar.h"
#include "sim/SimProfiles.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace arx::sim
{

// One request as it reached the driver, failed ones included.
struct SimRequest
{
    uint32_t code = 0;
    std::vector<uint8_t> input;
    uint32_t outSize = 0;
    double atMs = 0.0; // when it reached the driver (juce::Time::getMillisecondCounterHiRes)
};

// Fault injection. Counts run down with each request they hit; 0 = off.
struct SimFaults
{
    int latencyMs = 0;             // every request waits this long first
    uint32_t ntStatus = 0;         // NT status to answer transactions with ...
    int ntStatusCount = 0;         // ... for the next N of them
    double ntStatusShare = 0.0;    // ... or for this share (0..1) of them
    int busyCount = 0;             // retval 12 for the next N transactions (still carried out)
    uint32_t errorRetval = 0;      // another retval ...
    int errorCount = 0;            // ... for the next N transactions (not carried out)
    int failCount = 0;             // DeviceIoControl fails for the next N requests of any code
    bool refuseBufferSize = false; // driver request 9 answers a refusal
    int unplugAfter = 0;           // the device goes away after N more requests
    uint32_t signalLost = 0;       // clock sources (bit = source index) whose input has no signal
    bool silentMeters = false;     // every meter reads silence: an idle console with nothing to show
    int64_t reportedSessionBase = -1; // 0 and up: the session base the device gives (a corrupt
                                      // descriptor); its session stays where it is

    juce::var toVar() const;
};

// The mixer model, as the device's audio path holds it.
struct SimMixer
{
    static constexpr int channels = 40;
    uint32_t monitorGain[channels][channels] {};
    uint8_t monitorMute[channels][channels] {};
    uint8_t monitorSolo[channels][channels] {};
    uint8_t monitorPan[channels][channels] {};
    uint32_t playbackGain[channels] {};
    uint8_t playbackMute[channels] {};
    uint8_t playbackSolo[channels] {};
    uint32_t outputGain[channels] {};
    uint8_t outputMute[channels] {};
    uint32_t clockSource = 0;
    uint32_t sampleRate = 48000;
    uint32_t flags = 0;
};

class SimDevice
{
public:
    // Driver and device result codes
    static constexpr uint32_t retvalBusy = 12;
    static constexpr uint32_t retvalBadCommand = 1;
    static constexpr uint32_t retvalBadParameter = 2;
    static constexpr uint32_t retvalFlashBusy = 5; // erase, write or read while the flash works
    static constexpr uint32_t driverVersionWord = 0x01040200;

    SimDevice (const SimProfile& profile, const juce::String& uniqueName, uint32_t index,
               std::shared_ptr<SimFlash> flash);
    ~SimDevice();

    // DeviceIoControl as the driver answers it. Any thread.
    bool deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                          uint32_t outSize, uint32_t& returned);

    const SimProfile& profile() const noexcept { return prof; }
    const juce::String& uniqueName() const noexcept { return name; }

    // Registry values as the driver publishes them; absent when the profile has none.
    const juce::MemoryBlock* hwinfoValue() const noexcept;
    void setHwinfoValue (std::optional<juce::MemoryBlock> value);
    const juce::MemoryBlock* uniqueNameValue() const noexcept;
    void setUniqueNameValue (std::optional<juce::MemoryBlock> value);

    // Faults
    void setFaults (const SimFaults& faults);
    void addFault (const SimFaults& faults); // fields that are set override, others stay
    SimFaults faults() const;

    // Whether the device is plugged in; an unplugged device fails every request.
    bool isPresent() const;
    void setPresent (bool present);

    // Called (outside the device lock, on the requesting thread) when the unplug-after fault
    // fires; the lab uses it to unplug the device.
    void setUnplugHandler (std::function<void()> handler);

    // Inspection
    SimMixer mixer() const;
    juce::var dump() const;
    std::vector<SimRequest> takeRequestLog();
    int requestCount (const juce::String& key) const; // "gwc" key "1/2" or driver key "9"
    std::map<juce::String, int> gwcCounts() const;
    std::map<juce::String, int> driverCounts() const;
    std::vector<uint8_t> readFlash (uint32_t address, uint32_t length) const;
    std::vector<uint8_t> sessionArea() const; // the stored image bytes, as in flash
    uint32_t sessionBase() const noexcept { return prof.sessionBase; }
    int sessionWrites() const;
    // Commands the device refused: flash work while busy, channels beyond the profile's counts.
    int refusedWhileBusy() const;
    int refusedChannels() const;
    int flashEraseCount() const;
    int flashWriteCount() const;
    uint32_t flashLockValue() const;
    uint32_t bufferSize() const;
    bool rateLock() const;
    uint32_t guitarControl() const;
    std::vector<uint8_t> guitarReceived() const;

    // The guitar, for the lab's commands and for tests, under the device's lock.
    void withGuitar (const std::function<void (SimGuitar&)>& action);

    // Loads the mixer from the session image in flash, as the device does at power-up.
    void loadMixerFromSession();

    // Leaves the session area erased, as a new part or a write-back cut after its erase would.
    void blankSessionArea();

    // The driver applies an endpoint's volume to the device, as the playback gain and mute
    // commands would. False (nothing changes) for a channel the device does not have.
    bool applyDriverPlaybackGain (int channel, uint32_t gainCode);
    bool applyDriverPlaybackMute (int channel, bool on);

    static constexpr size_t requestLogLimit = 10000;

private:
    struct Packet;

    bool transact (const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                   uint32_t& returned);
    bool driverRequest (const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                        uint32_t& returned);
    uint32_t runCommand (Packet& p); // returns the retval
    uint32_t hardwareInfo (Packet& p);
    uint32_t flashCommand (Packet& p);
    uint32_t hardwareControl (Packet& p);
    uint32_t outputCommand (Packet& p);
    uint32_t playbackCommand (Packet& p);
    uint32_t monitorCommand (Packet& p);
    uint32_t guitarCommand (Packet& p);
    bool refuseChannel (uint32_t channel, int count); // true (and counted) when out of range
    int playbackChannels() const noexcept;
    void fillMeters (Packet& p);
    uint32_t statusBits() const;
    void logRequest (uint32_t code, const void* in, uint32_t inSize, uint32_t outSize);
    juce::var firmwareVar() const;
    std::map<juce::String, int> gwcCountsLocked() const;
    std::map<juce::String, int> driverCountsLocked() const;
    bool takeNtStatusFault (uint32_t& status);

    std::shared_ptr<SimFlash> flash; // before prof: the description is read from it
    const SimProfile prof;
    const juce::String name;
    const uint32_t deviceIndex;
    SimGuitar guitar;
    SimMixer mix;
    SimFaults faultState;
    std::optional<juce::MemoryBlock> hwinfo, uniqueNameBytes;
    bool present = true;
    uint32_t bufferSizeSamples = 256;
    bool rateLocked = false;
    int sessionWriteCount = 0;
    int busyRefusals = 0;
    int channelRefusals = 0;
    juce::Random random;
    std::deque<SimRequest> requestLog;
    // Keyed by number: building text keys on every request would cost more than the request.
    std::map<std::pair<uint32_t, uint32_t>, int> gwcCounter; // category, command
    std::map<uint32_t, int> driverCounter;                   // driver sub-request
    std::function<void()> unplugHandler;
    const double startMs;
    mutable juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimDevice)
};

} // namespace arx::sim
