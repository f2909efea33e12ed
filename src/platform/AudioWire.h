#pragma once

// The wire format of the device lab's audio socket (`.arx-devsim.audio` in the device
// directory), shared by the client (AudioBusClient) and the lab's server. One JSON object per
// line, each way:
//   request       {"q": seq, "op": name, ...arguments}
//   reply         {"r": seq, "hr": HRESULT or MMRESULT, ...results}
//   volume change {"n": cookie, "ctx": "{GUID}", "muted": bool, "master": scalar, "ch": [scalars]}
//   mixer message {"m": handle, "msg": message, "w": wParam, "l": lParam}
// Changes and mixer messages are pushed by the server whenever they happen, between replies.
// No line may pass maxLineBytes.

#include "platform/AudioService.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace arx::platform::audiowire
{

constexpr const char* socketName = ".arx-devsim.audio";
constexpr size_t maxLineBytes = 64 * 1024;
constexpr int replyTimeoutMs = 5000;

juce::String guidToString (const Guid& guid);
bool guidFromString (const juce::String& text, Guid& guid);

const char* interfaceName (AudioService::Interface what) noexcept;
bool interfaceFromName (const juce::String& name, AudioService::Interface& what) noexcept;

juce::var notificationToVar (uint64_t cookie, const AudioVolumeNotificationData& data);
bool notificationFromVar (const juce::var& line, AudioVolumeNotificationData& data);

juce::var capsToVar (const MixerCaps& caps);
MixerCaps capsFromVar (const juce::var& value);

// A whole number field of an object; `fallback` when it is missing or not a number.
juce::int64 number (const juce::var& object, const juce::Identifier& name, juce::int64 fallback = 0);

// Bytes as hex text and back (KS property data); false for text that is not hex.
juce::String bytesToHex (const void* data, size_t size);
bool hexToBytes (const juce::String& text, std::vector<uint8_t>& bytes);

// One object as one line. False when the peer is gone.
bool sendLine (int fd, const juce::var& object);

// Reads lines through one buffer; a line longer than maxLineBytes ends the stream.
class LineReader
{
public:
    enum class Result { ok, closed, oversized };

    explicit LineReader (int fd);
    Result next (juce::String& line);

private:
    int fd;
    std::vector<char> buffer;
    size_t start = 0, end = 0;
};

} // namespace arx::platform::audiowire
