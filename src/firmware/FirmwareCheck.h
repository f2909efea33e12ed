#pragma once

// Whether a device must be asked to update its firmware, and the question it is asked.
// Backup code never counts as current. Any thread.

#include "firmware/FirmwareRequirement.h"

#include <juce_core/juce_core.h>

namespace arx
{

class HardwareInfo;

struct FirmwareCheck
{
    static constexpr uint32_t backupBuildKind = 14;

    const FirmwareRequirement* row = nullptr; // null: the model has no requirement
    bool ask = false;
    juce::String question;

    // `question` may be empty: the default question is asked then.
    static FirmwareCheck of (const HardwareInfo& info, bool force, const juce::String& question);

    // The DSP version counts only on devices that take no flash lock command.
    static bool isCurrent (const HardwareInfo& info, const FirmwareRequirement& row) noexcept;
};

} // namespace arx
