#pragma once

// The exchange with the guitar that rewrites its firmware: charging off, the guitar detected
// (it answers by switching to hex mode), its loader greeted, the header's CRC and the header
// sent, then the data packet by packet, each acknowledged with its index. Every step has four
// attempts; the result text always names the step that failed. The charge settings are put
// back as they were, whatever happened after they were changed.
//
// Threads: run() on the guitar update thread; the progress sink is called from it. The result
// may be read once run() has returned.

#include "device/Device.h"
#include "guitar/GuitarFirmwareData.h"
#include "guitar/GuitarTextLink.h"

namespace arx
{

// Where the exchange reports, and how it learns that it must stop.
class GuitarUpdateProgress
{
public:
    virtual ~GuitarUpdateProgress() = default;
    virtual void setStatus (const juce::String& text) = 0;
    virtual void setProgress (double value) = 0;
    virtual bool shouldExit() = 0;
};

class GuitarUpdateExchange
{
public:
    static constexpr int attemptsPerStep = 4;
    static constexpr int detectMs = 2000;
    static constexpr uint32_t hexModeBit = 1u << 31;

    enum State
    {
        greet = 5,
        sendCrc = 2,
        initialise = 3,
        writePackets = 8,
        restart = 9,
        done = 10
    };

    GuitarUpdateExchange (Device& device, const GuitarFirmwareData& firmware);

    void run (GuitarUpdateProgress& progress);

    juce::String getResultText() const { return resultText; }
    bool hasSucceeded() const noexcept { return succeeded; }

private:
    void exchange();
    int step(); // acts on the state; the pause that follows it
    int lineStep (const juce::String& command, const char* expected, const char* nextResult, const char* nextStatus,
                  State next, int delayMs);
    int crcStep();
    int packetStep();
    int restartStep();
    void failedAttempt() noexcept { --attempts; }
    void advanceTo (State next) noexcept;

    bool detect();
    bool waitForGuitar();
    int setControl (uint32_t value);
    void pause (int ms);
    bool stopRequested();

    Device& device;
    GuitarTextLink link;
    const GuitarFirmwareData& firmware;
    GuitarUpdateProgress* progress = nullptr;

    juce::String resultText;
    int state = greet;
    int attempts = attemptsPerStep;
    const uint32_t address, target, secondWord;
    const int packetCount, dataLength;
    int packetIndex = 0;
    bool succeeded = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuitarUpdateExchange)
};

} // namespace arx
