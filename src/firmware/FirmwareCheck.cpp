#include "firmware/FirmwareCheck.h"

#include "device/HardwareInfo.h"

namespace arx
{

bool FirmwareCheck::isCurrent (const HardwareInfo& info, const FirmwareRequirement& row) noexcept
{
    const uint32_t required = row.requiredVersion;
    const uint32_t dsp = info.noFlashLock() ? info.dspVersion() : required;
    const uint32_t arm = info.armVersion();
    auto isBackup = [] (uint32_t version) { return (version & 0xF) == backupBuildKind; };
    return dsp >= required && arm >= required && ! isBackup (dsp) && ! isBackup (arm);
}

FirmwareCheck FirmwareCheck::of (const HardwareInfo& info, bool force, const juce::String& question)
{
    FirmwareCheck check;
    check.row = FirmwareRequirement::find (info);
    if (check.row == nullptr)
        return check;

    check.question = question.isNotEmpty() ? question : juce::String ("\nWould you like to update your firmware now?");
    const bool current = isCurrent (info, *check.row);
    if (! current)
        check.question = "\nThe firmware for your ARX is out of date.\n" + check.question;
    check.ask = force || ! current;
    return check;
}

} // namespace arx
