#pragma once

// The older session file of model 44978 (".ARXsession"): 8192 bytes, little-endian, read only.
// It has records for at most 24 inputs and 24 outputs; a device with more channels gets only
// those, the rest of its state stays as it was.
//
// Threads: message thread (whole-image operations, see ConsoleState).

#include "console/ConsoleState.h"
#include "session/SessionMessage.h"

#include <juce_core/juce_core.h>

namespace arx
{

class LegacySessionFile
{
public:
    static constexpr size_t fileBytes = 8192;
    static constexpr uint32_t lengthWords = 2048;
    static constexpr uint32_t fileVersion = 256;
    static constexpr uint32_t modelWithLegacyFiles = 44978;
    static constexpr const char* extension = ".ARXsession";

    // Records in the file: channels beyond these are never read.
    static constexpr int maxInputs = 24;
    static constexpr int maxOutputs = 24;
    static constexpr int gangTableBytes = 12; // each of the playback and output gang tables

    // Whether a chosen file goes to this loader: the device is model 44978 and the file's
    // extension is exactly ".ARXsession" (case counts).
    static bool appliesTo (uint32_t hwType, const juce::File& file);

    // Reads `file` and, if both checks pass, takes it into `state` for the device's channels
    // (which then counts as whole for the write-back to the device).
    static SessionMessage load (ConsoleState& state, const juce::File& file);

    // load's checks on the bytes of a file already in memory.
    static SessionMessage decode (ConsoleState& state, const void* data, size_t size);

private:
    static SessionMessage take (ConsoleState& state, const uint8_t* bytes);
    static void takeMonitor (SessionImage& image, const uint8_t* bytes, int inputs, int outputs) noexcept;
    static void takeOutputs (ConsoleState& state, const uint8_t* bytes, int outputs) noexcept;
};

} // namespace arx
