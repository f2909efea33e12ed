#include "console/ConsoleState.h"

#include "console/ConsolePreferences.h"
#include "console/Crc32.h"
#include "device/GainCode.h"
#include "device/HardwareInfo.h"
#include "device/Device.h"

#include <juce_data_structures/juce_data_structures.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace arx
{

namespace
{
constexpr uint32_t mutePairMask = SessionImage::monitorMuteBit;
constexpr uint32_t soloPairMask = SessionImage::monitorSoloBit;

int pairLeft (int out) noexcept
{
    return out & ~1;
}

// Aliases are 8-bit text: each byte is the character of the same code.
juce::String aliasFromField (const char* field)
{
    juce::String text;

    for (int i = 0; i < ChannelRecord::maxAliasLength && field[i] != 0; ++i)
        text += juce::String::charToString (static_cast<juce::juce_wchar> (static_cast<uint8_t> (field[i])));

    return text;
}

void aliasToField (char* field, const juce::String& text) noexcept
{
    char bytes[ChannelRecord::aliasFieldSize] = {};
    auto p = text.getCharPointer();

    for (int i = 0; i < ChannelRecord::maxAliasLength && ! p.isEmpty(); ++i)
    {
        const auto c = p.getAndAdvance();
        bytes[i] = static_cast<char> (c < 256 ? c : '?');
    }

    // Leave a field that already holds this name untouched, so that re-storing a name does not
    // count as a change of the image.
    if (aliasFromField (field) != aliasFromField (bytes))
        std::memcpy (field, bytes, sizeof (bytes));
}

void setFlagBits (uint8_t& flags, uint8_t bit, bool on) noexcept
{
    flags = on ? uint8_t (flags | bit) : uint8_t (flags & ~bit);
}

uint32_t millisecondsSince (uint32_t start) noexcept
{
    return juce::Time::getMillisecondCounter() - start;
}
} // namespace

ConsoleState::ConsoleState (Device* deviceToUse) : hardware (deviceToUse)
{
}

ConsoleState::~ConsoleState() = default;

Device* ConsoleState::device() const noexcept
{
    return hardware.get();
}

const HardwareInfo* ConsoleState::info() const noexcept
{
    return hardware != nullptr ? &hardware->info() : nullptr;
}

//==============================================================================
int ConsoleState::clampChannelCount (int count) noexcept
{
    return juce::jlimit (0, maxChannels, count);
}

int ConsoleState::inputCount() const noexcept
{
    auto* hw = info();
    return hw != nullptr ? clampChannelCount (hw->inputCount()) : 0;
}

int ConsoleState::outputCount() const noexcept
{
    auto* hw = info();
    return hw != nullptr ? clampChannelCount (hw->outputCount()) : 0;
}

int ConsoleState::playbackCount() const noexcept
{
    auto* hw = info();
    return hw != nullptr ? clampChannelCount (hw->playbackCount (48000)) : 0;
}

//==============================================================================
void ConsoleState::setMonitorGain (int in, int out, float dB) noexcept
{
    session.monitorGain[in][out] = gainToCode (dB);
}

float ConsoleState::monitorGain (int in, int out) const noexcept
{
    return codeToGain (session.monitorGain[in][out]);
}

void ConsoleState::setPlaybackGain (int channel, float dB) noexcept
{
    session.playbackGain[channel] = gainToCode (dB);
}

float ConsoleState::playbackGain (int channel) const noexcept
{
    return codeToGain (session.playbackGain[channel]);
}

void ConsoleState::setOutputGain (int channel, float dB) noexcept
{
    session.outputGain[channel] = gainToCode (dB);
}

float ConsoleState::outputGain (int channel) const noexcept
{
    return codeToGain (session.outputGain[channel]);
}

void ConsoleState::setMonitorPan (int in, int out, float pan) noexcept
{
    const auto code = panToCode (pan);
    const auto left = pairLeft (out);
    session.monitorPan[in][left] = code;
    session.monitorPan[in][left + 1] = code;
}

float ConsoleState::monitorPan (int in, int out) const noexcept
{
    return codeToPan (session.monitorPan[in][pairLeft (out)]);
}

void ConsoleState::setMonitorMute (int in, int out, bool on) noexcept
{
    const auto left = pairLeft (out);
    setFlagBits (session.monitorFlags[in][left], mutePairMask, on);
    setFlagBits (session.monitorFlags[in][left + 1], mutePairMask, on);
}

bool ConsoleState::monitorMute (int in, int out) const noexcept
{
    return (session.monitorFlags[in][pairLeft (out)] & mutePairMask) != 0;
}

void ConsoleState::setMonitorSolo (int in, int out, bool on) noexcept
{
    const auto left = pairLeft (out);
    setFlagBits (session.monitorFlags[in][left], soloPairMask, on);
    setFlagBits (session.monitorFlags[in][left + 1], soloPairMask, on);
}

bool ConsoleState::monitorSolo (int in, int out) const noexcept
{
    return (session.monitorFlags[in][pairLeft (out)] & soloPairMask) != 0;
}

void ConsoleState::setPlaybackMute (int channel, bool on) noexcept
{
    session.playbackChannel[channel].mute = on ? 1 : 0;
}

bool ConsoleState::playbackMute (int channel) const noexcept
{
    return session.playbackChannel[channel].mute != 0;
}

void ConsoleState::setPlaybackSolo (int channel, bool on) noexcept
{
    session.playbackChannel[channel].solo = on ? 1 : 0;
}

bool ConsoleState::playbackSolo (int channel) const noexcept
{
    return session.playbackChannel[channel].solo != 0;
}

void ConsoleState::setOutputMute (int channel, bool on) noexcept
{
    session.outputChannel[channel].mute = on ? 1 : 0;
}

bool ConsoleState::outputMute (int channel) const noexcept
{
    return session.outputChannel[channel].mute != 0;
}

juce::String ConsoleState::inputAlias (int channel) const
{
    return aliasFromField (session.inputChannel[channel].alias);
}

void ConsoleState::setInputAlias (int channel, const juce::String& text) noexcept
{
    aliasToField (session.inputChannel[channel].alias, text);
}

juce::String ConsoleState::playbackAlias (int channel) const
{
    return aliasFromField (session.playbackChannel[channel].alias);
}

void ConsoleState::setPlaybackAlias (int channel, const juce::String& text) noexcept
{
    aliasToField (session.playbackChannel[channel].alias, text);
}

juce::String ConsoleState::outputAlias (int channel) const
{
    return aliasFromField (session.outputChannel[channel].alias);
}

void ConsoleState::setOutputAlias (int channel, const juce::String& text) noexcept
{
    aliasToField (session.outputChannel[channel].alias, text);
}

//==============================================================================
void ConsoleState::setFlags (uint32_t mask) noexcept
{
    const juce::ScopedLock sl (flagsLock);
    session.flags |= mask;
}

void ConsoleState::clearFlags (uint32_t mask) noexcept
{
    const juce::ScopedLock sl (flagsLock);
    session.flags &= ~mask;
}

bool ConsoleState::testFlags (uint32_t mask) const noexcept
{
    return (session.flags & mask) != 0;
}

bool ConsoleState::guitarEnabled() const noexcept
{
    return testFlags (SessionImage::flagGuitarAutoCharge);
}

void ConsoleState::setGuitarSetting (bool autoCharge, uint32_t delaySeconds) noexcept
{
    if (autoCharge)
        session.flags |= SessionImage::flagGuitarAutoCharge;
    else
        session.flags &= ~SessionImage::flagGuitarAutoCharge;

    session.guitarSetting = delaySeconds;
}

uint32_t ConsoleState::guitarSetting() const noexcept
{
    return session.guitarSetting;
}

//==============================================================================
void ConsoleState::setGangBit (uint32_t& mask, int channel, bool on) noexcept
{
    const auto bit = 1u << (channel / 2);
    mask = on ? (mask | bit) : (mask & ~bit);
}

bool ConsoleState::testGangBit (uint32_t mask, int channel) noexcept
{
    return (mask & (1u << (channel / 2))) != 0;
}

void ConsoleState::setInputGang (int channel, bool on) noexcept { setGangBit (inputGangMask, channel, on); }
void ConsoleState::setOutputGang (int channel, bool on) noexcept { setGangBit (outputGangMask, channel, on); }
void ConsoleState::setPlaybackGang (int channel, bool on) noexcept { setGangBit (playbackGangMask, channel, on); }
bool ConsoleState::isInputGanged (int channel) const noexcept { return testGangBit (inputGangMask, channel); }
bool ConsoleState::isOutputGanged (int channel) const noexcept { return testGangBit (outputGangMask, channel); }
bool ConsoleState::isPlaybackGanged (int channel) const noexcept { return testGangBit (playbackGangMask, channel); }

//==============================================================================
uint32_t ConsoleState::computeCrc() noexcept
{
    session.imageCrc = crc32 (session.bytes() + SessionImage::crcRegionStart,
                              SessionImage::byteCount - SessionImage::crcRegionStart);
    return session.imageCrc;
}

bool ConsoleState::hasChanged() noexcept
{
    const auto changed = computeCrc() != flashCrc;
    return changed && imageWhole;
}

void ConsoleState::fillSessionHeader (SessionHeader& header) const noexcept
{
    header.fill (0);
    header[0] = sessionMagic;
    header[1] = sessionFileSize;

    if (auto* hw = info())
    {
        header[2] = hw->vendorId();
        header[3] = hw->hwType();
        header[4] = hw->hwVersion();
    }

    header[7] = inputGangMask;
    header[8] = playbackGangMask;
    header[9] = outputGangMask;
    header[10] = headerWord10;
}

void ConsoleState::applySessionHeader (const SessionHeader& header) noexcept
{
    inputGangMask = header[7];
    playbackGangMask = header[8];
    outputGangMask = header[9];
    headerWord10 = header[10];
}

//==============================================================================
int ConsoleState::readFromDevice()
{
    imageWhole = false;

    if (hardware == nullptr)
        return 1;

    readStoredCrc();

    // The block reads run even when the stored CRC could not be read.
    uint32_t arrived = 0;
    const auto result = readImageBlocks (arrived);
    reverseStoredBytes (arrived);

    if (result != 0)
    {
        fillUnreadFromResetValues (arrived);
        return result;
    }

    imageWhole = true;

    if (! holdsStoredSession())
    {
        juce::Logger::outputDebugString ("Console - no valid session in flash, starting from the reset values");
        startFromResetValues();
        return 1;
    }

    for (int c = 0; c < maxChannels; ++c)
    {
        session.inputChannel[c].alias[ChannelRecord::maxAliasLength] = 0;
        session.outputChannel[c].alias[ChannelRecord::maxAliasLength] = 0;
    }

    computeCrc();
    return 0;
}

bool ConsoleState::holdsStoredSession() noexcept
{
    // An erased area reads as 0xFF bytes, a write-back cut short as a torn image: neither may
    // be shown as gains and names.
    const auto stored = session.imageCrc;
    return session.imageLength == SessionImage::quadletCount && computeCrc() == stored;
}

void ConsoleState::startFromResetValues()
{
    session = SessionImage {};
    session.imageLength = SessionImage::quadletCount;
    session.imageVersion = SessionImage::writeBackVersion;

    // The device runs on some clock whatever its flash holds: keep that one.
    int source = 0, rate = 0;
    if (hardware->getClock (source, rate) == 0 && source >= 0 && rate > 0)
    {
        session.clockSource = uint32_t (source);
        session.sampleRate = uint32_t (rate);
    }
    else
    {
        session.sampleRate = defaultSampleRate;
    }

    resetToDefaults();
    // Playback channels beyond the strips would otherwise stay silent on the device.
    for (int c = 0; c < playbackCount(); ++c)
        setPlaybackGain (c, 0.0f);
    computeCrc();
}

// What never arrived must not reach the flash as zeros once a load or a reset makes the image
// whole again: it takes the reset values. Without even a valid length word, nothing that
// arrived is known to be a session either.
void ConsoleState::fillUnreadFromResetValues (uint32_t arrivedQuadlets)
{
    if (session.imageLength != SessionImage::quadletCount)
        arrivedQuadlets = 0;

    const auto arrived = std::make_unique<SessionImage> (session);
    startFromResetValues();
    std::memcpy (session.bytes(), arrived->bytes(), size_t (arrivedQuadlets) * 4);
    imageWhole = false;
}

int ConsoleState::readStoredCrc()
{
    uint32_t base = 0;
    auto result = hardware->getSessionBase (base);

    if (result != 0)
        return result;

    if (! SessionImage::fitsFlashAt (base))
        return 1;

    const auto start = juce::Time::getMillisecondCounter();

    do
    {
        uint32_t word = 0;
        result = hardware->flashRead (base + 4, 1, &word);

        if (result == 0)
            flashCrc = word;
    } while (result < 0 && millisecondsSince (start) < uint32_t (readWindowMs));

    return result;
}

int ConsoleState::readImageBlocks (uint32_t& offset)
{
    auto* destination = session.quadlets();
    offset = 0;
    uint32_t remaining = SessionImage::quadletCount;
    int lastTimeout = 0;
    auto windowStart = juce::Time::getMillisecondCounter();

    while (remaining > 0)
    {
        if (millisecondsSince (windowStart) >= uint32_t (readWindowMs))
        {
            juce::Logger::outputDebugString (
                juce::String::formatted ("Console - session read timed out at quadlet %d", (int) offset));
            // A device that answers without delivering anything has not timed out as such,
            // but the read has still not finished.
            return lastTimeout != 0 ? lastTimeout : -1;
        }

        const auto asked = int (std::min (remaining, maxBlockQuadlets));
        auto count = asked;
        const auto result = hardware->readSessionBlock (offset, count, destination);

        if (result < 0)
        {
            lastTimeout = result;
            continue;
        }

        if (result != 0)
        {
            juce::Logger::outputDebugString (juce::String::formatted (
                "Console - session read failed at quadlet %d - rval %d", (int) offset, result));
            return result;
        }

        count = juce::jlimit (0, asked, count);

        if (count == 0)
            continue; // no progress: the window keeps running

        offset += uint32_t (count);
        destination += count;
        remaining -= uint32_t (count);
        windowStart = juce::Time::getMillisecondCounter();
    }

    return 0;
}

void ConsoleState::reverseStoredBytes (uint32_t arrivedQuadlets) noexcept
{
    auto* bytes = session.bytes();
    const auto end = size_t (arrivedQuadlets) * 4;

    for (auto i = SessionImage::reversedRegionStart; i < end; i += 4)
    {
        std::swap (bytes[i], bytes[i + 3]);
        std::swap (bytes[i + 1], bytes[i + 2]);
    }
}

//==============================================================================
float ConsoleState::defaultMonitorPan (int in) const noexcept
{
    auto channelInPair = in;

    if (auto* hw = info())
    {
        const auto kind = hw->inputKind (in);

        if (kind == 7 || kind == 8 || kind == 9)
            return 0.5f;

        // Pairs count from the start of their group: a group may start on an odd input.
        if (kind != HardwareInfo::unmapped)
            channelInPair = hw->inputIndexInGroup (in);
    }

    return (channelInPair & 1) != 0 ? 1.0f : 0.0f;
}

bool ConsoleState::isMonitorMutedByDefault (int in, int out) const noexcept
{
    const auto pair = in & ~1;

    if (pairLeft (out) != pair)
        return true;

    auto* hw = info();
    return hw == nullptr || hw->inputKind (pair) != 0 || hw->outputKind (pair) != 0;
}

void ConsoleState::resetToDefaults() noexcept
{
    const auto inputs = inputCount();
    const auto outputs = outputCount();

    for (int i = 0; i < inputs; ++i)
    {
        const auto pan = defaultMonitorPan (i);

        for (int o = 0; o < outputs; ++o)
        {
            setMonitorGain (i, o, 0.0f);
            setMonitorPan (i, o, pan);
            setMonitorMute (i, o, isMonitorMutedByDefault (i, o));
            setMonitorSolo (i, o, false);
        }
    }

    // The playback controls cover the channels below the output count, as their strips do.
    for (int c = 0; c < outputs; ++c)
    {
        setPlaybackGain (c, 0.0f);
        setPlaybackMute (c, false);
        setPlaybackSolo (c, false);
        setOutputGain (c, 0.0f);
        setOutputMute (c, false);
    }

    for (int c = outputs; c < playbackCount(); ++c)
        setPlaybackSolo (c, false);

    clearFlags (SessionImage::flagSpdifFormat | SessionImage::flagGuitarHexMode);
    {
        const juce::ScopedLock sl (flagsLock);
        setGuitarSetting (true, defaultGuitarDelay);
    }

    imageWhole = true;
}

//==============================================================================
juce::File ConsoleState::sessionsFolder() const
{
    if (recentFolder != juce::File())
        return recentFolder;

    const auto model = info() != nullptr ? info()->modelName() : juce::String();
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile (model + " sessions");
}

juce::File ConsoleState::sessionDialogFolder() const
{
    auto folder = sessionsFolder();

    if (! folder.isDirectory() && ! folder.createDirectory().wasOk())
        return {};

    return folder.isDirectory() ? folder : juce::File();
}

//==============================================================================
void ConsoleState::loadPreferences (juce::PropertiesFile& properties)
{
    inputGangMask = uint32_t (properties.getIntValue (prefs::inputGangs, -1));
    outputGangMask = uint32_t (properties.getIntValue (prefs::outputGangs, -1));
    playbackGangMask = uint32_t (properties.getIntValue (prefs::playbackGangs, -1));

    auto loadAliases = [&properties] (const char* keyFormat, int count, auto&& store)
    {
        for (int c = 0; c < count; ++c)
        {
            const auto key = prefs::channelKey (keyFormat, c);

            if (properties.containsKey (key))
                store (c, properties.getValue (key));
        }
    };

    loadAliases (prefs::inputAlias, inputCount(), [this] (int c, const juce::String& s) { setInputAlias (c, s); });
    loadAliases (prefs::outputAlias, outputCount(), [this] (int c, const juce::String& s) { setOutputAlias (c, s); });
    loadAliases (prefs::playAlias, playbackCount(), [this] (int c, const juce::String& s) { setPlaybackAlias (c, s); });

    const auto folder = properties.getValue (prefs::mostRecentFolder);
    recentFolder = juce::File::isAbsolutePath (folder) ? juce::File (folder) : juce::File();
}

void ConsoleState::savePreferences (juce::PropertiesFile& properties) const
{
    properties.setValue (prefs::inputGangs, static_cast<int> (inputGangMask));
    properties.setValue (prefs::outputGangs, static_cast<int> (outputGangMask));
    properties.setValue (prefs::playbackGangs, static_cast<int> (playbackGangMask));

    for (int c = 0; c < inputCount(); ++c)
        properties.setValue (prefs::channelKey (prefs::inputAlias, c), inputAlias (c));

    for (int c = 0; c < outputCount(); ++c)
        properties.setValue (prefs::channelKey (prefs::outputAlias, c), outputAlias (c));

    for (int c = 0; c < playbackCount(); ++c)
        properties.setValue (prefs::channelKey (prefs::playAlias, c), playbackAlias (c));

    properties.setValue (prefs::mostRecentFolder, recentFolder.getFullPathName());
}

} // namespace arx
