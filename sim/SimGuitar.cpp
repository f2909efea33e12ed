#include "sim/SimGuitar.h"

#include <algorithm>
#include <cstring>

namespace arx::sim
{
namespace
{
constexpr size_t packetBytes = 77;
constexpr size_t packetDataBytes = 64;
constexpr size_t maxLineBytes = 256;
constexpr uint32_t maxFirmwareBytes = 131072;
constexpr uint32_t firmwareStartOffset = 0x1000; // the file's start word lies this far above the address

void putBigEndian (juce::MemoryOutputStream& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.writeByte ((char) (uint8_t) (value >> shift));
}

void putLittleEndian (uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (uint8_t) (value >> (8 * i));
}
} // namespace

juce::var SimGuitarFaults::toVar() const
{
    auto* o = new juce::DynamicObject();
    o->setProperty ("silentReplies", silentReplies);
    o->setProperty ("negativeReplies", negativeReplies);
    o->setProperty ("badCrcPackets", badCrcPackets);
    o->setProperty ("undetectable", undetectable);
    o->setProperty ("noCrcCommand", noCrcCommand);
    return juce::var (o);
}

SimGuitar::SimGuitar() : lastPlayedMs (nowMs()) {}

double SimGuitar::nowMs() const
{
    return juce::Time::getMillisecondCounterHiRes();
}

//==============================================================================
// Mode and charging

void SimGuitar::setControl (uint32_t value)
{
    const bool hex = value == 2;
    if (hex != hexWanted)
        modeSinceMs = nowMs();
    hexWanted = hex;
    control = value;
    lastPlayedMs = nowMs(); // a mode change wakes the guitar up
}

void SimGuitar::setState (bool charging, bool automatic, uint32_t delaySeconds)
{
    chargingNow = charging;
    autoCharge = automatic;
    chargeDelay = delaySeconds;
}

bool SimGuitar::isCharging() const
{
    if (! connected)
        return false;
    return chargingNow || (autoCharge && nowMs() - lastPlayedMs >= 1000.0 * chargeDelay);
}

bool SimGuitar::isHexMode() const
{
    return connected && hexWanted && ! faults.undetectable && nowMs() - modeSinceMs >= hexSwitchMs;
}

uint32_t SimGuitar::statusBits() const
{
    uint32_t bits = 0;
    if (isCharging())
        bits |= 1u << 29;
    if (connected)
        bits |= 1u << 30;
    if (isHexMode())
        bits |= 1u << 31;
    return bits;
}

void SimGuitar::connect (bool isConnected)
{
    connected = isConnected;
    pending.clear();
    input.clear();
    loader = {};
    if (connected)
        lastPlayedMs = nowMs();
}

void SimGuitar::strum()
{
    lastPlayedMs = nowMs();
}

void SimGuitar::setIdleSeconds (double seconds)
{
    lastPlayedMs = nowMs() - 1000.0 * std::max (0.0, seconds);
}

void SimGuitar::setMode (bool hex)
{
    hexWanted = hex;
    control = hex ? 2u : 0u;
    modeSinceMs = nowMs() - hexSwitchMs;
    lastPlayedMs = nowMs();
}

//==============================================================================
// The loader's text protocol

bool SimGuitar::receiveFromHost (const uint8_t* data, size_t length)
{
    if (! connected)
        return false;
    received.insert (received.end(), data, data + length);
    input.insert (input.end(), data, data + length);
    takeCommands();
    return true;
}

std::vector<uint8_t> SimGuitar::takeForHost (size_t maxBytes)
{
    auto n = std::min (maxBytes, pending.size());
    std::vector<uint8_t> out (pending.begin(), pending.begin() + (std::ptrdiff_t) n);
    pending.erase (pending.begin(), pending.begin() + (std::ptrdiff_t) n);
    return out;
}

// Commands start with ':'; a packet is 77 bytes, every other command ends with a line feed.
void SimGuitar::takeCommands()
{
    for (;;)
    {
        auto start = std::find (input.begin(), input.end(), (uint8_t) ':');
        input.erase (input.begin(), start);
        if (input.empty())
            return;

        static const uint8_t packetStart[] = { ':', 'P', 'N', 'R', ' ' };
        const bool isPacket = input.size() >= sizeof (packetStart)
                              && std::equal (std::begin (packetStart), std::end (packetStart), input.begin());
        if (isPacket)
        {
            if (input.size() < packetBytes)
                return;
            packet (input.data());
            input.erase (input.begin(), input.begin() + (std::ptrdiff_t) packetBytes);
            continue;
        }

        auto end = std::find (input.begin(), input.end(), (uint8_t) '\n');
        if (end == input.end())
        {
            if (input.size() > maxLineBytes)
                input.clear(); // not a command of ours
            return;
        }
        command (juce::String::fromUTF8 ((const char*) input.data(), (int) (end - input.begin())));
        input.erase (input.begin(), end + 1);
    }
}

// Sends `text`, or `negative` when a fault asks for a negative answer; nothing when silent.
void SimGuitar::answer (const juce::String& text, const char* negative)
{
    const auto reply = faults.negativeReplies > 0 ? juce::String (negative) : text;
    if (faults.negativeReplies > 0)
        --faults.negativeReplies;
    pending.insert (pending.end(), reply.toRawUTF8(), reply.toRawUTF8() + reply.getNumBytesAsUTF8());
}

void SimGuitar::command (const juce::String& line)
{
    if (faults.silentReplies > 0)
    {
        --faults.silentReplies;
        return;
    }

    juce::StringArray words;
    words.addTokens (line, " ", {});
    words.removeEmptyStrings();
    const auto name = words[0];
    if (words.size() < 2 || (uint32_t) words[1].getIntValue() != target)
    {
        if (name != ":CDHI" && name != ":CCRC" && name != ":CINI")
            answer ("COMMAND ERROR\r", "COMMAND ERROR\r");
        return; // addressed to another part of the guitar
    }

    if (name == ":CDHI")
    {
        loader = {};
        loader.greeted = true;
        answer ("RDHI\r", "RDHI BUSY\r");
    }
    else if (name == ":CCRC" && words.size() == 3)
    {
        if (faults.noCrcCommand)
            return answer ("COMMAND ERROR\r", "COMMAND ERROR\r");
        if (! loader.greeted)
            return answer ("RCRC SEQERROR\r", "RCRC SEQERROR\r");
        loader.haveCrc = true;
        loader.crc = (uint32_t) words[2].getHexValue64();
        answer ("RCRC\r", "RCRC ERROR\r");
    }
    else if (name == ":CINI" && words.size() == 5)
    {
        const auto version = (uint32_t) words[2].getLargeIntValue();
        const auto length = (uint32_t) words[3].getLargeIntValue();
        const auto address = (uint32_t) words[4].getHexValue64();

        uint8_t block[16];
        putLittleEndian (block, target);
        putLittleEndian (block + 4, version);
        putLittleEndian (block + 8, length);
        putLittleEndian (block + 12, address);

        if (! loader.greeted)
            return answer ("RINI SEQERROR\r", "RINI SEQERROR\r");
        if (loader.haveCrc && loaderCrc (block, sizeof (block)) != loader.crc)
            return answer ("RINI CRCERROR\r", "RINI CRCERROR\r");
        if (length < packetDataBytes || length > maxFirmwareBytes)
            return answer ("RINI ERROR\r", "RINI ERROR\r");

        loader.initialised = true;
        loader.version = version;
        loader.length = length;
        loader.address = address;
        loader.nextPacket = 0;
        loader.data.clear();
        answer ("RINI\r", "RINI ERROR\r");
    }
    else
    {
        answer ("COMMAND ERROR\r", "COMMAND ERROR\r");
    }
}

void SimGuitar::packet (const uint8_t* bytes)
{
    if (faults.silentReplies > 0)
    {
        --faults.silentReplies;
        return;
    }
    if (bytes[5] != (uint8_t) ('0' + target) || bytes[6] != ' ')
        return; // another part's packet

    const int index = (bytes[7] << 8) | bytes[8];
    const uint8_t* data = bytes + 9;
    const uint32_t crc = (uint32_t) bytes[73] | ((uint32_t) bytes[74] << 8) | ((uint32_t) bytes[75] << 16)
                         | ((uint32_t) bytes[76] << 24);

    auto acknowledge = [this, index] {
        const char reply[] = { 'R', 'P', 'N', 'R', ' ', (char) (index >> 8), (char) index, '\r' };
        if (faults.negativeReplies > 0)
            return answer ({}, "RPNR WRITEERROR\r");
        pending.insert (pending.end(), reply, reply + sizeof (reply));
    };

    if (! loader.initialised)
        return answer ("RPNR PACKETERROR\r", "RPNR PACKETERROR\r");
    if (faults.badCrcPackets > 0 || loaderCrc (data, packetDataBytes) != crc)
    {
        faults.badCrcPackets = std::max (0, faults.badCrcPackets - 1);
        return answer ("RPNR CRCERROR\r", "RPNR CRCERROR\r");
    }
    if (index == loader.nextPacket - 1)
        return acknowledge(); // the console missed our answer and sent it again
    if (index != loader.nextPacket)
        return answer ("RPNR PACKETERROR\r", "RPNR PACKETERROR\r");

    const bool negative = faults.negativeReplies > 0;
    acknowledge();
    if (negative)
        return;

    loader.data.insert (loader.data.end(), data, data + packetDataBytes);
    ++loader.nextPacket;
    if ((uint32_t) loader.nextPacket == loader.length / packetDataBytes)
        finishFirmware();
}

// The last packet is in: the guitar takes the firmware and restarts in live mode.
void SimGuitar::finishFirmware()
{
    firmware.present = true;
    firmware.target = target;
    firmware.version = loader.version;
    firmware.length = (uint32_t) loader.data.size();
    firmware.address = loader.address;
    firmware.crc = loaderCrc (loader.data.data(), loader.data.size());
    firmware.packets = loader.nextPacket;
    loader = {};
    hexWanted = false;
    control = 0;
    modeSinceMs = nowMs();
}

//==============================================================================
uint32_t SimGuitar::loaderCrc (const uint8_t* data, size_t length)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i)
    {
        const uint8_t widened[4] = { 0, 0, 0, data[i] };
        for (auto byte : widened)
        {
            crc ^= (uint32_t) byte << 24;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return crc;
}

juce::MemoryBlock SimGuitar::firmwareFile (uint32_t dataLength, uint32_t version, uint32_t forTarget,
                                           const juce::String& name)
{
    juce::MemoryOutputStream out;
    out.writeByte ((char) (uint8_t) forTarget);
    putBigEndian (out, 0);
    for (auto c : name)
    {
        out.writeByte ((char) (uint8_t) (c >> 8));
        out.writeByte ((char) (uint8_t) c);
    }
    out.writeShort (0);
    putBigEndian (out, 0x10000 + firmwareStartOffset);
    putBigEndian (out, version);
    putBigEndian (out, dataLength);

    juce::Random random ((juce::int64) version * 7919 + dataLength);
    for (uint32_t i = 0; i < dataLength; ++i)
        out.writeByte ((char) (uint8_t) random.nextInt (256));
    return out.getMemoryBlock();
}

juce::var SimGuitar::toVar() const
{
    auto* fw = new juce::DynamicObject();
    fw->setProperty ("present", firmware.present);
    fw->setProperty ("target", (juce::int64) firmware.target);
    fw->setProperty ("version", (juce::int64) firmware.version);
    fw->setProperty ("length", (juce::int64) firmware.length);
    fw->setProperty ("address", (juce::int64) firmware.address);
    fw->setProperty ("crc", (juce::int64) firmware.crc);
    fw->setProperty ("packets", firmware.packets);

    auto* g = new juce::DynamicObject();
    g->setProperty ("connected", connected);
    g->setProperty ("charging", isCharging());
    g->setProperty ("chargingNow", chargingNow);
    g->setProperty ("autoCharge", autoCharge);
    g->setProperty ("delay", (juce::int64) chargeDelay);
    g->setProperty ("control", (juce::int64) control);
    g->setProperty ("hexMode", isHexMode());
    g->setProperty ("idleSeconds", (nowMs() - lastPlayedMs) / 1000.0);
    g->setProperty ("bytesReceived", (int) received.size());
    g->setProperty ("firmware", juce::var (fw));
    g->setProperty ("faults", faults.toVar());
    return juce::var (g);
}

} // namespace arx::sim
