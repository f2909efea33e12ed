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

    if (getPendingBanks() != 0)
        getThread().queueSet (*this);
}

} // namespace arx
