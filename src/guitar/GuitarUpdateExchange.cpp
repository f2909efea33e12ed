#include "guitar/GuitarUpdateExchange.h"

#include "guitar/GuitarPacket.h"

namespace arx
{
namespace
{
constexpr uint32_t startOffset = 0x1000; // the file's start word lies this far above the address
constexpr int lineRoom = 64;
constexpr int crcReplyRoom = 32;

bool expired (juce::uint32 since, int limitMs) noexcept
{
    return juce::Time::getMillisecondCounter() - since >= (juce::uint32) limitMs;
}
} // namespace

GuitarUpdateExchange::GuitarUpdateExchange (Device& dev, const GuitarFirmwareData& data)
    : device (dev), link (dev), firmware (data), address (data.startWord() - startOffset), target (data.target()),
      secondWord (data.secondWord()), packetCount ((int) (data.length() / GuitarPacket::dataBytes)),
      dataLength ((int) data.length())
{
}

void GuitarUpdateExchange::run (GuitarUpdateProgress& sink)
{
    progress = &sink;
    resultText = "Unable to communicate with ARX.";

    bool charging = false, automatic = false;
    uint32_t delay = 0;
    if (device.getGuitarState (charging, automatic, delay) != Device::resultOk)
        return;
    if (device.setGuitarState (false, false, delay) != Device::resultOk)
        return;

    if (detect())
        exchange();

    // Charging was switched off for the update only.
    device.setGuitarState (charging, automatic, delay);
}

void GuitarUpdateExchange::exchange()
{
    link.drain();
    progress->setStatus ("Querying the guitar...");
    resultText = "Unable to connect to the guitar.";
    if (stopRequested())
        return;

    state = greet;
    attempts = attemptsPerStep;
    packetIndex = 0;
    while (state != done && attempts >= 1)
    {
        if (const int delay = step(); delay > 0)
            pause (delay);
        pause (10);
        if (stopRequested())
            return;
    }
}

void GuitarUpdateExchange::advanceTo (State next) noexcept
{
    state = next;
    attempts = attemptsPerStep;
}

int GuitarUpdateExchange::step()
{
    switch (state)
    {
        case greet:
            return lineStep (juce::String::formatted (":CDHI %d\n", (int) target), "RDHI\r", "Unable to initialize the guitar",
                             "Initializing...", sendCrc, 210);
        case sendCrc: return crcStep();
        case initialise:
            // The loader reads the second word as a signed number.
            return lineStep (juce::String::formatted (":CINI %d %d %d %x\n", (int) target, (int) secondWord, dataLength,
                                                      (unsigned int) address),
                             "RINI\r", "The guitar firmware update was unsuccessful.", "Writing firmware to the guitar...",
                             writePackets, 20);
        case writePackets: return packetStep();
        case restart: return restartStep();
        default: attempts = 0; return 0;
    }
}

// A command answered by one line: exactly `expected` moves on to `next`.
int GuitarUpdateExchange::lineStep (const juce::String& command, const char* expected, const char* nextResult,
                                    const char* nextStatus, State next, int delayMs)
{
    uint8_t reply[lineRoom];
    if (link.send (command) && GuitarPacket::is (reply, link.receiveLine (reply, lineRoom), expected))
    {
        resultText = nextResult;
        progress->setStatus (nextStatus);
        advanceTo (next);
    }
    else
    {
        failedAttempt();
    }
    return delayMs;
}

int GuitarUpdateExchange::crcStep()
{
    const auto crc = GuitarPacket::headerCrc (target, secondWord, (uint32_t) dataLength, address);
    uint8_t reply[crcReplyRoom];
    if (link.send (juce::String::formatted (":CCRC %d %x\n", (int) target, (unsigned int) crc)))
    {
        // A loader without the CRC command goes on without it.
        const int n = link.receiveLine (reply, crcReplyRoom);
        if (GuitarPacket::is (reply, n, "RCRC\r") || GuitarPacket::is (reply, n, "COMMAND ERROR\r"))
        {
            advanceTo (initialise);
            return 0;
        }
    }
    failedAttempt();
    return 0;
}

int GuitarUpdateExchange::packetStep()
{
    if (packetIndex >= packetCount)
    {
        advanceTo (restart);
        return 0;
    }

    const auto* data = static_cast<const uint8_t*> (firmware.data().getData()) + packetIndex * GuitarPacket::dataBytes;
    const auto packet = GuitarPacket::make ((uint8_t) target, (uint16_t) packetIndex, data);

    // The link has tried for 2000 ms already: a guitar that keeps refusing the packet is gone.
    if (! link.send (packet.data(), GuitarPacket::size))
    {
        attempts = 0;
        return 0;
    }

    uint8_t reply[lineRoom];
    const int n = link.receiveAtLeast (reply, lineRoom, 7);
    const bool acknowledged = GuitarPacket::isPositive (reply, n) && n >= 7
                              && ((reply[5] << 8) | reply[6]) == packetIndex;
    if (! acknowledged)
    {
        failedAttempt();
        return 10;
    }

    progress->setProgress ((double) packetIndex / (double) packetCount);
    ++packetIndex;
    attempts = attemptsPerStep;
    if (packetIndex == packetCount)
        advanceTo (restart);
    return 10;
}

int GuitarUpdateExchange::restartStep()
{
    state = done;
    resultText = "Guitar firmware update complete.";
    succeeded = true;
    progress->setStatus ("Waiting for the guitar to restart...");
    return 5000;
}

//==============================================================================
// The guitar shows that it is there by going into hex mode when asked to.
bool GuitarUpdateExchange::detect()
{
    resultText = "Guitar not detected.";
    progress->setStatus ("Detecting the guitar...");

    const auto start = juce::Time::getMillisecondCounter();
    while (! expired (start, detectMs) && ! stopRequested())
    {
        if (waitForGuitar())
            return true;
        if (setControl (2) == Device::resultOk)
        {
            if (waitForGuitar())
                return true;
            if (setControl (1) == Device::resultOk)
            {
                pause (50);
                setControl (0);
            }
        }
    }
    return false;
}

// A poll that fails (the device has gone) waits like one that did not see hex mode, so that
// detection never turns into requests one after the other.
bool GuitarUpdateExchange::waitForGuitar()
{
    const auto start = juce::Time::getMillisecondCounter();
    for (;;)
    {
        if (device.pollMeters() == Device::resultOk && (device.statusBits() & hexModeBit) != 0)
            return true;
        if (expired (start, 200))
            return false;
        pause (50);
    }
}

int GuitarUpdateExchange::setControl (uint32_t value)
{
    const auto start = juce::Time::getMillisecondCounter();
    for (;;)
    {
        const int code = device.setGuitarControl (value);
        if (code != Device::resultTimeout || expired (start, 500))
            return code;
        pause (100);
    }
}

void GuitarUpdateExchange::pause (int ms)
{
    if (auto* thread = juce::Thread::getCurrentThread())
        thread->wait (ms);
    else
        juce::Thread::sleep (ms);
}

bool GuitarUpdateExchange::stopRequested()
{
    return progress->shouldExit();
}

} // namespace arx
