#pragma once

// The guitar behind the device: connected or not, live or hex mode, its battery charging (on
// request, or automatically once it has not been played for the charge delay), and the text
// protocol of its firmware loader with the firmware it accepted. Faults make it silent, answer
// negatively, find bad CRCs or never reach hex mode (so that it is never detected).
// Not locked: SimDevice serialises access.

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace arx::sim
{

struct SimGuitarFaults
{
    int silentReplies = 0;   // the next N commands get no answer
    int negativeReplies = 0; // the next N commands get a negative answer
    int badCrcPackets = 0;   // the next N packets fail their CRC check
    bool undetectable = false;   // never switches to hex mode
    bool noCrcCommand = false;   // an older loader: answers "COMMAND ERROR" to the CRC command

    juce::var toVar() const;
};

// What the loader took in: the firmware as the guitar runs it after its restart.
struct SimGuitarFirmware
{
    bool present = false;
    uint32_t target = 0, version = 0, length = 0, address = 0, crc = 0;
    int packets = 0;
};

class SimGuitar
{
public:
    static constexpr uint32_t defaultTarget = 1;
    static constexpr int hexSwitchMs = 60; // the guitar needs a moment to change mode

    SimGuitar();

    // Bytes the console sent, in the order the guitar receives them (big-endian quadlets
    // already unpacked). Returns false when the guitar does not take them.
    bool receiveFromHost (const uint8_t* data, size_t length);

    // Up to `maxBytes` bytes the guitar has for the console; removed from its queue.
    std::vector<uint8_t> takeForHost (size_t maxBytes);

    // Device commands
    void setControl (uint32_t value); // 0 live, 1 detecting, 2 hex mode
    void setState (bool charging, bool automatic, uint32_t delaySeconds);

    // Status bits 29 (charging), 30 (connected) and 31 (hex mode) of the meter poll.
    uint32_t statusBits() const;
    bool isCharging() const;
    bool isHexMode() const;

    // The player and the cable
    void connect (bool isConnected);
    void strum();                         // played now: automatic charging stops
    void setIdleSeconds (double seconds); // as if last played this long ago
    void setMode (bool hex);              // the DVX switch on the guitar

    juce::var toVar() const;

    // The CRC of the guitar's loader: CRC-32/MPEG-2 of every byte widened to four, 0 0 0 b.
    static uint32_t loaderCrc (const uint8_t* data, size_t length);

    // A firmware file for this guitar ("guitar_body.pt2"): `dataLength` bytes of data.
    static juce::MemoryBlock firmwareFile (uint32_t dataLength, uint32_t version = 0x00020003,
                                           uint32_t target = defaultTarget,
                                           const juce::String& name = "ARX guitar body");

    bool connected = true;
    bool chargingNow = false;
    bool autoCharge = true;
    uint32_t chargeDelay = 300;
    uint32_t control = 0;
    uint32_t target = defaultTarget;
    SimGuitarFaults faults;
    SimGuitarFirmware firmware;

    std::vector<uint8_t> received; // everything the host sent, kept for inspection
    std::vector<uint8_t> pending;  // what the host has not fetched yet

private:
    struct Loader
    {
        bool greeted = false;      // ":CDHI" answered
        bool haveCrc = false;
        uint32_t crc = 0;
        bool initialised = false;  // ":CINI" answered
        uint32_t version = 0, length = 0, address = 0;
        int nextPacket = 0;
        std::vector<uint8_t> data;
    };

    void takeCommands();
    void answer (const juce::String& text, const char* negative);
    void command (const juce::String& line);
    void packet (const uint8_t* bytes);
    void finishFirmware();
    double nowMs() const;

    std::vector<uint8_t> input; // bytes not yet forming a whole command
    Loader loader;
    double lastPlayedMs = 0;
    double modeSinceMs = 0;
    bool hexWanted = false;
};

} // namespace arx::sim
