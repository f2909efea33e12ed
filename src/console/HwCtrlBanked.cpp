#include "console/HwCtrlBanked.h"

#include "console/hwthread.h"

namespace arx
{

void HwCtrlBanked::markBank (int bank)
{
    getThread().markBank (*this, bank);
}

void HwCtrlBanked::markBanks (int first, int end, int step)
{
    getThread().markBanks (*this, first, end, step);
}

int HwCtrlBanked::takeNextBank()
{
    return getThread().takeNextBank (*this);
}

void HwCtrlBanked::onBankSetResult (int code, int bank)
{
    // The bank was cleared when it was taken: a timed-out send must put it back, or the retry
    // would move on to the next bank and the edit would never reach the device.
    if (code < 0)
        markBank (bank);

    onSetResult (code);
    queueSetWhilePending();
}

void HwCtrlBanked::queueSetWhilePending()
{
    if (getPendingBanks() != 0)
        getThread().queueSet (*this);
}

namespace
{
bool isBank (int bank) noexcept { return bank >= 0 && bank < HwCtrlBanked::maxBanks; }
uint64_t bitOf (int bank) noexcept { return uint64_t (1) << bank; }
} // namespace

bool HwCtrlBanked::deviceHolds (int bank, uint32_t value) const noexcept
{
    return isBank (bank) && (deviceValueKnown & bitOf (bank)) != 0 && deviceValue[size_t (bank)] == value;
}

void HwCtrlBanked::rememberDeviceValue (int bank, uint32_t value, bool held) noexcept
{
    if (! isBank (bank))
        return;
    deviceValue[size_t (bank)] = value;
    if (held)
        deviceValueKnown |= bitOf (bank);
    else
        deviceValueKnown &= ~bitOf (bank);
}

void HwCtrlBanked::forgetDeviceValue (int bank) noexcept
{
    if (isBank (bank))
        deviceValueKnown &= ~bitOf (bank);
}

} // namespace arx
