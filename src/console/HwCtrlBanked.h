#pragma once

#include "console/HwCtrl.h"

#include <atomic>
#include <cstdint>

namespace arx
{

// A control that covers several channels (banks) and sends one dirty bank per turn, so that a
// control with many dirty banks takes turns with the others.
class HwCtrlBanked : public HwCtrl
{
public:
    static constexpr int maxBanks = 64;

    using HwCtrl::HwCtrl;

    // Message thread (user edits, refresh with markAll) or hardware thread.
    void markBank (int bank);
    void markBanks (int first, int end, int step);

    // Hardware thread: the lowest dirty bank, now clean, or -1 when none is left.
    int takeNextBank();

    uint64_t getPendingBanks() const noexcept { return pendingBanks.load(); }

protected:
    // Hardware thread, from set(): sends `bank` with `send` (which returns a command result
    // code), hands the code on, and queues this control again so that the other dirty banks
    // follow. A bank whose send timed out is marked dirty again so the edit is not lost.
    template <typename SendFn>
    void sendNextBank (SendFn&& send)
    {
        const int bank = takeNextBank();
        if (bank < 0)
            return;

        onBankSetResult (send (bank), bank);
    }

    void onBankSetResult (int code, int bank);

private:
    friend class hwthread;

    // Changed only under the thread's queue lock; read without it for the empty check.
    std::atomic<uint64_t> pendingBanks { 0 };
};

} // namespace arx
