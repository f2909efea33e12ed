#include "sim/SimDevice.h"

#include "sim/SimFirmware.h"
#include "sim/SimSessionImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace arx::sim
{
namespace
{
uint32_t readWord (const uint8_t* p) noexcept
{
    return (uint32_t) p[0] | ((uint32_t) p[1] << 8) | ((uint32_t) p[2] << 16) | ((uint32_t) p[3] << 24);
}

void writeWord (uint8_t* p, uint32_t v) noexcept
{
    p[0] = (uint8_t) v;
    p[1] = (uint8_t) (v >> 8);
    p[2] = (uint8_t) (v >> 16);
    p[3] = (uint8_t) (v >> 24);
}

uint32_t reverseBytes (uint32_t v) noexcept { return juce::ByteOrder::swap (v); }

constexpr uint32_t statusInvalidDeviceRequest = 0xC0000010;
constexpr int maxQuadsPerRequest = 64;
constexpr int mixerChannels = SimMixer::channels;
} // namespace

// A transaction: the request words as received (missing words read as 0) and the reply built.
struct SimDevice::Packet
{
    std::vector<uint32_t> in;
    uint32_t inWords = 0;
    std::vector<uint32_t> results; // reply words from word 7 on

    uint32_t category() const noexcept { return in[4]; }
    uint32_t command() const noexcept { return in[5]; }
    uint32_t param (size_t i) const noexcept { return 7 + i < in.size() ? in[7 + i] : 0; }
    bool hasParams (uint32_t n) const noexcept { return inWords >= 7 + n; }
    void echoParams (uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i)
            results.push_back (param (i));
    }
};

juce::var SimFaults::toVar() const
{
    auto* o = new juce::DynamicObject();
    o->setProperty ("latencyMs", latencyMs);
    o->setProperty ("ntStatus", (juce::int64) ntStatus);
    o->setProperty ("ntStatusCount", ntStatusCount);
    o->setProperty ("ntStatusShare", ntStatusShare);
    o->setProperty ("busyCount", busyCount);
    o->setProperty ("errorRetval", (juce::int64) errorRetval);
    o->setProperty ("errorCount", errorCount);
    o->setProperty ("failCount", failCount);
    o->setProperty ("refuseBufferSize", refuseBufferSize);
    o->setProperty ("silentMeters", silentMeters);
    o->setProperty ("unplugAfter", unplugAfter);
    o->setProperty ("signalLost", (juce::int64) signalLost);
    o->setProperty ("reportedSessionBase", (juce::int64) reportedSessionBase);
    return juce::var (o);
}

namespace
{
// A new flash part comes from the factory with its firmware and a session image in place.
std::shared_ptr<SimFlash> poweredFlash (std::shared_ptr<SimFlash> flash, const SimProfile& profile)
{
    if (flash == nullptr)
        flash = std::make_shared<SimFlash>();

    if (flash->eraseCount == 0 && flash->writeCount == 0
        && flash->isBlank (profile.sessionBase, SimSessionImage::bytes))
    {
        SimFirmware::programFactoryImages (*flash, profile);
        auto image = SimSessionImage::factory (profile);
        flash->program (profile.sessionBase, image.data(), (uint32_t) image.size());
    }
    return flash;
}
} // namespace

SimDevice::SimDevice (const SimProfile& profile, const juce::String& uniqueName, uint32_t index,
                      std::shared_ptr<SimFlash> flashMemory)
    : flash (poweredFlash (std::move (flashMemory), profile)),
      prof (SimFirmware::poweredUp (profile, *flash)), name (uniqueName), deviceIndex (index),
      random ((juce::int64) (0x5EED0000u + index)), startMs (juce::Time::getMillisecondCounterHiRes())
{
    if (prof.hasHwinfo)
        hwinfo = SimProfiles::buildHwinfo (prof, deviceIndex);

    uniqueNameBytes = juce::MemoryBlock (name.toRawUTF8(), name.getNumBytesAsUTF8() + 1);
    loadMixerFromSession();
}

SimDevice::~SimDevice() = default;

const juce::MemoryBlock* SimDevice::hwinfoValue() const noexcept
{
    const juce::ScopedLock sl (lock);
    return hwinfo ? &*hwinfo : nullptr;
}

void SimDevice::setHwinfoValue (std::optional<juce::MemoryBlock> value)
{
    const juce::ScopedLock sl (lock);
    hwinfo = std::move (value);
}

const juce::MemoryBlock* SimDevice::uniqueNameValue() const noexcept
{
    const juce::ScopedLock sl (lock);
    return uniqueNameBytes ? &*uniqueNameBytes : nullptr;
}

void SimDevice::setUniqueNameValue (std::optional<juce::MemoryBlock> value)
{
    const juce::ScopedLock sl (lock);
    uniqueNameBytes = std::move (value);
}

void SimDevice::setFaults (const SimFaults& f)
{
    const juce::ScopedLock sl (lock);
    faultState = f;
}

void SimDevice::addFault (const SimFaults& f)
{
    const juce::ScopedLock sl (lock);
    if (f.latencyMs != 0)
        faultState.latencyMs = f.latencyMs;
    if (f.ntStatusCount != 0 || f.ntStatusShare > 0.0)
    {
        faultState.ntStatus = f.ntStatus;
        faultState.ntStatusCount = f.ntStatusCount;
        faultState.ntStatusShare = f.ntStatusShare;
    }
    if (f.busyCount != 0)
        faultState.busyCount = f.busyCount;
    if (f.errorCount != 0)
    {
        faultState.errorRetval = f.errorRetval;
        faultState.errorCount = f.errorCount;
    }
    if (f.failCount != 0)
        faultState.failCount = f.failCount;
    if (f.refuseBufferSize)
        faultState.refuseBufferSize = true;
    if (f.unplugAfter != 0)
        faultState.unplugAfter = f.unplugAfter;
    faultState.signalLost |= f.signalLost;
    if (f.reportedSessionBase >= 0)
        faultState.reportedSessionBase = f.reportedSessionBase;
}

SimFaults SimDevice::faults() const
{
    const juce::ScopedLock sl (lock);
    return faultState;
}

bool SimDevice::isPresent() const
{
    const juce::ScopedLock sl (lock);
    return present;
}

void SimDevice::setPresent (bool isPlugged)
{
    const juce::ScopedLock sl (lock);
    present = isPlugged;
}

void SimDevice::setUnplugHandler (std::function<void()> handler)
{
    const juce::ScopedLock sl (lock);
    unplugHandler = std::move (handler);
}

void SimDevice::logRequest (uint32_t code, const void* in, uint32_t inSize, uint32_t outSize)
{
    SimRequest r;
    // A full log hands its oldest entry over, so a long run does not allocate per request.
    if (requestLog.size() >= requestLogLimit)
    {
        r = std::move (requestLog.front());
        requestLog.pop_front();
    }
    r.code = code;
    r.atMs = juce::Time::getMillisecondCounterHiRes();
    if (in != nullptr && inSize > 0)
        r.input.assign (static_cast<const uint8_t*> (in), static_cast<const uint8_t*> (in) + inSize);
    else
        r.input.clear();
    r.outSize = outSize;
    requestLog.push_back (std::move (r));
}

bool SimDevice::deviceIoControl (uint32_t code, const void* in, uint32_t inSize, void* out,
                                 uint32_t outSize, uint32_t& returned)
{
    returned = 0;
    int latency = 0;
    {
        const juce::ScopedLock sl (lock);
        latency = faultState.latencyMs;
    }
    // Latency is served outside the lock, as a slow bus would be: other handles go on.
    if (latency > 0)
        juce::Thread::sleep (latency);

    std::function<void()> unplugNow;
    bool ok = false;
    {
        const juce::ScopedLock sl (lock);
        logRequest (code, in, inSize, outSize);

        if (in == nullptr)
            inSize = 0;
        if (out == nullptr)
            outSize = 0;

        if (! present)
            return false;

        if (faultState.unplugAfter > 0 && --faultState.unplugAfter == 0)
        {
            present = false;
            unplugNow = unplugHandler;
        }

        if (faultState.failCount > 0)
        {
            --faultState.failCount;
            ok = false;
        }
        else
        {
            const auto* inBytes = static_cast<const uint8_t*> (in);
            auto* outBytes = static_cast<uint8_t*> (out);

            switch (code)
            {
                case 0x1D2000:
                    ok = outSize >= 4;
                    if (ok)
                    {
                        writeWord (outBytes, driverVersionWord);
                        returned = 4;
                    }
                    break;
                case 0x1D2004: ok = transact (inBytes, inSize, outBytes, outSize, returned); break;
                case 0x1D2008: ok = driverRequest (inBytes, inSize, outBytes, outSize, returned); break;
                default: ok = false; break;
            }
        }
    }

    // Outside the lock: the handler unplugs through the lab, which calls back into devices.
    if (unplugNow)
        unplugNow();
    return ok;
}

bool SimDevice::takeNtStatusFault (uint32_t& status)
{
    if (faultState.ntStatusCount > 0)
    {
        --faultState.ntStatusCount;
        status = faultState.ntStatus;
        return true;
    }
    if (faultState.ntStatusShare > 0.0 && random.nextDouble() < faultState.ntStatusShare)
    {
        status = faultState.ntStatus;
        return true;
    }
    return false;
}

bool SimDevice::transact (const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                          uint32_t& returned)
{
    // The driver needs the header through the command word and room for a reply header.
    if (inSize < 24 || outSize < 28 || inSize > 4096)
        return false;

    Packet p;
    p.inWords = inSize / 4;
    p.in.assign (std::max<size_t> (p.inWords, 7), 0);
    for (uint32_t i = 0; i < p.inWords; ++i)
        p.in[i] = readWord (in + 4 * i);

    gwcCounter[{ p.category(), p.command() }]++;

    uint32_t status = 0;
    uint32_t retval = 0;
    if (takeNtStatusFault (status))
    {
        // The packet never reached the device.
    }
    else if (faultState.errorCount > 0)
    {
        --faultState.errorCount;
        retval = faultState.errorRetval;
    }
    else
    {
        retval = runCommand (p);
        if (retval == 0 && faultState.busyCount > 0)
        {
            --faultState.busyCount;
            retval = retvalBusy;
        }
    }

    std::vector<uint32_t> reply (7, 0);
    reply[0] = status;
    for (size_t i = 1; i <= 5; ++i)
        reply[i] = p.in[i];
    reply[6] = retval;
    if (status == 0)
        reply.insert (reply.end(), p.results.begin(), p.results.end());

    const auto replyBytes = (uint32_t) reply.size() * 4;
    returned = std::min (replyBytes, outSize);
    for (uint32_t i = 0; i < returned / 4; ++i)
        writeWord (out + 4 * i, reply[i]);
    return true;
}

uint32_t SimDevice::runCommand (Packet& p)
{
    switch (p.category())
    {
        case 0: return hardwareInfo (p);
        case 1: return flashCommand (p);
        case 3: return hardwareControl (p);
        case 4: return outputCommand (p);
        case 6: return playbackCommand (p);
        case 8: return monitorCommand (p);
        case 10: return guitarCommand (p);
        default: return retvalBadCommand;
    }
}

uint32_t SimDevice::hardwareInfo (Packet& p)
{
    if (p.command() == 1)
    {
        fillMeters (p);
        return 0;
    }
    if (p.command() == 3)
    {
        if (! p.hasParams (2))
            return retvalBadParameter;
        const auto offset = p.param (0);
        const auto count = p.param (1);
        if (count > (uint32_t) maxQuadsPerRequest || offset > SimSessionImage::quadlets)
            return retvalBadParameter;
        const auto delivered = std::min (count, SimSessionImage::quadlets - offset);
        p.results.push_back (offset);
        p.results.push_back (delivered);
        for (uint32_t q = 0; q < delivered; ++q)
        {
            uint32_t word = 0;
            flash->read (prof.sessionBase + 4 * (offset + q), &word, 1);
            const auto byteAt = 4 * (offset + q);
            if (byteAt >= SimSessionImage::reversedStart && byteAt < SimSessionImage::reversedEnd)
                word = reverseBytes (word);
            p.results.push_back (word);
        }
        return 0;
    }
    return retvalBadCommand;
}

uint32_t SimDevice::flashCommand (Packet& p)
{
    const auto sessionEnd = prof.sessionBase + SimSessionImage::bytes;
    // A part that is still erasing or programming takes no erase, write or read.
    if (p.command() <= 2 && flash->isBusy())
    {
        ++busyRefusals;
        return retvalFlashBusy;
    }
    switch (p.command())
    {
        case 0: // erase
            if (! p.hasParams (1) || ! flash->erase (p.param (0)))
                return retvalBadParameter;
            p.echoParams (1);
            return 0;
        case 1: // read
        {
            if (! p.hasParams (2))
                return retvalBadParameter;
            const auto address = p.param (0), count = p.param (1);
            if (count > (uint32_t) maxQuadsPerRequest || (address & 3) != 0)
                return retvalBadParameter;
            std::vector<uint32_t> quads (count);
            if (! flash->read (address, quads.data(), count))
                return retvalBadParameter;
            p.echoParams (2);
            p.results.insert (p.results.end(), quads.begin(), quads.end());
            return 0;
        }
        case 2: // write
        {
            if (! p.hasParams (2))
                return retvalBadParameter;
            const auto address = p.param (0), count = p.param (1);
            if (count > (uint32_t) maxQuadsPerRequest || (address & 3) != 0 || ! p.hasParams (2 + count))
                return retvalBadParameter;
            std::vector<uint32_t> quads (count);
            for (uint32_t q = 0; q < count; ++q)
                quads[q] = p.param (2 + q);
            if (! flash->write (address, quads.data(), count))
                return retvalBadParameter;
            if (count > 0 && address < sessionEnd && address + 4 * count > prof.sessionBase)
                ++sessionWriteCount;
            p.echoParams (2);
            return 0;
        }
        case 3: return flash->isBusy() ? retvalBusy : 0;
        case 4:
            p.results.push_back (faultState.reportedSessionBase >= 0 ? (uint32_t) faultState.reportedSessionBase
                                                                     : prof.sessionBase);
            return 0;
        case 5:
            if (! p.hasParams (1))
                return retvalBadParameter;
            flash->lockValue = p.param (0);
            p.echoParams (1);
            return 0;
        default: return retvalBadCommand;
    }
}

uint32_t SimDevice::hardwareControl (Packet& p)
{
    switch (p.command())
    {
        case 0: // set clock: -1 leaves a value unchanged
        {
            if (! p.hasParams (2))
                return retvalBadParameter;
            const auto source = p.param (0), rate = p.param (1);
            if (source != 0xFFFFFFFF && (source > 31 || (prof.clockMask & (1u << source)) == 0))
                return retvalBadParameter;
            if (rate != 0xFFFFFFFF && (rate < prof.minSampleRate || rate > prof.maxSampleRate))
                return retvalBadParameter;
            if (source != 0xFFFFFFFF)
                mix.clockSource = source;
            if (rate != 0xFFFFFFFF)
                mix.sampleRate = rate;
            p.echoParams (3);
            return 0;
        }
        case 1:
            p.results = { mix.clockSource, mix.sampleRate, 0 };
            return 0;
        case 3:
            if (! p.hasParams (2))
                return retvalBadParameter;
            mix.flags = (mix.flags | p.param (0)) & ~p.param (1);
            p.echoParams (2);
            return 0;
        case 4: p.results.push_back (mix.flags); return 0;
        case 5: return 0;
        default: return retvalBadCommand;
    }
}

bool SimDevice::refuseChannel (uint32_t channel, int count)
{
    if (channel < (uint32_t) std::min (count, mixerChannels))
        return false;
    ++channelRefusals;
    return true;
}

int SimDevice::playbackChannels() const noexcept
{
    return (int) std::max ({ prof.playbackCount1x, prof.playbackCount2x, prof.playbackCount4x });
}

uint32_t SimDevice::outputCommand (Packet& p)
{
    if (! p.hasParams (1) || refuseChannel (p.param (0), prof.outputCount()))
        return retvalBadParameter;
    const auto o = p.param (0);
    const bool isSet = (p.command() & 1) == 0;
    if (isSet && ! p.hasParams (2))
        return retvalBadParameter;
    switch (p.command())
    {
        case 0: mix.outputGain[o] = p.param (1); break;
        case 1: p.results = { o, mix.outputGain[o] }; return 0;
        case 2: mix.outputMute[o] = p.param (1) != 0; break;
        case 3: p.results = { o, mix.outputMute[o] }; return 0;
        default: return retvalBadCommand;
    }
    p.echoParams (2);
    return 0;
}

uint32_t SimDevice::playbackCommand (Packet& p)
{
    if (! p.hasParams (1) || refuseChannel (p.param (0), playbackChannels()))
        return retvalBadParameter;
    const auto c = p.param (0);
    const bool isSet = (p.command() & 1) == 0;
    if (isSet && ! p.hasParams (2))
        return retvalBadParameter;
    switch (p.command())
    {
        case 0: mix.playbackGain[c] = p.param (1); break;
        case 1: p.results = { c, mix.playbackGain[c] }; return 0;
        case 2: mix.playbackMute[c] = p.param (1) != 0; break;
        case 3: p.results = { c, mix.playbackMute[c] }; return 0;
        case 4: mix.playbackSolo[c] = p.param (1) != 0; break;
        case 5: p.results = { c, mix.playbackSolo[c] }; return 0;
        default: return retvalBadCommand;
    }
    p.echoParams (2);
    return 0;
}

uint32_t SimDevice::monitorCommand (Packet& p)
{
    if (! p.hasParams (2) || refuseChannel (p.param (0), prof.inputCount())
        || refuseChannel (p.param (1), prof.outputCount()))
        return retvalBadParameter;
    const auto i = p.param (0), o = p.param (1);
    const bool isSet = (p.command() & 1) == 0;
    if (isSet && ! p.hasParams (3))
        return retvalBadParameter;
    const auto v = p.param (2);
    switch (p.command())
    {
        case 0: mix.monitorGain[i][o] = v; break;
        case 1: p.results = { i, o, mix.monitorGain[i][o] }; return 0;
        case 2: mix.monitorMute[i][o] = v != 0; break;
        case 3: p.results = { i, o, mix.monitorMute[i][o] }; return 0;
        case 4: mix.monitorSolo[i][o] = v != 0 ? 2 : 0; break;
        case 5: p.results = { i, o, mix.monitorSolo[i][o] }; return 0;
        case 6:
            if (v > 255)
                return retvalBadParameter;
            mix.monitorPan[i][o] = (uint8_t) v;
            break;
        case 7: p.results = { i, o, mix.monitorPan[i][o] }; return 0;
        default: return retvalBadCommand;
    }
    p.echoParams (3);
    return 0;
}

uint32_t SimDevice::guitarCommand (Packet& p)
{
    switch (p.command())
    {
        case 0: // send: n bytes in big-endian quadlets
        {
            const auto n = p.param (0);
            if (! p.hasParams (1) || n > 256 || ! p.hasParams (1 + (n + 3) / 4))
                return retvalBadParameter;
            std::vector<uint8_t> bytes (n);
            for (uint32_t k = 0; k < n; ++k)
                bytes[k] = (uint8_t) (p.param (1 + k / 4) >> (8 * (3 - k % 4)));
            p.results.push_back (guitar.receiveFromHost (bytes.data(), bytes.size()) ? 1u : 0u);
            return 0;
        }
        case 1: // receive
        {
            auto bytes = guitar.takeForHost (256);
            p.results.push_back ((uint32_t) bytes.size());
            for (size_t q = 0; q < (bytes.size() + 3) / 4; ++q)
            {
                uint32_t word = 0;
                for (size_t k = 0; k < 4 && 4 * q + k < bytes.size(); ++k)
                    word |= (uint32_t) bytes[4 * q + k] << (8 * (3 - k));
                p.results.push_back (word);
            }
            return 0;
        }
        case 6:
            if (! p.hasParams (1))
                return retvalBadParameter;
            guitar.setControl (p.param (0));
            return 0;
        case 7:
            if (! p.hasParams (3))
                return retvalBadParameter;
            guitar.setState (p.param (0) != 0, p.param (1) != 0, p.param (2));
            return 0;
        case 8:
            p.results = { guitar.chargingNow ? 1u : 0u, guitar.autoCharge ? 1u : 0u, guitar.chargeDelay };
            return 0;
        default: return retvalBadCommand;
    }
}

uint32_t SimDevice::statusBits() const
{
    uint32_t bits = 0;
    // Every external clock source the device has carries a signal.
    for (uint32_t i = 1; i <= 5; ++i)
        if ((prof.clockMask & (1u << i)) != 0 && (faultState.signalLost & (1u << i)) == 0)
            bits |= 1u << i;
    bits |= guitar.statusBits();
    return bits;
}

void SimDevice::fillMeters (Packet& p)
{
    const auto outputs = (int) prof.physCountB();
    const auto inputs = (int) prof.physCountA();
    p.results.assign (9, 0);
    p.results[0] = statusBits();
    p.results[5] = (uint32_t) outputs;

    // A slow swell per channel, each with its own phase and speed, so levels keep moving.
    const double t = (juce::Time::getMillisecondCounterHiRes() - startMs) / 1000.0;
    const bool silent = faultState.silentMeters;
    auto level = [t, silent] (int channel) {
        if (silent)
            return 0u;
        const double phase = channel * 0.7;
        const double speed = 1.3 + 0.17 * channel;
        const double amplitude = 0.5 + 0.45 * std::sin (t * speed + phase);
        return (uint32_t) (amplitude * 2147483648.0);
    };
    for (int o = 0; o < outputs; ++o)
        p.results.push_back (mix.outputMute[o % mixerChannels] ? 0u : level (100 + o));
    for (int i = 0; i < inputs; ++i)
        p.results.push_back (level (i));
    // The reply always has room for 16 words besides the meters.
    p.results.resize ((size_t) (inputs + outputs + 16 - 7), 0);
}

bool SimDevice::driverRequest (const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                               uint32_t& returned)
{
    if (inSize < 12 || inSize > 4096)
        return false;
    uint32_t block[16] {};
    for (uint32_t i = 0; i < std::min<uint32_t> (inSize / 4, 16); ++i)
        block[i] = readWord (in + 4 * i);

    const auto sub = block[2];
    driverCounter[sub]++;

    block[0] = 0;
    switch (sub)
    {
        case 3:
            block[3] = driverVersionWord;
            block[4] = rateLocked ? 1u : 0u;
            block[5] = mix.sampleRate;
            for (int i = 6; i <= 10; ++i)
                block[i] = 0;
            block[11] = bufferSizeSamples;
            break;
        case 7: block[3] = 1; break;
        case 9:
        {
            const auto size = block[3];
            const bool valid = size >= 32 && size <= 2048 && size % 32 == 0;
            if (faultState.refuseBufferSize || ! valid)
                block[0] = 0xC0000022; // refused: an audio application holds the device
            else
                bufferSizeSamples = size;
            break;
        }
        case 10:
            rateLocked = block[4] != 0;
            break;
        case 15: block[3] = mix.sampleRate; break;
        case 16:
            if (block[3] >= prof.minSampleRate && block[3] <= prof.maxSampleRate)
                mix.sampleRate = block[3];
            else
                block[0] = statusInvalidDeviceRequest;
            break;
        default: block[0] = statusInvalidDeviceRequest; break;
    }

    returned = std::min<uint32_t> (64, outSize) & ~3u;
    for (uint32_t i = 0; i < returned / 4; ++i)
        writeWord (out + 4 * i, block[i]);
    return true;
}

void SimDevice::loadMixerFromSession()
{
    const juce::ScopedLock sl (lock);
    std::vector<uint8_t> image (SimSessionImage::bytes);
    flash->readBytes (prof.sessionBase, image.data(), (uint32_t) image.size());
    if (! SimSessionImage::isValid (image.data()))
        image = SimSessionImage::factory (prof); // a damaged snapshot: run on factory values

    const auto* d = image.data();
    using S = SimSessionImage;
    mix.flags = readWord (d + S::flagsAt) & ~(0x7u << 29);
    mix.clockSource = readWord (d + S::clockSourceAt);
    mix.sampleRate = readWord (d + S::sampleRateAt);
    for (int i = 0; i < mixerChannels; ++i)
    {
        for (int o = 0; o < mixerChannels; ++o)
        {
            const auto at = (uint32_t) (mixerChannels * i + o);
            mix.monitorGain[i][o] = readWord (d + S::monitorGainAt + 4 * at);
            mix.monitorPan[i][o] = d[S::monitorPanAt + at];
            mix.monitorMute[i][o] = d[S::monitorFlagsAt + at] & 1;
            mix.monitorSolo[i][o] = d[S::monitorFlagsAt + at] & 2;
        }
        mix.playbackGain[i] = readWord (d + S::playbackGainAt + 4 * (uint32_t) i);
        mix.outputGain[i] = readWord (d + S::outputGainAt + 4 * (uint32_t) i);
        mix.playbackMute[i] = d[S::playbackChannelAt + S::channelRecordSize * (uint32_t) i] != 0;
        mix.playbackSolo[i] = d[S::playbackChannelAt + S::channelRecordSize * (uint32_t) i + 1] != 0;
        mix.outputMute[i] = d[S::outputChannelAt + S::channelRecordSize * (uint32_t) i] != 0;
    }
    const auto imageFlags = readWord (d + S::flagsAt);
    guitar.setState (false, (imageFlags & (1u << 30)) != 0, readWord (d + S::guitarSettingAt));
    guitar.setControl ((imageFlags & (1u << 29)) != 0 ? 2u : 0u);
}

void SimDevice::blankSessionArea()
{
    const juce::ScopedLock sl (lock);
    const std::vector<uint8_t> erased (SimSessionImage::bytes, 0xFF);
    flash->program (prof.sessionBase, erased.data(), (uint32_t) erased.size());
}

bool SimDevice::applyDriverPlaybackGain (int channel, uint32_t gainCode)
{
    const juce::ScopedLock sl (lock);
    if (channel < 0 || channel >= std::min ((int) prof.playbackCount1x, mixerChannels))
        return false;
    mix.playbackGain[channel] = gainCode;
    return true;
}

bool SimDevice::applyDriverPlaybackMute (int channel, bool on)
{
    const juce::ScopedLock sl (lock);
    if (channel < 0 || channel >= std::min ((int) prof.playbackCount1x, mixerChannels))
        return false;
    mix.playbackMute[channel] = on ? 1 : 0;
    return true;
}

SimMixer SimDevice::mixer() const
{
    const juce::ScopedLock sl (lock);
    return mix;
}

std::vector<SimRequest> SimDevice::takeRequestLog()
{
    const juce::ScopedLock sl (lock);
    std::vector<SimRequest> out (std::make_move_iterator (requestLog.begin()),
                                 std::make_move_iterator (requestLog.end()));
    requestLog.clear();
    return out;
}

int SimDevice::requestCount (const juce::String& key) const
{
    const juce::ScopedLock sl (lock);
    const auto counter = key.containsChar ('/') ? gwcCountsLocked() : driverCountsLocked();
    auto it = counter.find (key);
    return it == counter.end() ? 0 : it->second;
}

std::map<juce::String, int> SimDevice::gwcCounts() const
{
    const juce::ScopedLock sl (lock);
    return gwcCountsLocked();
}

std::map<juce::String, int> SimDevice::driverCounts() const
{
    const juce::ScopedLock sl (lock);
    return driverCountsLocked();
}

std::map<juce::String, int> SimDevice::gwcCountsLocked() const
{
    std::map<juce::String, int> out;
    for (const auto& [key, count] : gwcCounter)
        out[juce::String (key.first) + "/" + juce::String (key.second)] = count;
    return out;
}

std::map<juce::String, int> SimDevice::driverCountsLocked() const
{
    std::map<juce::String, int> out;
    for (const auto& [sub, count] : driverCounter)
        out[juce::String (sub)] = count;
    return out;
}

std::vector<uint8_t> SimDevice::readFlash (uint32_t address, uint32_t length) const
{
    const juce::ScopedLock sl (lock);
    std::vector<uint8_t> out (length);
    if (! flash->readBytes (address, out.data(), length))
        out.clear();
    return out;
}

std::vector<uint8_t> SimDevice::sessionArea() const { return readFlash (prof.sessionBase, SimSessionImage::bytes); }

int SimDevice::sessionWrites() const
{
    const juce::ScopedLock sl (lock);
    return sessionWriteCount;
}

int SimDevice::refusedWhileBusy() const
{
    const juce::ScopedLock sl (lock);
    return busyRefusals;
}

int SimDevice::refusedChannels() const
{
    const juce::ScopedLock sl (lock);
    return channelRefusals;
}

int SimDevice::flashEraseCount() const
{
    const juce::ScopedLock sl (lock);
    return flash->eraseCount;
}

int SimDevice::flashWriteCount() const
{
    const juce::ScopedLock sl (lock);
    return flash->writeCount;
}

uint32_t SimDevice::flashLockValue() const
{
    const juce::ScopedLock sl (lock);
    return flash->lockValue;
}

uint32_t SimDevice::bufferSize() const
{
    const juce::ScopedLock sl (lock);
    return bufferSizeSamples;
}

bool SimDevice::rateLock() const
{
    const juce::ScopedLock sl (lock);
    return rateLocked;
}

uint32_t SimDevice::guitarControl() const
{
    const juce::ScopedLock sl (lock);
    return guitar.control;
}

std::vector<uint8_t> SimDevice::guitarReceived() const
{
    const juce::ScopedLock sl (lock);
    return guitar.received;
}

void SimDevice::withGuitar (const std::function<void (SimGuitar&)>& action)
{
    const juce::ScopedLock sl (lock);
    action (guitar);
}

namespace
{
template <typename T>
juce::var arrayOf (const T* values, int count)
{
    juce::Array<juce::var> a;
    for (int i = 0; i < count; ++i)
        a.add ((juce::int64) values[i]);
    return a;
}

template <typename T>
juce::var matrixOf (const T (&values)[SimMixer::channels][SimMixer::channels], int rows, int cols)
{
    juce::Array<juce::var> a;
    for (int r = 0; r < rows; ++r)
        a.add (arrayOf (values[r], cols));
    return a;
}

juce::var countsOf (const std::map<juce::String, int>& counts)
{
    auto* o = new juce::DynamicObject();
    for (auto& [key, n] : counts)
        o->setProperty (key, n);
    return juce::var (o);
}
} // namespace

namespace
{
juce::String hexWord (uint32_t value)
{
    return "0x" + juce::String::toHexString ((juce::int64) value).paddedLeft ('0', 8);
}
} // namespace

// The versions the device describes itself with (a backup build where an image is broken), and
// what its flash holds now.
juce::var SimDevice::firmwareVar() const
{
    auto* description = new juce::DynamicObject();
    description->setProperty ("arm", hexWord (prof.armVersion));
    description->setProperty ("fpga", hexWord (prof.fpgaVersion));
    description->setProperty ("dsp", hexWord (prof.dspVersion));

    auto* inFlash = new juce::DynamicObject();
    for (auto& layout : SimFirmware::images())
        inFlash->setProperty (layout.name, hexWord (SimFirmware::versionInFlash (*flash, layout, 0)));

    auto* f = new juce::DynamicObject();
    f->setProperty ("description", juce::var (description));
    f->setProperty ("inFlash", juce::var (inFlash));
    return juce::var (f);
}

juce::var SimDevice::dump() const
{
    const juce::ScopedLock sl (lock);
    const int ins = std::min (prof.inputCount(), mixerChannels);
    const int outs = std::min (prof.outputCount(), mixerChannels);
    const int plays = std::min ((int) prof.playbackCount1x, mixerChannels);

    auto* m = new juce::DynamicObject();
    m->setProperty ("inputs", ins);
    m->setProperty ("outputs", outs);
    m->setProperty ("playbacks", plays);
    m->setProperty ("monitorGain", matrixOf (mix.monitorGain, ins, outs));
    m->setProperty ("monitorMute", matrixOf (mix.monitorMute, ins, outs));
    m->setProperty ("monitorSolo", matrixOf (mix.monitorSolo, ins, outs));
    m->setProperty ("monitorPan", matrixOf (mix.monitorPan, ins, outs));
    m->setProperty ("playbackGain", arrayOf (mix.playbackGain, plays));
    m->setProperty ("playbackMute", arrayOf (mix.playbackMute, plays));
    m->setProperty ("playbackSolo", arrayOf (mix.playbackSolo, plays));
    m->setProperty ("outputGain", arrayOf (mix.outputGain, outs));
    m->setProperty ("outputMute", arrayOf (mix.outputMute, outs));

    auto* clock = new juce::DynamicObject();
    clock->setProperty ("source", (juce::int64) mix.clockSource);
    clock->setProperty ("rate", (juce::int64) mix.sampleRate);

    std::vector<uint8_t> image (SimSessionImage::bytes);
    flash->readBytes (prof.sessionBase, image.data(), (uint32_t) image.size());
    auto* f = new juce::DynamicObject();
    f->setProperty ("sessionBase", (juce::int64) prof.sessionBase);
    f->setProperty ("lockValue", (juce::int64) flash->lockValue);
    f->setProperty ("eraseCount", flash->eraseCount);
    f->setProperty ("writeCount", flash->writeCount);
    f->setProperty ("sessionBlank", flash->isBlank (prof.sessionBase, SimSessionImage::bytes));
    f->setProperty ("sessionCrc", (juce::int64) readWord (image.data() + 4));
    f->setProperty ("sessionCrcValid", SimSessionImage::isValid (image.data()));
    f->setProperty ("sessionWrites", sessionWriteCount);
    f->setProperty ("busy", flash->isBusy());
    f->setProperty ("refusedWhileBusy", busyRefusals);

    auto* req = new juce::DynamicObject();
    req->setProperty ("gwc", countsOf (gwcCountsLocked()));
    req->setProperty ("driver", countsOf (driverCountsLocked()));
    req->setProperty ("refusedChannels", channelRefusals);

    auto* d = new juce::DynamicObject();
    d->setProperty ("uniqueName", name);
    d->setProperty ("profile", prof.name);
    d->setProperty ("present", present);
    d->setProperty ("mixer", juce::var (m));
    d->setProperty ("clock", juce::var (clock));
    d->setProperty ("flags", (juce::int64) mix.flags);
    d->setProperty ("bufferSize", (juce::int64) bufferSizeSamples);
    d->setProperty ("rateLock", rateLocked);
    d->setProperty ("guitar", guitar.toVar());
    d->setProperty ("firmware", firmwareVar());
    d->setProperty ("flash", juce::var (f));
    d->setProperty ("faults", faultState.toVar());
    d->setProperty ("requests", juce::var (req));
    return juce::var (d);
}

} // namespace arx::sim
