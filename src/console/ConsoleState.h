#pragma once

#include "console/SessionImage.h"

#include <array>
#include <cstdint>

#include <juce_core/juce_core.h>

namespace juce
{
class PropertiesFile;
}

namespace arx
{

class Device;
class HardwareInfo;

// The 64-byte header of a session file, as sixteen little-endian words.
using SessionHeader = std::array<uint32_t, 16>;

// The console's shadow of one device's mixer and clock: the session image followed by the
// console-only settings (gang masks, sessions folder). One per console window, which owns it;
// the device is shared and kept alive by the state.
//
// Threads: the message thread and the hardware thread both read and write single values
// without a lock (each value is written whole); only flags changes go through a lock. The
// whole-image operations (readFromDevice, computeCrc, hasChanged, the write-back, session load
// and reset) run while no control is being edited: at window creation on the message thread,
// at window close on the hardware thread after its queues are drained.
//
// Channel indexes are 0..39 and are not range-checked here; callers stay within the counts
// given by inputCount(), outputCount() and playbackCount().
class ConsoleState
{
public:
    static constexpr int maxChannels = SessionImage::maxChannels;
    static constexpr uint32_t sessionMagic = 0x4272696F;
    static constexpr uint32_t sessionFileSize = 64 + SessionImage::byteCount; // 13456
    static constexpr uint32_t defaultGuitarDelay = 300;
    static constexpr uint32_t defaultSampleRate = 48000;
    static constexpr int readWindowMs = 2000;
    static constexpr uint32_t maxBlockQuadlets = 64;

    // `device` may be null (a state not bound to a device: counts are 0, no model name).
    explicit ConsoleState (Device* device);
    ~ConsoleState();

    Device* device() const noexcept;
    const HardwareInfo* info() const noexcept; // null without a valid device description

    //==============================================================================
    // Channel counts of the device as the state indexes them: never above 40.
    static int clampChannelCount (int count) noexcept;
    int inputCount() const noexcept;
    int outputCount() const noexcept;
    int playbackCount() const noexcept; // at 48000 Hz, as strips and aliases count them

    //==============================================================================
    SessionImage& image() noexcept { return session; }
    const SessionImage& image() const noexcept { return session; }

    //==============================================================================
    // Levels in dB, stored as gain codes.
    void setMonitorGain (int in, int out, float dB) noexcept;
    float monitorGain (int in, int out) const noexcept;
    void setPlaybackGain (int channel, float dB) noexcept;
    float playbackGain (int channel) const noexcept;
    void setOutputGain (int channel, float dB) noexcept;
    float outputGain (int channel) const noexcept;

    // The same levels as the gain codes they are stored as, which the device commands take.
    uint32_t monitorGainCode (int in, int out) const noexcept { return session.monitorGain[in][out]; }
    void setMonitorGainCode (int in, int out, uint32_t code) noexcept { session.monitorGain[in][out] = code; }
    uint32_t playbackGainCode (int channel) const noexcept { return session.playbackGain[channel]; }
    void setPlaybackGainCode (int channel, uint32_t code) noexcept { session.playbackGain[channel] = code; }
    uint32_t outputGainCode (int channel) const noexcept { return session.outputGain[channel]; }
    void setOutputGainCode (int channel, uint32_t code) noexcept { session.outputGain[channel] = code; }

    // Monitor pan, mute and solo are kept per output pair: setting writes both channels of the
    // pair of `out`, reading uses its even channel. Pan runs from 0.0 (left) to 1.0 (right).
    void setMonitorPan (int in, int out, float pan) noexcept;
    float monitorPan (int in, int out) const noexcept;
    void setMonitorMute (int in, int out, bool on) noexcept;
    bool monitorMute (int in, int out) const noexcept;
    void setMonitorSolo (int in, int out, bool on) noexcept;
    bool monitorSolo (int in, int out) const noexcept;

    void setPlaybackMute (int channel, bool on) noexcept;
    bool playbackMute (int channel) const noexcept;
    void setPlaybackSolo (int channel, bool on) noexcept;
    bool playbackSolo (int channel) const noexcept;
    void setOutputMute (int channel, bool on) noexcept;
    bool outputMute (int channel) const noexcept;

    // Channel names: 8-bit text (characters above 255 become '?'), cut to 21 characters.
    juce::String inputAlias (int channel) const;
    void setInputAlias (int channel, const juce::String& text) noexcept;
    juce::String playbackAlias (int channel) const;
    void setPlaybackAlias (int channel, const juce::String& text) noexcept;
    juce::String outputAlias (int channel) const;
    void setOutputAlias (int channel, const juce::String& text) noexcept;

    //==============================================================================
    // The image's flags word. setFlags and clearFlags may be called from any thread.
    void setFlags (uint32_t mask) noexcept;
    void clearFlags (uint32_t mask) noexcept;
    bool testFlags (uint32_t mask) const noexcept;

    // Guitar: automatic charging (flags bit 30) and the charge delay in seconds.
    bool guitarEnabled() const noexcept;
    void setGuitarSetting (bool autoCharge, uint32_t delaySeconds) noexcept;
    uint32_t guitarSetting() const noexcept;

    //==============================================================================
    // Gang masks: bit (c / 2) links channels 2p and 2p + 1.
    void setInputGang (int channel, bool on) noexcept;
    void setOutputGang (int channel, bool on) noexcept;
    void setPlaybackGang (int channel, bool on) noexcept;
    bool isInputGanged (int channel) const noexcept;
    bool isOutputGanged (int channel) const noexcept;
    bool isPlaybackGanged (int channel) const noexcept;

    uint32_t inputGangs() const noexcept { return inputGangMask; }
    uint32_t outputGangs() const noexcept { return outputGangMask; }
    uint32_t playbackGangs() const noexcept { return playbackGangMask; }
    void setInputGangs (uint32_t mask) noexcept { inputGangMask = mask; }
    void setOutputGangs (uint32_t mask) noexcept { outputGangMask = mask; }
    void setPlaybackGangs (uint32_t mask) noexcept { playbackGangMask = mask; }

    // The mix of `other` (its image and gangs), as the start of a mix that differs from it.
    void copyMixFrom (const ConsoleState& other) noexcept
    {
        image() = other.image();
        setInputGangs (other.inputGangs());
        setOutputGangs (other.outputGangs());
        setPlaybackGangs (other.playbackGangs());
    }

    //==============================================================================
    void setChosenSampleRate (uint32_t rate) noexcept { chosenRate = rate; }
    uint32_t chosenSampleRate() const noexcept { return chosenRate; }

    uint32_t sessionHeaderWord() const noexcept { return headerWord10; }
    void setSessionHeaderWord (uint32_t word) noexcept { headerWord10 = word; }

    const juce::String& lastSessionName() const noexcept { return sessionName; }
    void setLastSessionName (const juce::String& name) { sessionName = name; }

    const juce::File& mostRecentFolder() const noexcept { return recentFolder; }
    void setMostRecentFolder (const juce::File& folder) { recentFolder = folder; }

    //==============================================================================
    // Fills the image from the device's flash: 0 on success, 1 when the flash holds no valid
    // session (its imageLength is not 3348 or its CRC does not match: erased, or a write-back cut
    // short), the negative time-out code when the device kept timing out for 2000 ms, or the
    // hard error code (1 or 2) of a failed block. Without a valid session the state starts from
    // the reset values (empty names, the device's current clock) and differs from the flash, so
    // closing writes a valid image back. A read that stops part-way keeps what arrived and takes
    // the reset values for the rest. Message thread, at window creation, with the device open.
    int readFromDevice();

    // CRC of bytes 8..13391, stored into imageCrc and returned.
    uint32_t computeCrc() noexcept;

    // The CRC word of the device's stored session, read by readFromDevice. The write-back sets
    // it again after writing the image to flash.
    uint32_t storedCrc() const noexcept { return flashCrc; }
    void setStoredCrc (uint32_t crc) noexcept { flashCrc = crc; }

    // Whether the image may replace the device's stored session: true after a complete image
    // read, after resetToDefaults() and after markImageReplaced(); false from construction and
    // after a read that stopped part-way (an error or a time-out), whose image is what arrived of
    // the device's session (the byte records in memory order) and the reset values after it.
    bool isSafeToWriteBack() const noexcept { return imageWhole; }

    // Called by whatever replaces the whole state (a session load): the image is the user's
    // again and may be written back.
    void markImageReplaced() noexcept { imageWhole = true; }

    // The write-back decision: true when the image may be written back (isSafeToWriteBack)
    // and its CRC differs from the stored one. Updates imageCrc.
    bool hasChanged() noexcept;

    //==============================================================================
    // Session file header: magic, file size, identity of the device, the gang masks and the
    // word kept from the last loaded file. applySessionHeader takes back words 7 to 10.
    void fillSessionHeader (SessionHeader& header) const noexcept;
    void applySessionHeader (const SessionHeader& header) noexcept;

    //==============================================================================
    // Defaults the controls write on reset.
    float defaultMonitorPan (int in) const noexcept;
    bool isMonitorMutedByDefault (int in, int out) const noexcept;

    // Writes every reset value for the device's channels (levels 0 dB, mutes and solos off,
    // default routing and pans, S/PDIF consumer, guitar defaults); gang masks, aliases and
    // folders stay. The image may then be written back.
    void resetToDefaults() noexcept;

    //==============================================================================
    // The sessions folder: mostRecentFolder when set, else "<model name> sessions" in the
    // user's documents folder.
    juce::File sessionsFolder() const;

    // sessionsFolder(), created with its parents when missing; an empty File when it cannot be.
    juce::File sessionDialogFolder() const;

    //==============================================================================
    // Gang masks, channel names and the recent folder from and to the device's preferences.
    // A missing alias key keeps the name the device carries; a present key (even empty)
    // replaces it. Message thread.
    void loadPreferences (juce::PropertiesFile& properties);
    void savePreferences (juce::PropertiesFile& properties) const;

private:
    int readStoredCrc();
    int readImageBlocks (uint32_t& arrivedQuadlets); // 0 once every quadlet has arrived
    bool holdsStoredSession() noexcept;
    void startFromResetValues();
    void fillUnreadFromResetValues (uint32_t arrivedQuadlets);

    // The byte records among the first `arrivedQuadlets` into memory order.
    void reverseStoredBytes (uint32_t arrivedQuadlets) noexcept;

    static void setGangBit (uint32_t& mask, int channel, bool on) noexcept;
    static bool testGangBit (uint32_t mask, int channel) noexcept;

    SessionImage session {};

    juce::ReferenceCountedObjectPtr<Device> hardware;
    juce::CriticalSection flagsLock;
    uint32_t inputGangMask = 0;
    uint32_t outputGangMask = 0;
    uint32_t playbackGangMask = 0;
    uint32_t flashCrc = 0;
    uint32_t headerWord10 = 0;
    uint32_t chosenRate = 0;
    juce::String sessionName;
    juce::File recentFolder;
    bool imageWhole = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleState)
};

} // namespace arx
