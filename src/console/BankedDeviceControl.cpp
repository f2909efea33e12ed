#include "console/BankedDeviceControl.h"

#include "console/HardwareThread.h"

namespace arx
{

void BankedDeviceControl::markBank (int bank)
{
    getThread().markBank (*this, bank);
}

void BankedDeviceControl::markBanks (int first, int end, int step)
{
    getThread().markBanks (*this, first, end, step);
}

void BankedDeviceControl::markChanged (const std::vector<MixChange>& changes)
{
    for (const auto& change : changes)
        if (const int bank = bankOf (change); bank >= 0)
            markBank (bank);
}

int BankedDeviceControl::takeNextBank()
{
    return getThread().takeNextBank (*this);
}

void BankedDeviceControl::onBankSetResult (int code, int bank)
{
    // The bank was cleared when it was taken: a timed-out send must put it back, or the retry
    // would move on to the next bank and the edit would never reach the device.
    if (code < 0)
        markBank (bank);

    onSetResult (code);
    queueSetWhilePending();
}

void BankedDeviceControl::queueSetWhilePending()
{
    if (getPendingBanks() != 0)
        getThread().queueSet (*this);
}

namespace
{
bool isBank (int bank) noexcept { return bank >= 0 && bank < BankedDeviceControl::maxBanks; }
uint64_t bitOf (int bank) noexcept { return uint64_t (1) << bank; }
} // namespace

bool BankedDeviceControl::isBankPending (int bank) const noexcept
{
    return isBank (bank) && (getPendingBanks() & bitOf (bank)) != 0;
}

bool BankedDeviceControl::deviceHolds (int bank, uint32_t value) const noexcept
{
    return isBank (bank) && (deviceValueKnown & bitOf (bank)) != 0 && deviceValue[size_t (bank)] == value;
}

void BankedDeviceControl::rememberDeviceValue (int bank, uint32_t value, bool held) noexcept
{
    if (! isBank (bank))
        return;
    deviceValue[size_t (bank)] = value;
    if (held)
        deviceValueKnown |= bitOf (bank);
    else
        deviceValueKnown &= ~bitOf (bank);
}

void BankedDeviceControl::forgetDeviceValue (int bank) noexcept
{
    if (isBank (bank))
        deviceValueKnown &= ~bitOf (bank);
}

} // namespace arx
